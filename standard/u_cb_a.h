#pragma once
// The ancestor of every push button: finds its window, writes its help line into the frame's
// status bar while the mouse is over it, raises its bound window event on a click (queued), and
// reports the focus to its window. u_cb_ok, u_cb_cancel, u_cb_help and u_cb_close are the ready
// descendants.
#include <string>

#include "runtime/ui/Controls.h"
#include "standard/w_a.h"

namespace pakomo {

class u_cb_a : public runtime::CommandButton {
public:
    explicit u_cb_a(std::string className = "u_cb_a");

    void fu_set_parent_window();
    runtime::Ref<w_a> fu_get_parent_window() const { return iw_parent; }
    void fu_set_microhelptext(std::string as_microhelptext) { is_microhelptext = std::move(as_microhelptext); }
    std::string fu_get_microhelptext() const { return is_microhelptext; }
    void fu_set_microhelp(bool ab_microhelp) { ib_display_microhelp = ab_microhelp; }
    bool fu_get_microhelp() const { return ib_display_microhelp; }
    void fu_set_event(std::string as_eventname) { is_window_event = std::move(as_eventname); }
    std::string fu_get_event() const { return is_window_event; }

    runtime::Ref<w_a> iw_parent;
    std::string is_microhelptext;
    bool ib_display_microhelp = false;
    std::string is_window_event;
};

class u_cb_ok : public u_cb_a {
public:
    u_cb_ok();
};

class u_cb_cancel : public u_cb_a {
public:
    u_cb_cancel();
};

class u_cb_help : public u_cb_a {
public:
    u_cb_help();
};

class u_cb_close : public u_cb_a {
public:
    u_cb_close();
};

}  // namespace pakomo
