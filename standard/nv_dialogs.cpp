#include "standard/nv_dialogs.h"

#include "authoring/core/pakomo.h"
#include "runtime/ui/Window.h"

namespace pakomo {

nv_dialogs::nv_dialogs(std::string className) : nv_a(std::move(className)) {}

bool nv_dialogs::open_dialog(const std::string& className) {
    runtime::Ref<runtime::Window> w = runtime::createByName(className).as<runtime::Window>();
    if (!w) throw runtime::RuntimeError(className + " is not a window");
    w->open();
    return app().g_str_pass.button_clicked == 1;
}

bool nv_dialogs::open_color_dialog(const std::string& className, int32_t& al_color) {
    s_pass& pass = app().g_str_pass;
    pass.number[1] = al_color;
    if (!open_dialog(className)) return false;
    al_color = pass.number.get(1);
    return true;
}

bool nv_dialogs::fnv_get_custom_color(int32_t& al_color) { return open_color_dialog("w_choose_custom_color", al_color); }

bool nv_dialogs::fnv_get_custom_color() {
    int32_t ll_color = 0;
    return fnv_get_custom_color(ll_color);
}

bool nv_dialogs::fnv_get_color(int32_t& al_color) { return open_color_dialog("w_get_color", al_color); }

bool nv_dialogs::fnv_get_color() {
    int32_t ll_color = 0;
    return fnv_get_color(ll_color);
}

bool nv_dialogs::fnv_get_font() { return open_dialog("w_choose_font"); }

bool nv_dialogs::fnv_get_font_with_text() { return open_dialog("w_choose_font_with_text"); }

}  // namespace pakomo
