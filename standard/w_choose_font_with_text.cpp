#include "standard/w_choose_font_with_text.h"

#include "authoring/core/pakomo.h"
#include "libraries/support/support.h"
#include "runtime/services/Text.h"
#include "standard/nv_winapi.h"

namespace pakomo {

using runtime::Args;
using runtime::Value;

w_choose_font_with_text::w_choose_font_with_text(std::string className) : w_choose_font(std::move(className)) {
    resize(2688, 1580);
    st_text = addControl<u_st_a>("st_text");
    st_text->move(14, 24);
    st_text->resize(133, 56);
    sle_text = addControl<u_sle_a>("sle_text");
    sle_text->move(14, 88);
    sle_text->resize(2647, 88);
    st_font->move(st_font->x(), 244);
    ddplb_font->move(ddplb_font->x(), 308);
    st_size->move(st_size->x(), 240);
    ddlb_size->move(ddlb_size->x(), 304);
    uo_effects->move(uo_effects->x(), 244);
    uo_color->move(uo_color->x(), 244);
    st_example->move(st_example->x(), 880);
    uo_example->move(uo_example->x(), 948);
    cb_1->move(cb_1->x(), 1384);
    cb_2->move(cb_2->x(), 1384);

    extend("ue_init", [this](Args) {
        sle_text->setText(app().g_str_pass.string.get(2));
        sle_text->setFocus();
        sle_text->selectText(1, 999);
        return Value();
    });
    extend("ue_ok", [this](Args) {
        s_pass& pass = app().g_str_pass;
        pass.string[2] = runtime::trim(sle_text->text());
        str_size lstr_size;
        std::string text = pass.string.get(2);
        nv_winapi::instance().gettextdimensions(text, is_facename, static_cast<uint16_t>(ii_pointsize), ib_bold,
                                                ib_italic, ib_underlined, lstr_size);
        pass.number[3] = lstr_size.cx;
        pass.number[4] = lstr_size.cy;
        return Value();
    });
}

}  // namespace pakomo
