#pragma once
// The ancestor of the windows in which rows are edited in data-window controls: the active data
// window, a window-wide switch that allows or locks row changes, acceptance of the pending edit,
// the pre and post halves of inserts and deletes, clicks and right clicks of its controls, and a
// close that is refused while the pending edit cannot be accepted.
#include <string>

#include "standard/u_dw_a.h"
#include "standard/w_a.h"

namespace pakomo {

class w_dw_a : public w_a {
public:
    explicit w_dw_a(std::string className = "w_dw_a", runtime::WindowKind kind = runtime::WindowKind::Main);

    runtime::Ref<u_dw_a> fw_get_active_datawindow() const { return idw_active_datawindow; }
    void fw_set_active_datawindow(runtime::Ref<u_dw_a> adw_datawindow) { idw_active_datawindow = adw_datawindow; }
    bool fw_get_changerowallowed() const { return ib_changerowallowed; }
    void fw_set_changerowallowed(bool ab_changerowallowed) { ib_changerowallowed = ab_changerowallowed; }

    // ue_accept called at once: false only when the control refuses the pending edit.
    bool ue_accept(u_dw_a& adw_1) { return trigger("ue_accept", {adw_1.handle()}).toBool(); }

    runtime::Ref<u_dw_a> idw_active_datawindow;
    bool ib_changerowallowed = false;
};

}  // namespace pakomo
