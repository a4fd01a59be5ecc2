// Click selection of the data-window control: which rows a click selects, in one-row and
// several-row mode, with Shift and Ctrl, through the hooks ue_selectrow and ue_isselected.
#include "runtime/core/Dispatch.h"
#include "runtime/services/System.h"
#include "standard/u_dw_a.h"

namespace pakomo {

bool u_dw_a::selectrow(int32_t row, int16_t action) { return trigger("ue_selectrow", {row, action}).toBool(); }

bool u_dw_a::fu_is_selected(int32_t al_row) { return trigger("ue_isselected", {al_row}).toBool(); }

void u_dw_a::fu_select_current(int16_t ai_action) {
    fu_set_redraw(false);
    selectrow(il_current_row, ai_action);
    fu_restore_redraw();
}

void u_dw_a::fu_select_range(int32_t al_rowfrom, int32_t al_rowto, int16_t ai_action) {
    long rows = rowCount();
    if (al_rowfrom < 1 || al_rowto < 1 || al_rowfrom > rows || al_rowto > rows) return;
    if (al_rowto < al_rowfrom) std::swap(al_rowfrom, al_rowto);
    bool outer = ib_select_range_in_progress;
    ib_select_range_in_progress = true;
    runtime::Pointer::set(runtime::PointerShape::HourGlass);
    fu_set_redraw(false);
    for (int32_t row = al_rowfrom; row <= al_rowto; ++row) selectrow(row, ai_action);
    setRow(il_current_row);
    fu_restore_redraw();
    ib_select_range_in_progress = outer;
}

void u_dw_a::fu_select(int32_t al_row) {
    if (ii_select_allow < 1) return;
    runtime::Pointer::set(runtime::PointerShape::HourGlass);
    fu_set_redraw(false);
    int32_t current = il_current_row, previous = il_previous_row;
    bool shift = runtime::keyDown(runtime::ModifierKey::Shift);
    bool ctrl = runtime::keyDown(runtime::ModifierKey::Control);
    int32_t rows = static_cast<int32_t>(rowCount());
    if (ii_select_allow == 1) {
        int16_t action = ctrl ? select_invert : select_true;
        fu_select_range(1, al_row - 1, select_false);
        selectrow(al_row, action);
        fu_select_range(al_row + 1, rows, select_false);
    } else if (!shift && !ctrl) {
        fu_select_range(1, rows, select_false);
        ib_anchor_row_selected = selectrow(al_row, select_true);
        il_anchor_row = al_row;
    } else if (ctrl && !shift) {
        ib_anchor_row_selected = selectrow(al_row, select_invert);
        il_anchor_row = al_row;
    } else if (shift && !ctrl) {
        fu_select_range(1, rows, select_false);
        if (il_anchor_row >= 1) {
            fu_select_range(il_anchor_row, al_row, ib_anchor_row_selected ? select_true : select_false);
        } else {
            ib_anchor_row_selected = fu_is_selected(al_row);
            il_anchor_row = al_row;
        }
    } else if (il_anchor_row >= 1) {
        fu_select_range(il_anchor_row, al_row, ib_anchor_row_selected ? select_true : select_false);
    } else {
        ib_anchor_row_selected = selectrow(al_row, select_invert);
        il_anchor_row = al_row;
    }
    il_current_row = current;
    il_previous_row = previous;
    fu_restore_redraw();
}

}  // namespace pakomo
