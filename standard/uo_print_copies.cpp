#include "standard/uo_print_copies.h"

#include <QLabel>
#include <QLineEdit>

#include "runtime/services/Text.h"
#include "standard/w_print.h"

namespace pakomo {

using runtime::Args;
using runtime::Value;

uo_print_copies::uo_print_copies(std::string className) : runtime::UserObject(std::move(className)) {
    resize(763, 260);
    runtime::setBackgroundColor(*this, 12632256);
    gb_1 = addControl<u_gb_a>("gb_1");
    gb_1->setText("Copies");
    gb_1->move(0, 0);
    gb_1->resize(736, 244);
    st_1 = addControl<u_st_a>("st_1");
    st_1->setText("&Number of copies");
    st_1->move(32, 100);
    st_1->resize(480, 72);
    em_copies = addControl<u_em_a>("em_copies");
    em_copies->move(520, 92);
    em_copies->resize(190, 84);
    em_copies->setMask("####");
    em_copies->setSpin(1, 1, 9999);
    em_copies->setFont("MS Sans Serif", 8, 700);
    em_copies->setText("1");
    // Alt+N, the label's mnemonic, moves the focus into the field.
    if (auto* label = qobject_cast<QLabel*>(st_1->widget())) label->setBuddy(em_copies->lineEdit());

    on("constructor", [this](Args) {
        fu_set_copies(1);
        return Value();
    });
    em_copies->on("ue_notify_window", [this](Args) {
        if (auto window = em_copies->iw_parent.as<w_print>())
            window->post("ue_copies_changed", {Value(static_cast<int>(fu_get_copies()))});
        return Value();
    });
    em_copies->extend("modified", [this](Args) {
        em_copies->trigger("ue_notify_window");
        return Value();
    });
}

void uo_print_copies::fu_set_copies(int16_t ai_copies) {
    em_copies->setText(std::to_string(ai_copies));
    em_copies->post("ue_notify_window");
}

int16_t uo_print_copies::fu_get_copies() const {
    return static_cast<int16_t>(Value(runtime::trim(em_copies->text())).toInt());
}

}  // namespace pakomo
