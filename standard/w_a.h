#pragma once
// The ancestor of every window of the authoring program but the wait window: confirm and cancel
// (ue_ok, ue_cancel, ue_close), status-bar help, context help, the resize protocol with the
// window's control-positioning service, centring, validation, and the clipboard routing to the
// control that last reported the focus.
//
// The behaviour is written once for two platform bases: w_a stands on a plain window, and the
// frame ancestor w_mdi on the MDI frame window (w_a_of<runtime::FrameWindow>).
#include <cstdint>
#include <string>
#include <type_traits>

#include "runtime/core/Object.h"
#include "runtime/ui/Window.h"
#include "standard/nv_control_position.h"
#include "standard/s_pass.h"

namespace pakomo {

template <class Base>
class w_a_of : public Base {
public:
    static constexpr uint32_t align_hcenter = 1;
    static constexpr uint32_t align_vcenter = 2;
    static constexpr uint32_t align_hresize = 4;
    static constexpr uint32_t align_vresize = 8;
    static constexpr uint32_t align_resize = 12;

    explicit w_a_of(std::string className, runtime::WindowKind kind = runtime::WindowKind::Main)
        requires std::is_constructible_v<Base, std::string, runtime::WindowKind>
        : Base(std::move(className), kind) {
        init();
    }
    explicit w_a_of(std::string className)
        requires(!std::is_constructible_v<Base, std::string, runtime::WindowKind>)
        : Base(std::move(className)) {
        init();
    }
    ~w_a_of() override;

    bool fw_get_microhelp() const { return ib_display_microhelp; }
    std::string fw_get_microhelptext() const { return is_microhelptext; }
    void fw_set_microhelp(bool ab_microhelp) { ib_display_microhelp = ab_microhelp; }
    void fw_set_microhelptext(std::string as_microhelptext) { is_microhelptext = std::move(as_microhelptext); }
    int16_t fw_get_helptopic() const { return ii_helptopic; }
    void fw_set_helptopic(int16_t ai_topic) { ii_helptopic = ai_topic; }

    // Clipboard routing.
    void fw_set_selected_text(const std::string& as_selected_text, runtime::Ref<runtime::VisualObject> a_control);
    std::string fw_get_selected_text();
    void fw_set_focus_object(runtime::Ref<runtime::Object> apo_object) { ipo_focus = apo_object; }
    void fw_cut();
    void fw_copy();
    void fw_paste();

    // Forwarders to the positioning service.
    void fw_position_set_flags(runtime::Control& adr_object, uint32_t al_flags);
    void fw_position_set_left_marge(runtime::Control& adr_object, int16_t ai_marge);
    void fw_position_set_right_marge(runtime::Control& adr_object, int16_t ai_marge);
    void fw_position_set_top_marge(runtime::Control& adr_object, int16_t ai_marge);
    void fw_position_set_bottom_marge(runtime::Control& adr_object, int16_t ai_marge);
    void fw_position_set_width_marge(runtime::Control& adr_object, int16_t ai_marge);
    void fw_position_set_height_marge(runtime::Control& adr_object, int16_t ai_marge);
    uint32_t fw_position_get_flags(runtime::Control& adr_object);
    void fw_deregister_object(runtime::Control& adr_object);

    void fw_center();
    bool fw_set_validation_result(bool ab_result);
    // The validation hook: descendants that check their input override it.
    virtual bool fw_validate();

    std::string is_microhelptext;
    bool ib_display_microhelp = false;
    int32_t il_closequery_retval = 0;
    str_selected_text i_str_selected_text;
    runtime::Ref<runtime::Object> ipo_focus;
    int16_t ii_helptopic = 0;
    nv_control_position inv_control_position;
    int16_t ii_resize_width = 0;
    int16_t ii_resize_height = 0;
    bool ib_validation_result = true;

private:
    void init();
    // The focused control as one of the seven kinds that take part in cut, copy and paste.
    runtime::Control* clipboard_control(runtime::Object* object) const;
};

class w_a : public w_a_of<runtime::Window> {
public:
    explicit w_a(std::string className = "w_a", runtime::WindowKind kind = runtime::WindowKind::Main)
        : w_a_of(std::move(className), kind) {}
};

// Whether the object is one of the seven kinds of control whose text is cut, copied and pasted.
bool takes_part_in_clipboard(const runtime::Object* object);

}  // namespace pakomo
