#pragma once
// Every product over sqlca.
#include "authoring/core/u_ds_a.h"

namespace pakomo {

class u_ds_all_products : public u_ds_a {
public:
    u_ds_all_products();
    ~u_ds_all_products() override;
};

}  // namespace pakomo
