#pragma once
// The "Color selection" dialog: mixes a colour from number[1] of the parameter record and
// leaves the mixed colour there on OK.
#include <string>

#include "standard/uo_choose_custom_color.h"
#include "standard/w_ok_cancel.h"

namespace pakomo {

class w_choose_custom_color : public w_ok_cancel {
public:
    explicit w_choose_custom_color(std::string className = "w_choose_custom_color");

    runtime::Ref<uo_choose_custom_color> uo_1;
};

}  // namespace pakomo
