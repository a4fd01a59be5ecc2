#pragma once
// A data-window control whose clicks select no rows.
#include <string>

#include "standard/u_dw_a.h"

namespace pakomo {

class u_dw_select_none : public u_dw_a {
public:
    explicit u_dw_select_none(std::string className = "u_dw_select_none") : u_dw_a(std::move(className)) {
        extend("constructor", [this](runtime::Args) {
            fu_set_select_allow(select_false);
            return runtime::Value();
        });
    }
};

}  // namespace pakomo
