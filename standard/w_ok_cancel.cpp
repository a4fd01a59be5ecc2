#include "standard/w_ok_cancel.h"

namespace pakomo {

w_ok_cancel::w_ok_cancel(std::string className) : w_a(std::move(className), runtime::WindowKind::Response) {
    resize(1623, 1128);
    setTitleBarBoxes(false, false, false);
    setResizable(false);
    cb_1 = addControl<u_cb_ok>("cb_1");
    cb_1->move(251, 824);
    cb_1->setDefault(true);
    cb_2 = addControl<u_cb_cancel>("cb_2");
    cb_2->move(869, 824);
    cb_2->setCancel(true);
}

}  // namespace pakomo
