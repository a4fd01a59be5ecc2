#pragma once
// A horizontal slider: a thumb dragged along a bar between a minimum and a maximum, paging by a
// click beside the thumb, the two ends written under the bar. Owners extend ue_moved and read
// the stored position with fu_get_position.
#include <cstdint>
#include <string>

#include "runtime/ui/Controls.h"
#include "standard/u_p_a.h"
#include "standard/uo_a.h"

namespace pakomo {

class uo_slider : public uo_a {
public:
    explicit uo_slider(std::string className = "uo_slider");

    void fu_set_minposition(int32_t ai_minposition);
    void fu_set_maxposition(int32_t ai_position);
    void fu_set_position(int32_t ai_position);
    // The position narrowed to 16 bits, as callers have always read it.
    int16_t fu_get_position() const { return static_cast<int16_t>(il_position); }
    void fu_set_pagesize(int32_t al_pagesize) { ii_pagesize = al_pagesize; }

    // Where the thumb stands for a position on a bar of that width (16-bit overflow gives 0).
    static int16_t thumb_x(int32_t position, int32_t minimum, int32_t maximum, int32_t bar_width);
    // Whole steps for a pointer movement of dx units at units_per_step (16-bit overflow gives 0).
    static int16_t drag_steps(int32_t dx, double units_per_step);

    int32_t il_maxposition = 100;
    int32_t il_minposition = 0;
    int32_t il_position = 0;
    bool ib_sliding = false;
    int32_t ii_pagesize = 25;

    runtime::Ref<u_p_a> p_slider;
    runtime::Ref<runtime::StaticText> st_min;
    runtime::Ref<runtime::StaticText> st_max;
    runtime::Ref<runtime::StaticText> st_bar;

private:
    void start_slide(int16_t ai_xpos);
    // The pointer's x in the main frame (in the slider's own window while there is no frame).
    int pointer_x_in_frame() const;
};

}  // namespace pakomo
