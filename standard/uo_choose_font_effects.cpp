#include "standard/uo_choose_font_effects.h"

namespace pakomo {

using runtime::Args;
using runtime::Value;

uo_choose_font_effects::uo_choose_font_effects(std::string className) : uo_a(std::move(className)) {
    resize(512, 380);
    gb_1 = addControl<u_gb_a>("gb_1");
    gb_1->setText("Effects");
    gb_1->move(0, 0);
    gb_1->resize(512, 360);
    struct Box {
        const char* name;
        const char* text;
        int y;
        runtime::Ref<u_checkbox_a>* box;
    };
    for (const Box& b : {Box{"cbx_bold", "&Bold", 76, &cbx_bold}, Box{"cbx_underlined", "&Underlined", 164, &cbx_underlined},
                         Box{"cbx_italic", "&Italic", 252, &cbx_italic}}) {
        *b.box = addControl<u_checkbox_a>(b.name);
        (*b.box)->setText(b.text);
        (*b.box)->move(64, b.y);
        (*b.box)->resize(400, 72);
        (*b.box)->extend("clicked", [this](Args) {
            post("ue_selection_changed");
            return Value();
        });
    }
}

void uo_choose_font_effects::fu_get_effects(bool& ab_bold, bool& ab_underlined, bool& ab_italic) const {
    ab_bold = cbx_bold->checked();
    ab_underlined = cbx_underlined->checked();
    ab_italic = cbx_italic->checked();
}

}  // namespace pakomo
