#include "standard/uo_print_orientation.h"

#include "standard/standard_picture.h"
#include "standard/w_print.h"

namespace pakomo {

using runtime::Args;
using runtime::Value;

uo_print_orientation::uo_print_orientation(std::string className) : runtime::UserObject(std::move(className)) {
    resize(658, 384);
    runtime::setBackgroundColor(*this, 12632256);
    gb_1 = addControl<u_gb_a>("gb_1");
    gb_1->setText("Orientation");
    gb_1->move(0, 0);
    gb_1->resize(640, 360);
    struct Button {
        const char* name;
        const char* text;
        int y, width;
        int16_t value;
        runtime::Ref<u_rb_a>* rb;
    };
    for (const Button& b : {Button{"rb_standaard", "S&tandard", 84, 430, 0, &rb_standaard},
                            Button{"rb_liggend", "&Landscape", 168, 430, 1, &rb_liggend},
                            Button{"rb_staand", "P&ortrait", 252, 430, 2, &rb_staand}}) {
        *b.rb = addControl<u_rb_a>(b.name);
        (*b.rb)->setText(b.text);
        (*b.rb)->move(200, b.y);
        (*b.rb)->resize(b.width, 72);
        (*b.rb)->setAutomatic(false);
        int16_t value = b.value;
        (*b.rb)->extend("clicked", [this, value](Args) {
            fu_set_orientation(value);
            return Value();
        });
    }
    p_staand = addControl<u_p_a>("p_staand");
    p_staand->move(37, 128);
    p_staand->resize(146, 128);
    p_staand->setOriginalSize(true);
    p_staand->setPictureName(standard_picture("Portrait.bmp"));
    p_liggend = addControl<u_p_a>("p_liggend");
    p_liggend->move(41, 128);
    p_liggend->resize(146, 128);
    p_liggend->setOriginalSize(true);
    p_liggend->setPictureName(standard_picture("Landscap.bmp"));
}

void uo_print_orientation::fu_set_orientation(int16_t ai_orientation) {
    if (ai_orientation == ii_orientation) return;
    ii_orientation = ai_orientation;
    // Placed on a window that is no print dialog, the group reports to nobody.
    if (auto window = rb_liggend->fu_get_parent_window().as<w_print>())
        window->post("ue_orientation_changed", {Value(static_cast<int>(ii_orientation))});
    switch (ii_orientation) {
    case 0:
        rb_standaard->setChecked(true);
        rb_staand->setChecked(false);
        rb_liggend->setChecked(false);
        p_staand->setVisible(false);
        p_liggend->setVisible(false);
        break;
    case 1:
        rb_standaard->setChecked(false);
        rb_staand->setChecked(false);
        rb_liggend->setChecked(true);
        p_staand->setVisible(false);
        p_liggend->setVisible(true);
        break;
    case 2:
        rb_standaard->setChecked(false);
        rb_liggend->setChecked(false);
        rb_staand->setChecked(true);
        p_liggend->setVisible(false);
        p_staand->setVisible(true);
        break;
    default:
        break;
    }
}

}  // namespace pakomo
