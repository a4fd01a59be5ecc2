#include "standard/uo_choose_font_example.h"

#include <QLabel>

#include <cmath>

#include "runtime/services/System.h"
#include "standard/text_color.h"

namespace pakomo {

using runtime::Args;
using runtime::Value;

uo_choose_font_example::uo_choose_font_example(std::string className) : uo_a(std::move(className)) {
    resize(2199, 440);
    if (auto* frame = qobject_cast<QFrame*>(widget())) frame->setFrameStyle(QFrame::Box | QFrame::Plain);
    st_1 = addControl<u_st_a>("st_1");
    st_1->setText("The quick brown fox jumps over the lazy dog.");
    st_1->move(32, 184);
    st_1->resize(2135, 72);
    st_1->setEnabled(true);  // drawn in its own colour, not greyed
    if (auto* l = qobject_cast<QLabel*>(st_1->widget())) l->setAlignment(Qt::AlignCenter);
    extend("constructor", [this](Args) {
        fu_position_set_flags(*st_1, align_hcenter + align_vcenter + align_hresize);
        fu_position_set_width_marge(*st_1, 64);
        return Value();
    });
}

void uo_choose_font_example::apply_font() {
    // A size of 0 (a size that is no number) keeps the face at its smallest readable size;
    // the label's height of 0 hides it anyway.
    int points = textsize < 0 ? -textsize : 0;
    st_1->setFont(facename, points > 0 ? points : 1, weight, italic, underline);
}

void uo_choose_font_example::fu_set_facename(const std::string& as_facename) {
    facename = as_facename;
    apply_font();
}

void uo_choose_font_example::fu_set_color(int32_t al_color) {
    textcolor = al_color;
    set_text_color(*st_1, al_color);
}

void uo_choose_font_example::fu_set_pointsize(int16_t ai_pointsize) {
    textsize = static_cast<int16_t>(-ai_pointsize);
    apply_font();
    double pixels = std::trunc(ai_pointsize + ai_pointsize * 2.0 / 3.0);
    st_1->resize(st_1->width(), runtime::pixelsToUnitsY(static_cast<int>(pixels)));
    setRedraw(false);
    inv_control_position.fnv_align_controls(static_cast<int16_t>(width()), static_cast<int16_t>(height()));
    setRedraw(true);
}

void uo_choose_font_example::fu_set_bold(bool ab_bold) {
    weight = ab_bold ? 700 : 400;
    apply_font();
}

void uo_choose_font_example::fu_set_italic(bool ab_italic) {
    italic = ab_italic;
    apply_font();
}

void uo_choose_font_example::fu_set_underline(bool ab_underline) {
    underline = ab_underline;
    apply_font();
}

void uo_choose_font_example::fu_set_backgroundcolor(int32_t al_color) {
    backcolor = al_color;
    runtime::setBackgroundColor(*this, al_color);
    runtime::setBackgroundColor(*st_1, al_color);
}

}  // namespace pakomo
