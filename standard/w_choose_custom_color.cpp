#include "standard/w_choose_custom_color.h"

#include "authoring/core/pakomo.h"

namespace pakomo {

using runtime::Args;
using runtime::Value;

w_choose_custom_color::w_choose_custom_color(std::string className) : w_ok_cancel(std::move(className)) {
    resize(1760, 1660);
    setTitle("Color selection");
    uo_1 = addControl<uo_choose_custom_color>("uo_1");
    uo_1->move(9, 0);
    uo_1->resize(1723, 1468);
    cb_1->move(361, 1472);
    cb_2->move(978, 1472);
    extend("open", [this](Args) {
        fw_center();
        return Value();
    });
    extend("ue_init", [this](Args) {
        uo_1->fu_set_color(app().g_str_pass.number.get(1));
        return Value();
    });
    extend("ue_ok", [this](Args) {
        app().g_str_pass.number[1] = uo_1->fu_get_color();
        return Value();
    });
}

}  // namespace pakomo
