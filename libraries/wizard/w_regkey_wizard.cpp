#include "libraries/wizard/w_regkey_wizard.h"

#include <QAbstractScrollArea>

#include "authoring/core/pakomo.h"
#include "libraries/project/uo_project_registry.h"
#include "libraries/wizard/wizard_page.h"
#include "runtime/services/MessageBox.h"
#include "runtime/services/Text.h"

namespace pakomo {

using runtime::Args;
using runtime::Value;

w_regkey_wizard::w_regkey_wizard() : w_dw_a("w_regkey_wizard", runtime::WindowKind::Child) {
    resize(2300, 1100);
    dw_regkeys = add_wizard_grid(*this, "dw_regkeys", "d_project_regkeys", 2300, 980);
    if (auto* area = qobject_cast<QAbstractScrollArea*>(dw_regkeys->widget())) {
        area->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        area->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    }
    cb_registry = addControl<runtime::CommandButton>("cb_registry");
    cb_registry->move(0, 1000);
    cb_registry->resize(420, 100);
    cb_registry->setText("Registry...");
    // This window opens the browser and receives what it pastes.
    cb_registry->on("clicked", [this](Args) {
        if (!runtime::isClassRegistered("w_registry_view")) return Value();
        app().g_str_pass.window[1] = runtime::Ref<runtime::Window>(this);
        runtime::Ref<runtime::Window> browser =
            runtime::createByName("w_registry_view").as<runtime::Window>();
        if (browser) browser->open();
        return Value();
    });
    on("ue_paste_from_regview", [this](Args a) {
        if (a.size() < 5) return Value();
        const std::string problem = uo_project_registry::fu_insert_pasted(
            *dw_regkeys, ii_prod_id, fw_current_component(), static_cast<int16_t>(a[0].toInt()),
            a[1].toText(), a[2].toText(), a[3].toText(), static_cast<int16_t>(a[4].toInt()));
        if (!problem.empty()) {
            runtime::messageBox(wizard_box_title, problem, runtime::MessageIcon::StopSign);
        } else if (std::string notice = uo_project_registry::fu_caret_notice(
                       static_cast<int16_t>(a[0].toInt()), a[1].toText(), a[2].toText(), a[3].toText(),
                       static_cast<int16_t>(a[4].toInt()));
                   !notice.empty()) {
            runtime::messageBox(wizard_box_title, notice, runtime::MessageIcon::Information);
        }
        return Value();
    });

    // A text column takes string variables through the edit popup; elsewhere the registry menu,
    // whose entries reach this window once it is their parent.
    dw_regkeys->extend("rbuttondown", [this](Args a) {
        select_clicked_row(*dw_regkeys, a);
        if (uo_project_registry::fu_show_edit_popup(*dw_regkeys, *this, a)) return Value();
        show_wizard_popup(*this, "m_popup_registry_wizard");
        return Value();
    });
    on("ue_popup_insert", [this](Args) {
        uo_project_registry::fu_insert_entry(*dw_regkeys, ii_prod_id, 0, fw_current_component());
        return Value();
    });
    on("ue_popup_insert_between", [this](Args) {
        const long row = dw_regkeys->getRow();
        uo_project_registry::fu_insert_entry(*dw_regkeys, ii_prod_id,
                                             row >= 1 && row <= dw_regkeys->rowCount() ? row : 0,
                                             fw_current_component());
        return Value();
    });
    on("ue_popup_delete", [this](Args) {
        delete_current_row(*dw_regkeys);
        return Value();
    });
    uo_project_registry::fu_refuse_typed_names(*dw_regkeys, *this, wizard_box_title);
    extend("close", [this](Args) {
        if (ids_components) runtime::destroy(ids_components);
        return Value();
    });
}

long w_regkey_wizard::fw_current_component() const {
    const long row = dw_regkeys->getRow();
    if (row >= 1 && row <= dw_regkeys->rowCount())
        return static_cast<long>(dw_regkeys->store().getItemNumber(row, "proggrpid"));
    return ids_components && ids_components->rowCount() > 0
               ? static_cast<long>(ids_components->getItemNumber(1, "id"))
               : 0;
}

bool w_regkey_wizard::fw_load(int16_t ai_prod_id) {
    ii_prod_id = ai_prod_id;
    const Value arg(ai_prod_id);
    if (!ids_components) {
        ids_components = runtime::create<runtime::DataStore>();
        ids_components->setDataObject("d_proggrps");
        ids_components->setTransObject(&app().sqlca);
    }
    std::string error;
    if (dw_regkeys->store().retrieve({&arg, 1}) < 0)
        error = dw_regkeys->store().lastError();
    else if (ids_components->retrieve({&arg, 1}) < 0)
        error = ids_components->lastError();
    if (!error.empty()) {
        runtime::messageBox(wizard_box_title, "The registry entries could not be read: " + error,
                            runtime::MessageIcon::StopSign);
        return false;
    }
    uo_project_registry::fu_fill_components(*dw_regkeys, ids_components.get());
    dw_regkeys->store().resetUpdate();
    return true;
}

bool w_regkey_wizard::fw_validate() {
    return uo_project_registry::fu_check_entries(*dw_regkeys, wizard_box_title);
}

bool w_regkey_wizard::fw_save(int16_t ai_prod_id) {
    return save_product_rows(dw_regkeys->store(), ai_prod_id);
}

void w_regkey_wizard::fw_saved() { dw_regkeys->store().resetUpdate(); }

}  // namespace pakomo
