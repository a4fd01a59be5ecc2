#include "standard/w_get_color.h"

#include "authoring/core/pakomo.h"

namespace pakomo {

using runtime::Args;
using runtime::Value;

w_get_color::w_get_color(std::string className) : w_ok_cancel(std::move(className)) {
    resize(832, 504);
    setTitle("Select a color");
    cb_1->move(37, 312);
    cb_2->move(421, 312);
    uo_color = addControl<uo_get_color>("uo_color");
    uo_color->move(9, 12);
    extend("open", [this](Args) {
        fw_center();
        return Value();
    });
    extend("ue_init", [this](Args) {
        uo_color->fu_set_color(app().g_str_pass.number.get(1));
        return Value();
    });
    extend("ue_ok", [this](Args) {
        app().g_str_pass.number[1] = uo_color->fu_get_color();
        return Value();
    });
}

}  // namespace pakomo
