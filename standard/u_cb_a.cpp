#include "standard/u_cb_a.h"

#include <array>

#include "authoring/core/pakomo.h"
#include "standard/parent_window.h"
#include "standard/w_mdi.h"

namespace pakomo {

using runtime::Args;
using runtime::Value;

u_cb_a::u_cb_a(std::string className) : runtime::CommandButton(std::move(className)) {
    resize(357, 80);
    setText("&Text");
    setFont("MS Sans Serif", 8, 400);
    on("constructor", [this](Args) {
        fu_set_parent_window();
        fu_set_microhelp(true);
        return Value();
    });
    on("clicked", [this](Args) {
        // Compared exactly: a name in other letter case binds nothing.
        static constexpr std::array<const char*, 5> events = {"ue_ok", "ue_cancel", "ue_close", "ue_print", "ue_help"};
        for (const char* event : events) {
            if (is_window_event == event) {
                iw_parent->post(event);
                break;
            }
        }
        return Value();
    });
    on("getfocus", [this](Args) {
        report_focus(iw_parent, *this);
        return Value();
    });
    on("mousemove", [this](Args args) { return trigger("ue_mousemove", {args.begin(), args.end()}); });
    on("ue_mousemove", [this](Args) {
        if (!ib_display_microhelp) return Value();
        if (w_mdi* frame = app().g_w_frame.get()) frame->setMicroHelp(is_microhelptext);
        return Value();
    });
}

void u_cb_a::fu_set_parent_window() { iw_parent = find_parent_window(*this); }

u_cb_ok::u_cb_ok() : u_cb_a("u_cb_ok") {
    setText("&Ok");
    extend("constructor", [this](Args) {
        fu_set_event("ue_ok");
        fu_set_microhelp(false);
        return Value();
    });
}

u_cb_cancel::u_cb_cancel() : u_cb_a("u_cb_cancel") {
    setText("&Cancel");
    extend("constructor", [this](Args) {
        fu_set_event("ue_cancel");
        fu_set_microhelp(false);
        return Value();
    });
}

u_cb_help::u_cb_help() : u_cb_a("u_cb_help") {
    setText("&Help");
    extend("constructor", [this](Args) {
        fu_set_event("ue_help");
        fu_set_microhelptext("Show help");
        return Value();
    });
}

u_cb_close::u_cb_close() : u_cb_a("u_cb_close") {
    setText("&Close");
    extend("constructor", [this](Args) {
        fu_set_event("ue_close");
        fu_set_microhelptext("Close this window");
        return Value();
    });
}

}  // namespace pakomo
