#pragma once
// The "Select a color" dialog: one fixed colour picker on number[1] of the parameter record,
// which gets the chosen colour on OK.
#include <string>

#include "standard/uo_get_color.h"
#include "standard/w_ok_cancel.h"

namespace pakomo {

class w_get_color : public w_ok_cancel {
public:
    explicit w_get_color(std::string className = "w_get_color");

    runtime::Ref<uo_get_color> uo_color;
};

}  // namespace pakomo
