#include "standard/uo_a.h"

#include "authoring/core/pakomo.h"
#include "standard/w_mdi.h"

namespace pakomo {

using runtime::Args;
using runtime::Value;

uo_a::uo_a(std::string className) : runtime::UserObject(std::move(className)) {
    resize(1029, 584);
    runtime::setBackgroundColor(*this, 12632256);
    on("constructor", [this](Args) {
        fu_set_microhelptext(app().microhelpdefault);
        fu_set_microhelp(true);
        fu_set_id("");
        post("ue_post_constructor");
        return Value();
    });
    on("mousemove", [this](Args a) { return trigger("ue_mousemove", {a.begin(), a.end()}); });
    on("ue_mousemove", [this](Args) {
        if (!ib_display_microhelp) return Value();
        if (w_mdi* frame = app().g_w_frame.get()) frame->setMicroHelp(is_microhelptext);
        return Value();
    });
    on("resize", [this](Args a) { return trigger("ue_size", {a.begin(), a.end()}); });
    on("ue_size", [this](Args a) {
        // One repaint per size change, not one per moved control.
        setRedraw(false);
        inv_control_position.fnv_align_controls(static_cast<int16_t>(a.size() > 1 ? a[1].toInt() : 0),
                                                static_cast<int16_t>(a.size() > 2 ? a[2].toInt() : 0));
        setRedraw(true);
        return Value();
    });
}

int16_t uo_a::fu_position_get_flags(runtime::Control& adr_object) {
    return static_cast<int16_t>(inv_control_position.fnv_get_flags(adr_object));
}
void uo_a::fu_position_set_bottom_marge(runtime::Control& adr_object, int16_t ai_marge) {
    inv_control_position.fnv_set_bottom_marge(adr_object, ai_marge);
}
void uo_a::fu_position_set_flags(runtime::Control& adr_object, uint32_t al_flags) {
    inv_control_position.fnv_set_flags(adr_object, al_flags);
}
void uo_a::fu_position_set_height_marge(runtime::Control& adr_object, int16_t ai_marge) {
    inv_control_position.fnv_set_height_marge(adr_object, ai_marge);
}
void uo_a::fu_position_set_left_marge(runtime::Control& adr_object, int16_t ai_marge) {
    inv_control_position.fnv_set_left_marge(adr_object, ai_marge);
}
void uo_a::fu_position_set_right_marge(runtime::Control& adr_object, int16_t ai_marge) {
    inv_control_position.fnv_set_right_marge(adr_object, ai_marge);
}
void uo_a::fu_position_set_top_marge(runtime::Control& adr_object, int16_t ai_marge) {
    inv_control_position.fnv_set_top_marge(adr_object, ai_marge);
}
void uo_a::fu_position_set_width_marge(runtime::Control& adr_object, int16_t ai_marge) {
    inv_control_position.fnv_set_width_marge(adr_object, ai_marge);
}

}  // namespace pakomo
