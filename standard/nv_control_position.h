#pragma once
// The control-positioning service of a window or composite control: one entry of layout flags
// and six margins per registered control, in the order the controls were first named; every
// resize of the owner has MoveControl place each registered control.
#include <cstdint>
#include <vector>

#include "authoring/core/nv_a.h"
#include "runtime/ui/VisualObject.h"

namespace pakomo {

struct str_control_position {
    runtime::Ref<runtime::Control> dr_object;  // none after deregistration
    uint32_t l_flags = 0;
    int16_t i_bottom_marge = 0;
    int16_t i_top_marge = 0;
    int16_t i_left_marge = 0;
    int16_t i_right_marge = 0;
    int16_t i_resize_width_marge = 0;
    int16_t i_resize_height_marge = 0;
};

class nv_control_position : public nv_a {
public:
    static constexpr uint32_t align_hcenter = 1;
    static constexpr uint32_t align_vcenter = 2;
    static constexpr uint32_t align_hresize = 4;
    static constexpr uint32_t align_vresize = 8;
    static constexpr uint32_t align_resize = 12;

    nv_control_position();

    void fnv_deregister_object(runtime::Control& adr_object);
    int16_t fnv_get_object_index(runtime::Control& adr_object);
    uint32_t fnv_get_flags(runtime::Control& adr_object);
    void fnv_set_flags(runtime::Control& adr_object, uint32_t al_flags);
    void fnv_set_height_marge(runtime::Control& adr_object, int16_t ai_marge);
    void fnv_set_width_marge(runtime::Control& adr_object, int16_t ai_marge);
    void fnv_set_bottom_marge(runtime::Control& adr_object, int16_t ai_marge);
    void fnv_set_top_marge(runtime::Control& adr_object, int16_t ai_marge);
    void fnv_set_left_marge(runtime::Control& adr_object, int16_t ai_marge);
    void fnv_set_right_marge(runtime::Control& adr_object, int16_t ai_marge);
    void fnv_align_controls(int16_t newwidth, int16_t newheight);

    // Entries 1 to ii_num_position_controls (element n at index n - 1).
    std::vector<str_control_position> istr_control_position;
    int16_t ii_num_position_controls = 0;

private:
    str_control_position& entry(runtime::Control& adr_object);
    // The flags with one centre flag cleared through the 16-bit Ex_And: higher bits are lost.
    static uint32_t cleared(uint32_t flags, uint16_t mask);
};

}  // namespace pakomo
