#pragma once
// The PRODUCT row of the product gi_prod_id names when the row set is created.
#include <string>

#include "authoring/core/u_ds_create_setup_a.h"

namespace pakomo {

class u_ds_product : public u_ds_create_setup_a {
public:
    explicit u_ds_product(std::string className = "u_ds_product");
};

}  // namespace pakomo
