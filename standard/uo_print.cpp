#include "standard/uo_print.h"

#include <QFrame>

namespace pakomo {

uo_print::uo_print(std::string className) : uo_a(std::move(className)) {
    resize(791, 800);
    uo_orientation = addControl<uo_print_orientation>("uo_orientation");
    uo_orientation->move(27, 0);
    uo_orientation->resize(667, uo_orientation->height());
    uo_oplage = addControl<uo_print_copies>("uo_oplage");
    uo_oplage->move(27, 408);
    cb_1 = addControl<u_cb_printsetup>("cb_1");
    cb_1->move(210, 688);
}

}  // namespace pakomo
