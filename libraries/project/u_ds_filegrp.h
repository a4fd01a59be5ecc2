#pragma once
// The file groups of the product gi_prod_id names when the row set is created.
#include <string>

#include "authoring/core/u_ds_create_setup_a.h"

namespace pakomo {

class u_ds_filegrp : public u_ds_create_setup_a {
public:
    explicit u_ds_filegrp(std::string className = "u_ds_filegrp");
};

}  // namespace pakomo
