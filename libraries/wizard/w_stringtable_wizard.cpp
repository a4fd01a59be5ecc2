#include "libraries/wizard/w_stringtable_wizard.h"

#include "authoring/core/pakomo.h"
#include "authoring/project/nv_create_setup.h"
#include "libraries/wizard/wizard_page.h"
#include "runtime/services/MessageBox.h"
#include "runtime/services/Text.h"

namespace pakomo {

using runtime::Args;
using runtime::Value;

w_stringtable_wizard::w_stringtable_wizard() : w_dw_a("w_stringtable_wizard", runtime::WindowKind::Child) {
    resize(2300, 1100);
    dw_strings = add_wizard_grid(*this, "dw_strings", "d_project_stringtable", 2300, 1100);
    // The menu's entries reach this window, which must be their parent before it is shown.
    dw_strings->extend("rbuttondown", [this](Args a) {
        select_clicked_row(*dw_strings, a);
        show_wizard_popup(*this, "m_popup_stringtable_wizard");
        return Value();
    });
    on("ue_popup_insert", [this](Args) {
        runtime::DataStore& ds = dw_strings->store();
        const Value max_id = ds.rowCount() + ds.deletedCount() > 0 ? ds.getItem(1, "c_max_id") : Value();
        const long row = ds.insertRow(0);
        ds.setItem(row, "id", Value((max_id.isNull() ? 0 : max_id.toInt()) + 1));
        dw_strings->setRow(row);
        dw_strings->scrollToRow(row);
        dw_strings->setColumn("name");
        dw_strings->setFocus();
        return Value();
    });
    on("ue_popup_delete", [this](Args) {
        delete_current_row(*dw_strings);
        return Value();
    });
}

bool w_stringtable_wizard::fw_load(int16_t ai_prod_id) {
    const Value arg(ai_prod_id);
    if (dw_strings->store().retrieve({&arg, 1}) >= 0) return true;
    runtime::messageBox(wizard_box_title,
                        "The string variables could not be read: " + dw_strings->store().lastError(),
                        runtime::MessageIcon::StopSign);
    return false;
}

bool w_stringtable_wizard::fw_validate() {
    if (dw_strings->acceptText() != 1) return false;
    runtime::DataStore& ds = dw_strings->store();
    auto* service = app().gnv_create_setup.as<nv_create_setup>().get();
    for (long r = 1; r <= ds.rowCount(); ++r) {
        const std::string typed = runtime::trim(ds.getItemString(r, "name"));
        const std::string name = runtime::upper(typed);
        auto refuse = [&](const std::string& text) {
            dw_strings->setRow(r);
            dw_strings->scrollToRow(r);
            dw_strings->setColumn("name");
            runtime::messageBox(wizard_box_title, text, runtime::MessageIcon::StopSign);
            return false;
        };
        if (name.empty()) return refuse("Type a name for every string variable.");
        if (service && service->fnv_check_reserved_stringtable_names(Value(name)) > 0)
            return refuse("\"" + typed +
                          "\" is a reserved name. Choose another name for the string variable.");
        for (long o = 1; o < r; ++o)
            if (runtime::upper(runtime::trim(ds.getItemString(o, "name"))) == name)
                return refuse("There is a string variable called \"" + typed +
                              "\" already. Choose another name.");
    }
    // References are looked up in capitals.
    for (long r = 1; r <= ds.rowCount(); ++r) {
        const std::string name = runtime::upper(runtime::trim(ds.getItemString(r, "name")));
        if (name != ds.getItemString(r, "name")) ds.setItem(r, "name", Value(name));
    }
    return true;
}

bool w_stringtable_wizard::fw_save(int16_t ai_prod_id) {
    return save_product_rows(dw_strings->store(), ai_prod_id);
}

void w_stringtable_wizard::fw_saved() { dw_strings->store().resetUpdate(); }

}  // namespace pakomo
