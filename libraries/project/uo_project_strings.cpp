#include "libraries/project/uo_project_strings.h"

#include "authoring/core/pakomo.h"
#include "authoring/project/nv_create_setup.h"
#include "runtime/services/MessageBox.h"
#include "runtime/services/Text.h"

namespace pakomo {

using runtime::Args;
using runtime::Value;

namespace {

nv_create_setup* service() { return app().gnv_create_setup.as<nv_create_setup>().get(); }

}  // namespace

uo_project_strings::uo_project_strings() : uo_project_pane("uo_project_strings") {
    dw_strings = addControl<u_dw_create_setup_a>("dw_strings", "u_dw_create_setup_a", "d_project_stringtable");
    dw_strings->move(margin, content_top);
    dw_strings->resize(1780, 640);
    fu_position_set_flags(*dw_strings, align_resize);
    fu_position_set_width_marge(*dw_strings, 2 * margin);
    fu_position_set_height_marge(*dw_strings, content_top + margin);
    dw_strings->store().setTransObject(&app().sqlca);
    dw_strings->extend("rbuttondown", [this](Args a) {
        const long row = a.size() > 2 ? a[2].toInt() : 0;
        if (row > 0 && row <= dw_strings->rowCount()) dw_strings->setRow(row);
        fu_show_popup("m_popup_stringtable_project");
        return Value();
    });
    // References are looked up in capitals, so a name is kept trimmed and in capitals; a name
    // that clashes with another or a reserved one is renamed by the service's rule as it is typed.
    dw_strings->on("itemchanged", [this](Args a) {
        const long row = a.empty() ? 0 : a[0].toInt();
        if (row < 1 || dw_strings->getColumnName() != "name" || a.size() < 3) return Value(0);
        const std::string typed = a[2].toText();
        dw_strings->setText(runtime::upper(runtime::trim(typed)));
        if (nv_create_setup* s = service()) s->fnv_check_duplicate_stringtable_names(*dw_strings, row, Value(dw_strings->getText()));
        const std::string fixed = dw_strings->getText();
        // The typed text is stored once this event returns, so the corrected name follows it.
        if (fixed != typed) {
            i_fixed_names.emplace_back(row, fixed);
            post("ue_name_fixed");
        }
        return Value(0);
    });
    on("ue_name_fixed", [this](Args) {
        fu_apply_fixed_names();
        return Value();
    });
}

void uo_project_strings::fu_apply_fixed_names() {
    std::vector<std::pair<long, std::string>> fixed;
    fixed.swap(i_fixed_names);
    for (const auto& [row, name] : fixed) {
        if (row > dw_strings->rowCount()) continue;
        dw_strings->store().setItem(row, "name", Value(name));
        // The field shows the corrected name already; taking it clears the pending edit.
        if (dw_strings->getRow() == row && dw_strings->getColumnName() == "name") dw_strings->acceptText();
    }
}

bool uo_project_strings::report(const std::string& text) {
    runtime::messageBox("Project", text, runtime::MessageIcon::StopSign);
    return false;
}

bool uo_project_strings::fu_load(int16_t ai_prod_id) {
    ii_prod_id = ai_prod_id;
    i_fixed_names.clear();
    const Value arg(ai_prod_id);
    if (dw_strings->store().retrieve({&arg, 1}) < 0)
        return report("The string variables could not be read: " + dw_strings->store().lastError());
    return true;
}

bool uo_project_strings::fu_is_modified() const {
    const runtime::DataStore& ds = dw_strings->store();
    return ds.deletedCount() > 0 || ds.modifiedCount() > 0;
}

bool uo_project_strings::fu_validate() {
    if (dw_strings->acceptText() != 1) return false;
    fu_apply_fixed_names();  // a name typed just before the save
    runtime::DataStore& ds = dw_strings->store();
    nv_create_setup* s = service();
    for (long r = 1; r <= ds.rowCount(); ++r) {
        const std::string name = runtime::trim(ds.getItem(r, "name").toText());
        auto refuse = [&](const std::string& text) {
            dw_strings->setRow(r);
            dw_strings->scrollToRow(r);
            dw_strings->setColumn("name");
            return report(text);
        };
        if (name.empty()) return refuse("Type a name for every string variable.");
        if (s && s->fnv_check_reserved_stringtable_names(Value(runtime::upper(name))) > 0)
            return refuse("\"" + name + "\" is a reserved name. Choose another name for the string variable.");
        for (long o = 1; o < r; ++o)
            if (runtime::upper(runtime::trim(ds.getItem(o, "name").toText())) == runtime::upper(name))
                return refuse("There is a string variable called \"" + name + "\" already. Choose another name.");
    }
    return true;
}

bool uo_project_strings::fu_save() { return dw_strings->store().update(false) == 1; }

void uo_project_strings::fu_saved() {
    dw_strings->store().resetUpdate();
    if (nv_create_setup* s = service()) s->fnv_retrieve_stringtable(ii_prod_id);
}

void uo_project_strings::fu_popup(const std::string& as_event) {
    runtime::DataStore& ds = dw_strings->store();
    if (as_event == "ue_popup_insert") {
        const Value max_id = ds.rowCount() > 0 ? ds.getItem(1, "c_max_id") : Value();
        const long row = ds.insertRow(0);
        ds.setItem(row, "id", Value((max_id.isNull() ? 0 : max_id.toInt()) + 1));
        ds.setItem(row, "prodid", Value(ii_prod_id));
        dw_strings->setRow(row);
        dw_strings->scrollToRow(row);
        dw_strings->setColumn("name");
        dw_strings->setFocus();
    } else if (as_event == "ue_popup_delete") {
        const long row = dw_strings->getRow();
        if (row >= 1 && row <= ds.rowCount()) ds.deleteRow(row);
    }
}

}  // namespace pakomo
