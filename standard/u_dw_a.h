#pragma once
// The ancestor of every data-window control: binds to its editing window and becomes its active
// data window; keeps the current, previous and anchor rows, a stack of redraw switches and the
// text a field held when it got the focus; protects a column under a condition; passes focus,
// selected text and clicks on to the window. Click selection: u_dw_a_select.cpp.
//
// An object argument of a queued event (this control, in the window's ue_clicked and the
// others) travels as its handle; the window finds the control again from it.
#include <cstdint>
#include <string>
#include <vector>

#include "runtime/ui/DataWindow.h"

namespace pakomo {

class w_dw_a;

// What a click hit, as the window's click events receive it.
struct dwobject {
    std::string name;
    std::string type;
    int tabsequence = 0;
    int protect = 0;
};

class u_dw_a : public runtime::DataWindow {
public:
    static constexpr int16_t select_false = 0;
    static constexpr int16_t select_true = 1;
    static constexpr int16_t select_invert = 2;

    explicit u_dw_a(std::string className = "u_dw_a");
    ~u_dw_a() override;

    void fu_set_parent_window();
    int32_t fu_set_current_row(int32_t al_newrow, bool ab_scrolltorow);
    void fu_set_select_allow(int16_t ai_select_allow) { ii_select_allow = ai_select_allow; }
    int16_t fu_get_select_allow() const { return ii_select_allow; }
    void fu_set_datastore_id(std::string as_id) { is_datastore_id = std::move(as_id); }
    std::string fu_get_datastore_id() const { return is_datastore_id; }
    int32_t fu_get_previous_row() const { return il_previous_row; }
    void fu_set_changerowallowed(bool ab_allowed) { ib_changerowallowed = ab_allowed; }
    runtime::Ref<w_dw_a> fu_get_parent_window() const;
    std::string fu_get_fieldvalue() const { return is_fieldvalue; }
    void fu_select_current(int16_t ai_action);
    bool fu_is_selected(int32_t al_row);
    void fu_set_redraw(bool ab_redraw);
    void fu_restore_redraw();
    bool fu_get_redraw() const;
    void fu_select_range(int32_t al_rowfrom, int32_t al_rowto, int16_t ai_action);
    int32_t fu_get_current_row() const { return il_current_row; }
    void fu_select(int32_t al_row);
    void fu_set_protected_column(const std::string& as_column, const std::string& as_condition);
    bool fu_get_changerowallowed() const { return ib_changerowallowed; }

    runtime::Ref<runtime::Object> iw_parent;  // a w_dw_a
    int32_t il_current_row = 0;
    int32_t il_previous_row = 0;
    int32_t il_anchor_row = 0;
    bool ib_changerowallowed = false;
    bool ib_anchor_row_selected = false;
    bool ib_select_range_in_progress = false;
    std::vector<bool> ib_redraw;  // element n at index n - 1
    int16_t ii_redraw_index = 0;
    int16_t ii_select_allow = 0;
    std::string is_datastore_id;
    std::string is_fieldvalue;

private:
    bool selectrow(int32_t row, int16_t action);
    w_dw_a& window() const;
};

// The control a queued event names by its handle, or none.
u_dw_a* datawindow_of(const runtime::Value& handle);
// The arguments of a queued click event: the control, the position, the row and what was hit.
std::vector<runtime::Value> click_arguments(u_dw_a& control, runtime::Args args, const runtime::DataWindowObject& hit);
dwobject dwobject_of(runtime::Args args);

}  // namespace pakomo
