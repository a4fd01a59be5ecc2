#include "standard/w_choose_font.h"

#include "authoring/core/pakomo.h"
#include "runtime/core/Dispatch.h"
#include "runtime/services/Text.h"
#include "standard/nv_winapi.h"
#include "standard/standard_picture.h"

namespace pakomo {

using runtime::Args;
using runtime::Value;

namespace {

void list_look(runtime::DropDownListBox& list) {
    list.setFont("MS Sans Serif", 8, 700);
    runtime::setBackgroundColor(list, 16777215);
}

}  // namespace

w_choose_font::w_choose_font(std::string className) : w_ok_cancel(std::move(className)) {
    resize(2688, 1360);
    setTitle("Font selection");
    cb_1->move(795, 1164);
    cb_2->move(1413, 1164);
    st_font = addControl<u_st_a>("st_font");
    st_font->setText("Font");
    st_font->move(14, 24);
    st_font->resize(123, 56);
    ddplb_font = addControl<u_ddplb_a>("ddplb_font");
    ddplb_font->move(14, 88);
    ddplb_font->resize(969, 88);  // its list drops down to 604
    ddplb_font->setAllowEdit(false);
    ddplb_font->setSorted(true);
    list_look(*ddplb_font);
    ddplb_font->setPictureMaskColor(16777215);  // the mark's white pixels are transparent
    tt_picture = ddplb_font->addPicture(standard_picture("TT.bmp"));
    uo_effects = addControl<uo_choose_font_effects>("uo_effects");
    uo_effects->move(1010, 20);
    st_size = addControl<u_st_a>("st_size");
    st_size->setText("Pointsize");
    st_size->move(1545, 20);
    st_size->resize(300, 56);  // wider than the list below it, so the whole word shows at our font
    ddlb_size = addControl<runtime::DropDownListBox>("ddlb_size");
    ddlb_size->move(1545, 84);
    ddlb_size->resize(279, 88);  // its list drops down to 604
    ddlb_size->setAllowEdit(true);
    ddlb_size->setSorted(false);
    list_look(*ddlb_size);
    for (const char* size : {"8", "10", "12", "14", "16", "18", "20", "24", "28", "36", "48", "72"}) ddlb_size->addItem(size);
    uo_color = addControl<uo_get_color>("uo_color");
    uo_color->move(1861, 20);
    st_example = addControl<u_st_a>("st_example");
    st_example->setText("Sample");
    st_example->move(14, 660);
    st_example->resize(247, 64);
    uo_example = addControl<uo_choose_font_example>("uo_example");
    uo_example->move(9, 728);
    uo_example->resize(2313, 408);

    extend("open", [this](Args) {
        fw_center();
        fw_position_set_flags(*uo_example, align_hcenter + align_hresize);
        fw_position_set_width_marge(*uo_example, 64);
        fw_position_set_left_marge(*st_example, 32);
        return Value();
    });
    extend("ue_init", [this](Args) {
        fill();
        return Value();
    });
    on("ue_selection_changed", [this](Args) {
        selection_pass();
        return Value();
    });
    extend("ue_ok", [this](Args) {
        s_pass& pass = app().g_str_pass;
        pass.string[1] = is_facename;
        pass.boolean[1] = ib_bold;
        pass.boolean[2] = ib_italic;
        pass.boolean[3] = ib_underlined;
        pass.number[1] = ii_pointsize;
        pass.number[2] = il_color;
        return Value();
    });
    ddplb_font->on("selectionchanged", [this](Args) {
        post("ue_selection_changed");
        return Value();
    });
    ddlb_size->on("modified", [this](Args) {
        post("ue_selection_changed");
        return Value();
    });
    uo_effects->on("ue_selection_changed", [this](Args) {
        post("ue_selection_changed");
        return Value();
    });
    uo_color->on("ue_selection_changed", [this](Args) {
        post("ue_selection_changed");
        return Value();
    });
}

void w_choose_font::fill() {
    runtime::Pointer::set(runtime::PointerShape::HourGlass);
    nv_winapi& api = nv_winapi::instance();
    int16_t n = api.enumeratefonts(handle());
    for (int k = 1; k <= n; ++k) {
        std::string facename(40, ' ');
        bool truetype = false;
        api.getfont(static_cast<uint16_t>(k - 1), facename, truetype);
        facename = runtime::trim(facename);
        ddplb_font->addItem(facename, truetype ? tt_picture : 0);
    }
    api.freefonts();
    const s_pass& pass = app().g_str_pass;
    ddplb_font->setText(runtime::trim(pass.string.get(1)));
    uo_effects->cbx_bold->setChecked(pass.boolean.get(1));
    uo_effects->cbx_italic->setChecked(pass.boolean.get(2));
    uo_effects->cbx_underlined->setChecked(pass.boolean.get(3));
    ddlb_size->setText(std::to_string(pass.number.get(1)));
    uo_color->fu_set_color(pass.number.get(2));
    if (pass.number.upperbound() > 2) uo_example->fu_set_backgroundcolor(pass.number.get(3));
}

void w_choose_font::selection_pass() {
    is_facename = ddplb_font->text();
    ii_pointsize = static_cast<int16_t>(Value(runtime::trim(ddlb_size->text())).toInt());
    il_color = uo_color->fu_get_color();
    uo_effects->fu_get_effects(ib_bold, ib_underlined, ib_italic);
    uo_example->setRedraw(false);
    uo_example->fu_set_facename(is_facename);
    uo_example->fu_set_pointsize(ii_pointsize);
    uo_example->fu_set_color(il_color);
    uo_example->fu_set_bold(ib_bold);
    uo_example->fu_set_underline(ib_underlined);
    uo_example->fu_set_italic(ib_italic);
    uo_example->setRedraw(true);
}

}  // namespace pakomo
