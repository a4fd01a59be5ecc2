#include "standard/u_dw_a.h"

#include "authoring/core/pakomo.h"
#include "runtime/core/RuntimeError.h"
#include "runtime/services/MessageBox.h"
#include "runtime/services/Text.h"
#include "standard/w_dw_a.h"

namespace pakomo {

using runtime::Args;
using runtime::Value;

u_dw_a* datawindow_of(const Value& handle) {
    return dynamic_cast<u_dw_a*>(runtime::findByHandle(static_cast<long>(handle.toInt())));
}

std::vector<Value> click_arguments(u_dw_a& control, Args args, const runtime::DataWindowObject& hit) {
    std::vector<Value> out{control.handle()};
    for (size_t i = 0; i < 3; ++i) out.push_back(i < args.size() ? args[i] : Value(0));
    out.insert(out.end(), {hit.name, hit.type, hit.tabSequence, hit.protect});
    return out;
}

dwobject dwobject_of(Args args) {
    dwobject dwo;
    if (args.size() > 4) dwo.name = args[4].toText();
    if (args.size() > 5) dwo.type = args[5].toText();
    if (args.size() > 6) dwo.tabsequence = static_cast<int>(args[6].toInt());
    if (args.size() > 7) dwo.protect = static_cast<int>(args[7].toInt());
    return dwo;
}

u_dw_a::u_dw_a(std::string className) : runtime::DataWindow(std::move(className)) {
    resize(704, 304);
    on("constructor", [this](Args) {
        fu_set_parent_window();
        window().fw_set_active_datawindow(runtime::Ref<u_dw_a>(this));
        il_current_row = il_previous_row = il_anchor_row = 0;
        ib_changerowallowed = true;
        ib_select_range_in_progress = false;
        ii_redraw_index = 1;
        ib_redraw.assign(1, true);
        return Value();
    });
    on("destructor", [this](Args) {
        if (ii_redraw_index > 1) runtime::messageBox("System warning", "Missing restore_redraw");
        return Value();
    });
    on("getfocus", [this](Args) {
        window().fw_set_focus_object(runtime::Ref<runtime::Object>(this));
        return Value();
    });
    // The pending edit is accepted once the focus change has been handled.
    on("losefocus", [this](Args) {
        iw_parent->post("ue_accept", {handle()});
        return Value();
    });
    on("clicked", [this](Args a) {
        iw_parent->post("ue_clicked", click_arguments(*this, a, clickedObject()));
        return Value();
    });
    on("doubleclicked", [this](Args a) {
        iw_parent->post("ue_doubleclicked", click_arguments(*this, a, clickedObject()));
        return Value();
    });
    on("rbuttondown", [this](Args a) {
        iw_parent->post("ue_rbuttondown", click_arguments(*this, a, clickedObject()));
        return Value();
    });
    on("itemfocuschanged", [this](Args) {
        is_fieldvalue = getText();
        return Value();
    });
    on("rowfocuschanged", [this](Args a) {
        if (ib_select_range_in_progress) return Value();
        int32_t currentrow = static_cast<int32_t>(a.empty() ? 0 : a[0].toInt());
        il_previous_row = il_current_row;
        // A remembered row that was deleted is replaced even while row changes are locked.
        if ((ib_changerowallowed && window().fw_get_changerowallowed()) || rowCount() < il_current_row)
            il_current_row = currentrow;
        return Value();
    });
    on("editpainted", [this](Args) { return trigger("ue_ctlcolor", {0, 0, 0}); });
    on("ue_ctlcolor", [this](Args) {
        window().fw_set_selected_text(selectedText(), runtime::Ref<runtime::VisualObject>(this));
        return Value();
    });
    on("ue_isselected", [](Args) { return Value(false); });
}

u_dw_a::~u_dw_a() = default;

void u_dw_a::fu_set_parent_window() {
    runtime::Object* o = runtime::getParent(this);
    while (o && runtime::typeOf(o) != "window") o = runtime::getParent(o);
    if (!dynamic_cast<w_dw_a*>(o)) throw runtime::RuntimeError("A data window must stand on an editing window");
    iw_parent = runtime::Ref<runtime::Object>(o);
}

w_dw_a& u_dw_a::window() const {
    auto* w = dynamic_cast<w_dw_a*>(iw_parent.get());
    if (!w) throw runtime::RuntimeError("Null object reference: the data window's window");
    return *w;
}

runtime::Ref<w_dw_a> u_dw_a::fu_get_parent_window() const { return iw_parent.as<w_dw_a>(); }

int32_t u_dw_a::fu_set_current_row(int32_t al_newrow, bool ab_scrolltorow) {
    if (ab_scrolltorow)
        scrollToRow(al_newrow);
    else
        setRow(al_newrow);
    return il_current_row;
}

void u_dw_a::fu_set_redraw(bool ab_redraw) {
    setRedraw(ab_redraw);
    ++ii_redraw_index;
    if (ib_redraw.size() < static_cast<size_t>(ii_redraw_index)) ib_redraw.resize(static_cast<size_t>(ii_redraw_index));
    ib_redraw[static_cast<size_t>(ii_redraw_index - 1)] = ab_redraw;
}

void u_dw_a::fu_restore_redraw() {
    if (ii_redraw_index <= 1) {
        runtime::messageBox("System warning", "No matching set_redraw");
        return;
    }
    --ii_redraw_index;
    setRedraw(ib_redraw[static_cast<size_t>(ii_redraw_index - 1)]);
}

bool u_dw_a::fu_get_redraw() const {
    return ii_redraw_index >= 1 && ib_redraw[static_cast<size_t>(ii_redraw_index - 1)];
}

void u_dw_a::fu_set_protected_column(const std::string& as_column, const std::string& as_condition) {
    const std::string dark_grey = std::to_string(128 + 256 * 128 + 65536 * 128);
    const std::string light_grey = std::to_string(192 + 256 * 192 + 65536 * 192);
    const std::string white = std::to_string(255 + 256 * 255 + 65536 * 255);
    std::string text = as_column + ".Protect ='0\tif(" + as_condition + ", 1, 0)'";
    text += " " + as_column + ".Color = '0\tif(" + as_condition + ", " + dark_grey + ", 0)'";
    std::string style = runtime::lower(runtime::left(describe(as_column + ".Edit.Style"), 4));
    if (style == "edit" || style == "drop")
        text += " " + as_column + ".Background.Color = '0\tif(" + as_condition + ", " + light_grey + ", " + white + ")'";
    modify(text);
}

}  // namespace pakomo
