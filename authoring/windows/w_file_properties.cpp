#include "authoring/windows/w_file_properties.h"

#include <QIcon>
#include <QMainWindow>

#include "authoring/core/nv_message.h"
#include "authoring/core/pakomo.h"
#include "runtime/services/Text.h"

namespace pakomo {

using runtime::Args;
using runtime::Value;

namespace {
constexpr int16_t kHelpTopic = 27;
constexpr int kMessageShortcutText = 14;
}  // namespace

w_file_properties::w_file_properties() : w_dw_a("w_file_properties", runtime::WindowKind::Response) {
    resize(3072, 540);
    setTitleBarBoxes(false, false, false);
    setResizable(false);
    mainWidget()->setWindowIcon(QIcon(QStringLiteral(":/authoring/Icon.ico")));

    cb_3 = addControl<u_cb_help>("cb_3");
    cb_3->move(2679, 332);
    cb_3->setTabOrder(30);
    dw_1 = addControl<u_dw_create_setup_a>("dw_1", "u_dw_create_setup_a", "d_file_properties");
    dw_1->move(27, 0);
    dw_1->resize(3017, 292);
    dw_1->setTabOrder(10);
    cb_2 = addControl<u_cb_ok>("cb_2");
    cb_2->move(1102, 332);
    cb_2->setText("&Ok");
    cb_2->setDefault(true);
    cb_2->setTabOrder(30);
    cb_1 = addControl<u_cb_cancel>("cb_1");
    cb_1->move(1486, 332);
    cb_1->setCancel(true);
    cb_1->setTabOrder(20);

    dw_1->extend("constructor", [this](Args) {
        dw_1->fu_set_protected_column("stringvar_linktext", "exe=0");
        return Value();
    });
    extend("open", [this](Args) {
        fw_center();
        fw_set_helptopic(kHelpTopic);
        runtime::Ref<u_ds_a> rows = app().g_str_pass.datastore.get(1);
        if (rows) rows->shareData(dw_1->store());
        runtime::DataStore& ds = dw_1->store();
        if (ds.rowCount() < 1) return Value();
        setTitle("Properties of " + ds.getItemString(1, "path"));
        ii_orig_readme = ds.getItem(1, "readme");
        ii_orig_shortcut = ds.getItem(1, "exe");
        is_orig_text = ds.getItem(1, "stringvar_linktext");
        orig_shared = ds.getItem(1, "shared");
        return Value();
    });
    // What is still being typed goes too: taken into the row first (a text the row refuses is
    // replaced by the row's own), so that closing has nothing left to take in.
    extend("ue_cancel", [this](Args) {
        runtime::DataStore& ds = dw_1->store();
        if (ds.rowCount() < 1) return Value();
        if (dw_1->acceptText() != 1 && dw_1->getRow() >= 1 && dw_1->getColumn() >= 1) {
            dw_1->setEditText(ds.getItemString(dw_1->getRow(), dw_1->getColumn()));
            dw_1->acceptText();
        }
        ds.setItem(1, "readme", ii_orig_readme);
        ds.setItem(1, "exe", ii_orig_shortcut);
        ds.setItem(1, "stringvar_linktext", is_orig_text);
        ds.setItem(1, "shared", orig_shared);
        return Value();
    });
    // The edit popup belongs to the string-variable service's library: raised on it by name.
    extend("ue_rbuttondown", [this](Args a) {
        if (!inv_popup && runtime::isClassRegistered("nv_stringvar_popup"))
            inv_popup = runtime::createByName("nv_stringvar_popup");
        if (!inv_popup) return Value();
        std::vector<Value> args{Value(this)};
        args.insert(args.end(), a.begin(), a.end());
        inv_popup->trigger("fnv_show_popup", std::move(args));
        return Value();
    });
    extend("close", [this](Args) {
        if (inv_popup) runtime::destroy(inv_popup);
        return Value();
    });
}

// A shortcut needs its text; blanks alone are no text.
bool w_file_properties::fw_validate() {
    if (!ue_accept(*dw_1)) return false;  // the text being typed counts
    bool lb_ok = true;
    runtime::DataStore& ds = dw_1->store();
    if (ds.rowCount() >= 1 && ds.getItem(1, "exe").toReal() == 1.0 && ds.getItem(1, "exe").isNumber()) {
        Value text = ds.getItem(1, "stringvar_linktext");
        if (text.isNull() || runtime::trim(text.toText()).empty()) {
            app().gnv_message->fnv_display_message(kMessageShortcutText);
            lb_ok = false;
        }
    }
    return lb_ok;
}

}  // namespace pakomo
