#include "libraries/project/w_wmain_setuptext.h"
#include "libraries/project/stringvar_field.h"


#include "authoring/core/pakomo.h"

namespace pakomo {

using runtime::Args;
using runtime::Value;

w_wmain_setuptext::w_wmain_setuptext() : w_ok_cancel("w_wmain_setuptext") {
    resize(2200, 420);
    setTitle("Setup text");
    st_title = addControl<u_st_a>("st_title");
    st_title->move(40, 48);
    st_title->resize(2100, 72);
    st_title->setText("Title of Setup's background window:");
    sle_title = addControl<u_sle_a>("sle_title");
    sle_title->move(40, 130);
    sle_title->resize(2100, 88);
    sle_title->setLimit(64);
    sle_title->set_autohscroll(true);
    sle_title->setTabOrder(10);
    cb_1->move(1320, 270);
    cb_1->setTabOrder(20);
    cb_2->move(1740, 270);
    cb_2->setTabOrder(30);

    fu_stringvar_field(*this, *sle_title, inv_popup);
    extend("open", [this](Args) {
        fw_center();
        fw_set_helptopic(help_topic);
        sle_title->setText(app().g_str_pass.string.get(1));
        sle_title->setFocus();
        return Value();
    });
    extend("ue_ok", [this](Args) {
        if (app().g_str_pass.button_clicked == 1) app().g_str_pass.string[1] = sle_title->text();
        return Value();
    });
    extend("close", [this](Args) {
        if (inv_popup) runtime::destroy(inv_popup);
        return Value();
    });
}

}  // namespace pakomo
