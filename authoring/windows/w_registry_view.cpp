#include "authoring/windows/w_registry_view.h"

#include <QIcon>
#include <QMainWindow>

#include "authoring/core/pakomo.h"
#include "runtime/ui/Controls.h"

namespace pakomo {

using runtime::Args;
using runtime::Value;

namespace {

constexpr int16_t kHelpTopic = 30;
// The design height 1660 counts the title bar and borders, which the runtime's window size leaves
// out; without them the tree and list, sized to the height less 100, would cover the buttons.
constexpr int kFrameHeight = 100;

int16_t root_code(const std::string& root) {
    if (root == "HKEY_CLASSES_ROOT") return 1;
    if (root == "HKEY_CURRENT_USER") return 2;
    if (root == "HKEY_LOCAL_MACHINE") return 3;
    if (root == "HKEY_USERS") return 4;
    return 0;
}

}  // namespace

w_registry_view::w_registry_view() : w_ok_cancel("w_registry_view") {
    setTitle("Registry");
    resize(3191, 1660 - kFrameHeight);
    setTitleBarBoxes(true, false, false);
    runtime::setBackgroundColor(*this, 12632256);
    mainWidget()->setWindowIcon(QIcon(QStringLiteral(":/authoring/Icon.ico")));

    uo_1 = addControl<uo_registry_view>("uo_1");
    uo_1->resize(3090, 1440);
    uo_1->setTabOrder(10);
    cb_1->setText("&Paste");
    cb_1->setEnabled(false);
    cb_1->move(1248, 1472);
    cb_2->move(1627, 1472);
    cb_3 = addControl<u_cb_help>("cb_3");
    cb_3->move(2743, 1472);
    cb_3->setTabOrder(11);

    extend("open", [this](Args) {
        iw_calling_window = app().g_str_pass.window.get(1);
        fw_set_helptopic(kHelpTopic);
        return Value();
    });
    extend("ue_init", [this](Args) {
        uo_1->lv_1->addColumn("Naam", runtime::Alignment::Left, 512);
        uo_1->lv_1->addColumn("Gegevens", runtime::Alignment::Left, 1024);
        return Value();
    });
    extend("resize", [this](Args a) {
        const int16_t newwidth = static_cast<int16_t>(a.size() > 1 ? a[1].toInt() : 0);
        const int16_t newheight = static_cast<int16_t>(a.size() > 2 ? a[2].toInt() : 0);
        uo_1->trigger("ue_w_resize", {newwidth, newheight - 100});
        return Value();
    });
    on("ue_items_selected", [this](Args a) {
        cb_1->setEnabled(!a.empty() && a[0].toBool());
        return Value();
    });
    // The ancestor first: it has the dialog closed once the pasting is done.
    extend("ue_ok", [this](Args) {
        paste();
        return Value();
    });
}

void w_registry_view::paste() {
    unbounded_array<int32_t> positions;
    const int16_t n = uo_1->fu_get_selected_values(positions);

    const std::string& full_key = uo_1->is_full_key;
    const size_t slash = full_key.find('\\');
    const std::string root = full_key.substr(0, slash);
    const std::string subkey = slash == std::string::npos ? std::string() : full_key.substr(slash + 1);
    const int16_t code = root_code(root);
    if (code < 1) return;

    u_ds_registry_values& values = *uo_1->ids_reg_values;
    bool first = true;
    for (int16_t i = 1; i <= n; ++i) {
        const long row = uo_1->fu_get_row(positions.get(i));
        if (row < 1 || row > values.rowCount()) continue;
        const int16_t type = static_cast<int16_t>(values.getItem(row, "type").toInt());
        if (type == uo_registry_view::reg_default) continue;
        std::string name = values.getItemString(row, "as_name");
        std::string data = values.getItemString(row, "as_value");
        // The receiver may be closed by what it does with a value.
        if (!iw_calling_window) return;
        // The first value pasted carries true, even when a value that is never pasted came before.
        iw_calling_window->trigger("ue_paste_from_regview", {code, subkey, name, data, type, first});
        first = false;
    }
}

}  // namespace pakomo
