#pragma once
// The ancestor of the row sets of the edited project: they work over sqlca, and a save that
// changed rows marks the product as not built.
#include <string>

#include "authoring/core/u_ds_a.h"

namespace pakomo {

class u_ds_create_setup_a : public u_ds_a {
public:
    explicit u_ds_create_setup_a(std::string className = "u_ds_create_setup_a");
    ~u_ds_create_setup_a() override;
};

}  // namespace pakomo
