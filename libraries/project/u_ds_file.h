#pragma once
// The files of the product gi_prod_id names when the row set is created.
#include <string>

#include "authoring/core/u_ds_create_setup_a.h"

namespace pakomo {

class u_ds_file : public u_ds_create_setup_a {
public:
    explicit u_ds_file(std::string className = "u_ds_file");
};

}  // namespace pakomo
