#include "standard/w_print_dw.h"

namespace pakomo {

using runtime::Args;
using runtime::Value;

w_print_dw::w_print_dw(std::string className) : w_print(std::move(className)) {
    resize(2770, 1500);
    uo_dw = addControl<uo_dw_preview>("uo_dw");
    uo_dw->move(832, 0);
    uo_dw->resize(1902, 1380);
    uo_1->move(9, 0);
    cb_1->move(59, 1056);
    cb_2->move(443, 1056);
    extend("ue_init", [this](Args) {
        uo_1->fu_set_orientation(0);
        return Value();
    });
    extend("ue_orientation_changed", [this](Args a) {
        uo_dw->fu_set_orientation(static_cast<int16_t>(a.empty() ? 0 : a[0].toInt()));
        return Value();
    });
    extend("ue_copies_changed", [this](Args a) {
        uo_dw->fu_set_copies(static_cast<int16_t>(a.empty() ? 0 : a[0].toInt()));
        return Value();
    });
    extend("ue_print", [this](Args) {
        uo_dw->dw_1->print(true);
        return Value();
    });
}

}  // namespace pakomo
