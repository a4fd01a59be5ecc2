#pragma once
// The print dialog's settings: orientation, copies and the printer-setup button. It prints
// nothing and keeps no printer state; the groups report their changes to the window.
#include <cstdint>
#include <string>

#include "standard/u_cb_printsetup.h"
#include "standard/uo_a.h"
#include "standard/uo_print_copies.h"
#include "standard/uo_print_orientation.h"

namespace pakomo {

class uo_print : public uo_a {
public:
    explicit uo_print(std::string className = "uo_print");

    void fu_set_orientation(int16_t ai_orientation) { uo_orientation->fu_set_orientation(ai_orientation); }
    int16_t fu_get_orientation() const { return uo_orientation->fu_get_orientation(); }
    void fu_set_copies(int16_t ai_copies) { uo_oplage->fu_set_copies(ai_copies); }
    int16_t fu_get_copies() const { return uo_oplage->fu_get_copies(); }

    runtime::Ref<uo_print_orientation> uo_orientation;
    runtime::Ref<uo_print_copies> uo_oplage;
    runtime::Ref<u_cb_printsetup> cb_1;
};

}  // namespace pakomo
