#include "authoring/windows/w_choose_stringvar.h"

#include <QIcon>
#include <QMainWindow>

#include "authoring/core/pakomo.h"
#include "authoring/project/nv_create_setup.h"
#include "runtime/core/Dispatch.h"

namespace pakomo {

using runtime::Args;
using runtime::Value;

namespace {
constexpr int16_t kHelpTopic = 15;

long row_of(const Args& a) { return a.size() > 2 ? static_cast<long>(a[2].toInt()) : 0; }
}  // namespace

w_choose_stringvar::w_choose_stringvar() : w_ok_cancel("w_choose_stringvar") {
    setTitle("Stringconstants");
    resize(2011, 1196);
    mainWidget()->setWindowIcon(QIcon(QStringLiteral(":/authoring/Icon.ico")));
    cb_1->setText("&Paste");
    cb_1->move(251, 996);
    cb_2->move(869, 996);
    dw_1 = addControl<runtime::DataWindow>("dw_1");
    dw_1->move(27, 24);
    dw_1->resize(1949, 940);
    dw_1->setDataObject("d_choose_stringvar");
    cb_3 = addControl<u_cb_help>("cb_3");
    cb_3->move(1487, 996);

    dw_1->on("clicked", [this](Args a) {
        if (const long row = row_of(a); row >= 1) select_only(row);
        return Value();
    });
    dw_1->on("doubleclicked", [this](Args a) {
        const long row = row_of(a);
        if (row < 1) return Value();
        select_only(row);
        post("ue_ok");
        return Value();
    });
    extend("open", [this](Args) {
        runtime::Pointer::set(runtime::PointerShape::HourGlass);
        fw_center();
        fw_set_helptopic(kHelpTopic);
        ids_stringvar = runtime::create<u_ds_choose_stringvar>();
        app().gnv_create_setup.as<nv_create_setup>()->fnv_fill_stringvar_ds(*ids_stringvar);
        ids_stringvar->shareData(dw_1->store());
        return Value();
    });
    extend("ue_init", [this](Args) {
        dw_1->selectRow(1, true);
        return Value();
    });
    extend("ue_ok", [this](Args) {
        if (const long row = dw_1->getSelectedRow(0); row > 0)
            app().g_str_pass.string[1] = dw_1->store().getItemString(row, "name");
        return Value();
    });
    extend("close", [this](Args) {
        if (ids_stringvar) runtime::destroy(ids_stringvar);
        return Value();
    });
}

void w_choose_stringvar::select_only(long row) {
    dw_1->selectRow(0, false);
    dw_1->selectRow(row, true);
}

}  // namespace pakomo
