#pragma once
// The print dialog: orientation, copies and printer setup; "&Print" prints through the
// window's ue_print and closes. Descendants give ue_print, ue_orientation_changed and
// ue_copies_changed their behaviour.
#include <string>

#include "standard/uo_print.h"
#include "standard/w_ok_cancel.h"

namespace pakomo {

class w_print : public w_ok_cancel {
public:
    explicit w_print(std::string className = "w_print");

    runtime::Ref<uo_print> uo_1;
};

}  // namespace pakomo
