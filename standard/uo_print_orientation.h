#pragma once
// The "Orientation" group of the print dialog: Standard (the printer's own), Landscape or
// Portrait, with a picture of the sheet; every new value is reported to the window (queued).
#include <cstdint>
#include <string>

#include "runtime/ui/Controls.h"
#include "standard/u_gb_a.h"
#include "standard/u_p_a.h"
#include "standard/u_rb_a.h"

namespace pakomo {

class uo_print_orientation : public runtime::UserObject {
public:
    explicit uo_print_orientation(std::string className = "uo_print_orientation");

    void fu_set_orientation(int16_t ai_orientation);
    int16_t fu_get_orientation() const { return ii_orientation; }

    int16_t ii_orientation = 4;  // none chosen yet

    runtime::Ref<u_gb_a> gb_1;
    runtime::Ref<u_rb_a> rb_standaard;
    runtime::Ref<u_rb_a> rb_liggend;
    runtime::Ref<u_rb_a> rb_staand;
    runtime::Ref<u_p_a> p_staand;
    runtime::Ref<u_p_a> p_liggend;
};

}  // namespace pakomo
