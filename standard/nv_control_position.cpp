#include "standard/nv_control_position.h"

#include "authoring/core/pakomo.h"
#include "runtime/services/System.h"
#include "standard/nv_winapi.h"

namespace pakomo {

nv_control_position::nv_control_position() : nv_a("nv_control_position") {}

int16_t nv_control_position::fnv_get_object_index(runtime::Control& adr_object) {
    for (int16_t i = 1; i <= ii_num_position_controls; ++i) {
        const str_control_position& e = istr_control_position[static_cast<size_t>(i - 1)];
        if (e.dr_object.isValid() && e.dr_object.get() == &adr_object) return i;
    }
    ++ii_num_position_controls;
    str_control_position fresh;
    fresh.dr_object = runtime::Ref<runtime::Control>(&adr_object);
    istr_control_position.resize(static_cast<size_t>(ii_num_position_controls));
    istr_control_position[static_cast<size_t>(ii_num_position_controls - 1)] = fresh;
    return ii_num_position_controls;
}

str_control_position& nv_control_position::entry(runtime::Control& adr_object) {
    return istr_control_position[static_cast<size_t>(fnv_get_object_index(adr_object) - 1)];
}

uint32_t nv_control_position::cleared(uint32_t flags, uint16_t mask) {
    return nv_winapi::instance().ex_and(static_cast<uint16_t>(flags), mask);
}

void nv_control_position::fnv_deregister_object(runtime::Control& adr_object) { entry(adr_object).dr_object.reset(); }

uint32_t nv_control_position::fnv_get_flags(runtime::Control& adr_object) { return entry(adr_object).l_flags; }

void nv_control_position::fnv_set_flags(runtime::Control& adr_object, uint32_t al_flags) {
    entry(adr_object).l_flags = al_flags;
}

void nv_control_position::fnv_set_height_marge(runtime::Control& adr_object, int16_t ai_marge) {
    entry(adr_object).i_resize_height_marge = ai_marge;
}

void nv_control_position::fnv_set_width_marge(runtime::Control& adr_object, int16_t ai_marge) {
    entry(adr_object).i_resize_width_marge = ai_marge;
}

void nv_control_position::fnv_set_bottom_marge(runtime::Control& adr_object, int16_t ai_marge) {
    str_control_position& e = entry(adr_object);
    e.i_bottom_marge = ai_marge;
    e.i_top_marge = 0;
    e.l_flags = cleared(e.l_flags, 65533);
}

void nv_control_position::fnv_set_top_marge(runtime::Control& adr_object, int16_t ai_marge) {
    str_control_position& e = entry(adr_object);
    e.i_top_marge = ai_marge;
    e.i_bottom_marge = 0;
    e.l_flags = cleared(e.l_flags, 65533);
}

void nv_control_position::fnv_set_left_marge(runtime::Control& adr_object, int16_t ai_marge) {
    str_control_position& e = entry(adr_object);
    e.i_left_marge = ai_marge;
    e.i_right_marge = 0;
    e.l_flags = cleared(e.l_flags, 65534);
}

void nv_control_position::fnv_set_right_marge(runtime::Control& adr_object, int16_t ai_marge) {
    str_control_position& e = entry(adr_object);
    e.i_right_marge = ai_marge;
    e.i_left_marge = 0;
    e.l_flags = cleared(e.l_flags, 65534);
}

void nv_control_position::fnv_align_controls(int16_t newwidth, int16_t newheight) {
    using runtime::unitsToPixelsX;
    using runtime::unitsToPixelsY;
    auto px = [](int units) { return static_cast<int16_t>(unitsToPixelsX(units)); };
    auto py = [](int units) { return static_cast<int16_t>(unitsToPixelsY(units)); };
    for (int16_t i = 1; i <= ii_num_position_controls; ++i) {
        // Copied: MoveControl may resize the owner and so add to the table.
        str_control_position e = istr_control_position[static_cast<size_t>(i - 1)];
        runtime::Control* control = e.dr_object.get();
        if (!control || control->isDestroying()) continue;
        nv_winapi& api = nv_winapi::instance();
        api.movecontrol(control->handle(), px(newwidth), py(newheight), px(control->x()), py(control->y()), e.l_flags,
                        py(e.i_bottom_marge), py(e.i_top_marge), px(e.i_left_marge), px(e.i_right_marge),
                        px(e.i_resize_width_marge), py(e.i_resize_height_marge));
    }
}

}  // namespace pakomo
