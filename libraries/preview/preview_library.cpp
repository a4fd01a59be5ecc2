#include "libraries/preview/preview_library.h"

#include "authoring/core/pakomo.h"
#include "libraries/preview/layouts/preview_layouts.h"
#include "libraries/preview/w_cregrp_preview.h"
#include "libraries/preview/w_finished_preview.h"
#include "libraries/preview/w_licagr_preview.h"
#include "libraries/preview/w_userinfo_preview.h"
#include "libraries/preview/w_wmain_preview.h"
#include "libraries/preview/w_wwelcome_preview.h"
#include "runtime/core/RuntimeError.h"
#include "runtime/ui/Window.h"

namespace pakomo {

void register_preview_library() {
    register_preview_layouts();
    runtime::registerClass<w_wwelcome_preview>("w_wwelcome_preview");
    runtime::registerClass<w_licagr_preview>("w_licagr_preview");
    runtime::registerClass<w_userinfo_preview>("w_userinfo_preview");
    runtime::registerClass<w_cregrp_preview>("w_cregrp_preview");
    runtime::registerClass<w_finished_preview>("w_finished_preview");
    runtime::registerClass<w_wmain_preview>("w_wmain_preview");
}

std::string fw_preview_layout(const std::string& as_window) {
    std::string name = as_window;
    if (name.rfind("w_", 0) == 0) name[0] = 'd';
    return name;
}

void fw_open_preview(const std::string& as_window, u_ds_a& ads_page, u_ds_a* ads_texts) {
    // The background window is as large as the screen is now.
    if (as_window == "w_wmain_preview") runtime::registerLayout(d_wmain_preview());
    s_pass& pass = app().g_str_pass;
    pass.string[1] = fw_preview_layout(as_window);
    pass.datastore[1] = runtime::Ref<u_ds_a>(&ads_page);
    pass.datastore[2] = runtime::Ref<u_ds_a>(ads_texts);
    pass.nv[1] = app().gnv_create_setup;
    runtime::Ref<runtime::Window> w = runtime::createByName(as_window).as<runtime::Window>();
    if (!w) throw runtime::RuntimeError(as_window + " is not a window");
    w->open();
}

namespace preview {

std::string item_text(const u_ds_a* ads, const std::string& as_column) {
    if (!ads || ads->rowCount() < 1) return {};
    const runtime::Value v = ads->getItem(1, as_column);
    return v.isNull() ? std::string() : v.toText();
}

long item_number(const u_ds_a* ads, const std::string& as_column) {
    if (!ads || ads->rowCount() < 1) return 0;
    const runtime::Value v = ads->getItem(1, as_column);
    return v.isNull() ? 0 : static_cast<long>(v.toInt());
}

void set_text(runtime::DataWindow& adw, const std::string& as_name, const std::string& as_text) {
    std::string quoted;
    for (char c : as_text) {
        if (c == '\'' || c == '~') quoted += '~';
        quoted += c;
    }
    const std::string error = adw.modify(as_name + ".text='" + quoted + "'");
    if (!error.empty()) throw runtime::RuntimeError(error);
}

}  // namespace preview

}  // namespace pakomo
