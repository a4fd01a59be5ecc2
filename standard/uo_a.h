#pragma once
// The ancestor of every composite control: status-bar help while the mouse is over it, an
// identifying text, its own positioning service for the controls inside it, and the hook
// ue_post_constructor, queued by its constructor.
#include <cstdint>
#include <string>

#include "runtime/ui/Controls.h"
#include "standard/nv_control_position.h"

namespace pakomo {

class uo_a : public runtime::UserObject {
public:
    static constexpr uint32_t align_hcenter = 1;
    static constexpr uint32_t align_vcenter = 2;
    static constexpr uint32_t align_hresize = 4;
    static constexpr uint32_t align_vresize = 8;
    static constexpr uint32_t align_resize = 12;

    explicit uo_a(std::string className = "uo_a");

    bool fu_get_microhelp() const { return ib_display_microhelp; }
    std::string fu_get_microhelptext() const { return is_microhelptext; }
    void fu_set_microhelp(bool ab_microhelp) { ib_display_microhelp = ab_microhelp; }
    void fu_set_microhelptext(std::string as_microhelptext) { is_microhelptext = std::move(as_microhelptext); }
    void fu_set_id(std::string as_id) { is_id = std::move(as_id); }
    std::string fu_get_id() const { return is_id; }
    // The flags narrowed to a 16-bit integer, unlike the window's forwarder.
    int16_t fu_position_get_flags(runtime::Control& adr_object);
    void fu_position_set_bottom_marge(runtime::Control& adr_object, int16_t ai_marge);
    void fu_position_set_flags(runtime::Control& adr_object, uint32_t al_flags);
    void fu_position_set_height_marge(runtime::Control& adr_object, int16_t ai_marge);
    void fu_position_set_left_marge(runtime::Control& adr_object, int16_t ai_marge);
    void fu_position_set_right_marge(runtime::Control& adr_object, int16_t ai_marge);
    void fu_position_set_top_marge(runtime::Control& adr_object, int16_t ai_marge);
    void fu_position_set_width_marge(runtime::Control& adr_object, int16_t ai_marge);

    std::string is_microhelptext;
    std::string is_id;
    bool ib_display_microhelp = false;
    nv_control_position inv_control_position;
};

}  // namespace pakomo
