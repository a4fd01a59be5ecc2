#include "standard/w_print.h"

#include <QFrame>

namespace pakomo {

using runtime::Args;
using runtime::Value;

w_print::w_print(std::string className) : w_ok_cancel(std::move(className)) {
    resize(1253, 1080);
    setTitle("Afdrukken");
    uo_1 = addControl<uo_print>("uo_1");
    uo_1->move(0, 0);
    uo_1->resize(805, uo_1->height());
    if (auto* frame = qobject_cast<QFrame*>(uo_1->widget())) frame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    cb_1->setText("&Print");
    cb_1->move(201, 896);
    cb_2->move(818, 896);
    extend("open", [this](Args) {
        fw_center();
        return Value();
    });
    extend("ue_ok", [this](Args) {
        trigger("ue_print");
        return Value();
    });
}

}  // namespace pakomo
