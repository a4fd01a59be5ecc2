#include "standard/w_a.h"

#include <array>
#include <string_view>

#include "authoring/core/pakomo.h"
#include "runtime/services/System.h"
#include "runtime/ui/Controls.h"
#include "runtime/ui/Services.h"
#include "standard/w_mdi.h"

namespace pakomo {

bool takes_part_in_clipboard(const runtime::Object* object) {
    static constexpr std::array<std::string_view, 7> kinds = {
        "datawindow",   "multilineedit",   "singlelineedit",        "editmask",
        "richtextedit", "dropdownlistbox", "dropdownpicturelistbox"};
    if (!object || object->isDestroying()) return false;
    std::string type = runtime::typeOf(object);
    for (std::string_view kind : kinds)
        if (type == kind) return true;
    return false;
}

template <class Base>
void w_a_of<Base>::init() {
    using runtime::Args;
    using runtime::Value;
    if constexpr (!std::is_same_v<Base, runtime::FrameWindow>) {
        this->move(795, 508);
        this->resize(1998, 1212);
    }
    this->on("open", [this](Args) {
        fw_set_microhelptext(app().microhelpdefault);
        fw_set_microhelp(true);
        i_str_selected_text = {};
        this->post("ue_init");
        return Value();
    });
    this->on("closequery", [this](Args) {
        il_closequery_retval = 0;
        return Value();
    });
    this->on("mousemove", [this](Args) {
        if (!ib_display_microhelp) return Value();
        if (w_mdi* frame = app().g_w_frame.get()) frame->setMicroHelp(is_microhelptext);
        return Value();
    });
    this->on("resize", [this](Args args) {
        int16_t width = static_cast<int16_t>(args.size() > 1 ? args[1].toInt() : 0);
        int16_t height = static_cast<int16_t>(args.size() > 2 ? args[2].toInt() : 0);
        ii_resize_height = height;
        ii_resize_width = width;
        inv_control_position.fnv_align_controls(width, height);
        return Value();
    });
    this->on("ue_close", [this](Args) {
        this->close();
        return Value();
    });
    this->on("ue_ok", [this](Args) {
        if (!fw_validate()) return Value();
        app().g_str_pass.button_clicked = 1;
        this->post("ue_close");
        return Value();
    });
    this->on("ue_cancel", [this](Args) {
        app().g_str_pass.button_clicked = 2;
        this->post("ue_close");
        return Value();
    });
    this->on("ue_help", [this](Args) {
        runtime::showHelp(app().gs_helpfile, runtime::HelpCommand::Topic, ii_helptopic);
        return Value();
    });
    // F1 in a window without a menu of its own: the same help as its Help button.
    this->on("help", [this](Args) {
        this->trigger("ue_help");
        return Value();
    });
}

template <class Base>
w_a_of<Base>::~w_a_of() = default;

template <class Base>
runtime::Control* w_a_of<Base>::clipboard_control(runtime::Object* object) const {
    return takes_part_in_clipboard(object) ? dynamic_cast<runtime::Control*>(object) : nullptr;
}

template <class Base>
void w_a_of<Base>::fw_set_selected_text(const std::string& as_selected_text,
                                        runtime::Ref<runtime::VisualObject> a_control) {
    if (as_selected_text.empty()) {
        this->trigger("ue_menu_clipboard", {false});
        return;
    }
    this->trigger("ue_menu_clipboard", {true});
    i_str_selected_text.s_selected_text = as_selected_text;
    i_str_selected_text.control = a_control;
}

template <class Base>
std::string w_a_of<Base>::fw_get_selected_text() {
    if (runtime::Control* control = clipboard_control(ipo_focus.get())) {
        i_str_selected_text.s_selected_text = control->selectedText();
        i_str_selected_text.control = runtime::Ref<runtime::VisualObject>(control);
    } else {
        i_str_selected_text.control.reset();
        i_str_selected_text.s_selected_text.clear();
    }
    return i_str_selected_text.s_selected_text;
}

template <class Base>
void w_a_of<Base>::fw_cut() {
    fw_get_selected_text();
    if (runtime::Control* control = clipboard_control(i_str_selected_text.control.get())) control->cut();
}

template <class Base>
void w_a_of<Base>::fw_copy() {
    fw_get_selected_text();
    if (runtime::Control* control = clipboard_control(i_str_selected_text.control.get())) control->copy();
}

template <class Base>
void w_a_of<Base>::fw_paste() {
    if (runtime::Control* control = clipboard_control(ipo_focus.get())) control->paste();
}

template <class Base>
void w_a_of<Base>::fw_position_set_flags(runtime::Control& adr_object, uint32_t al_flags) {
    inv_control_position.fnv_set_flags(adr_object, al_flags);
}
template <class Base>
void w_a_of<Base>::fw_position_set_left_marge(runtime::Control& adr_object, int16_t ai_marge) {
    inv_control_position.fnv_set_left_marge(adr_object, ai_marge);
}
template <class Base>
void w_a_of<Base>::fw_position_set_right_marge(runtime::Control& adr_object, int16_t ai_marge) {
    inv_control_position.fnv_set_right_marge(adr_object, ai_marge);
}
template <class Base>
void w_a_of<Base>::fw_position_set_top_marge(runtime::Control& adr_object, int16_t ai_marge) {
    inv_control_position.fnv_set_top_marge(adr_object, ai_marge);
}
template <class Base>
void w_a_of<Base>::fw_position_set_bottom_marge(runtime::Control& adr_object, int16_t ai_marge) {
    inv_control_position.fnv_set_bottom_marge(adr_object, ai_marge);
}
template <class Base>
void w_a_of<Base>::fw_position_set_width_marge(runtime::Control& adr_object, int16_t ai_marge) {
    inv_control_position.fnv_set_width_marge(adr_object, ai_marge);
}
template <class Base>
void w_a_of<Base>::fw_position_set_height_marge(runtime::Control& adr_object, int16_t ai_marge) {
    inv_control_position.fnv_set_height_marge(adr_object, ai_marge);
}
template <class Base>
uint32_t w_a_of<Base>::fw_position_get_flags(runtime::Control& adr_object) {
    return inv_control_position.fnv_get_flags(adr_object);
}
template <class Base>
void w_a_of<Base>::fw_deregister_object(runtime::Control& adr_object) {
    inv_control_position.fnv_deregister_object(adr_object);
}

template <class Base>
void w_a_of<Base>::fw_center() {
    const runtime::Environment& env = app().g_env;
    int screen_width = runtime::pixelsToUnitsX(env.screenWidth);
    int screen_height = runtime::pixelsToUnitsY(env.screenHeight);
    // Truncated toward zero: a window larger than the screen gets a negative position.
    int x = static_cast<int>((screen_width - this->width()) * 0.5);
    int y = static_cast<int>((screen_height - this->height()) * 0.5);
    this->move(x, y);
}

template <class Base>
bool w_a_of<Base>::fw_set_validation_result(bool ab_result) {
    ib_validation_result = ab_result;
    return ib_validation_result;
}

template <class Base>
bool w_a_of<Base>::fw_validate() {
    return fw_set_validation_result(true);
}

template class w_a_of<runtime::Window>;
template class w_a_of<runtime::FrameWindow>;

}  // namespace pakomo
