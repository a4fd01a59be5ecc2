#pragma once
// One numbered message over sqlca.
#include "authoring/core/u_ds_a.h"

namespace pakomo {

class u_ds_message_one : public u_ds_a {
public:
    u_ds_message_one();
    ~u_ds_message_one() override;
};

}  // namespace pakomo
