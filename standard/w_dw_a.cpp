#include "standard/w_dw_a.h"

#include "authoring/core/pakomo.h"
#include "runtime/core/RuntimeError.h"

namespace pakomo {

using runtime::Args;
using runtime::Value;

namespace {

// The control an event names; a runtime error when the argument is missing.
u_dw_a* control_of(Args a) {
    if (a.empty() || a[0].isNull()) throw runtime::RuntimeError("Null object reference: no data window");
    return datawindow_of(a[0]);
}

int32_t row_of(Args a) { return static_cast<int32_t>(a.size() > 3 ? a[3].toInt() : 0); }

}  // namespace

w_dw_a::w_dw_a(std::string className, runtime::WindowKind kind) : w_a(std::move(className), kind) {
    on("ue_select", [](Args a) {
        if (u_dw_a* dw = control_of(a)) dw->fu_select(static_cast<int32_t>(a.size() > 1 ? a[1].toInt() : 0));
        return Value();
    });
    for (const char* pre : {"ue_pre_insert", "ue_pre_delete"})
        on(pre, [](Args a) {
            if (u_dw_a* dw = control_of(a)) dw->fu_set_changerowallowed(false);
            return Value(1);
        });
    for (const char* post : {"ue_post_insert", "ue_post_delete"})
        on(post, [](Args a) {
            if (u_dw_a* dw = control_of(a)) dw->fu_set_changerowallowed(true);
            return Value();
        });
    // A control destroyed since the event was queued has nothing pending.
    on("ue_accept", [](Args a) {
        u_dw_a* dw = control_of(a);
        return Value(!dw || dw->acceptText() != -1);
    });
    on("ue_clicked", [](Args a) {
        u_dw_a* dw = control_of(a);
        if (dw && row_of(a) > 0) dw->fu_set_current_row(row_of(a), true);
        return Value();
    });
    on("ue_pre_save", [this](Args a) { return Value(trigger("ue_accept", {a.begin(), a.end()}).toBool() ? 1 : -1); });
    on("ue_rbuttondown", [this](Args a) {
        u_dw_a* dw = control_of(a);
        if (!dw) return Value();
        int32_t row = row_of(a);
        if (row > 0) {
            dw->fu_set_current_row(row, true);
            dwobject dwo = dwobject_of(a);
            if (dwo.type == "column" && dwo.name != dw->getColumnName() && dwo.tabsequence > 0 && dwo.protect == 0)
                dw->setColumn(dwo.name);
        }
        s_pass& pass = app().g_str_pass;
        pass.window[1] = runtime::Ref<runtime::Window>(this);
        pass.datawindow[1] = runtime::Ref<u_dw_a>(dw);
        pass.number[1] = row;
        return Value();
    });
    extend("ue_init", [this](Args) {
        ib_changerowallowed = true;
        return Value();
    });
    // Refuses to close while the pending edit cannot be accepted, so that the edit is not lost.
    // Nothing queued is run here: the acceptance below is what the queued one would do.
    extend("closequery", [this](Args) {
        if (il_closequery_retval == 0) {
            ib_changerowallowed = false;
            u_dw_a* dw = idw_active_datawindow.get();
            if (dw && !ue_accept(*dw)) {
                il_closequery_retval = 1;
                ib_changerowallowed = true;
            }
        }
        return Value(il_closequery_retval);
    });
}

}  // namespace pakomo
