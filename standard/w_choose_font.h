#pragma once
// The "Font selection" dialog: face, point size, effects and colour, with a sample drawn in the
// current choice. Reads and writes string[1], number[1..3] and boolean[1..3] of the parameter
// record; OK writes the choice as the last selection pass gathered it.
#include <cstdint>
#include <string>

#include "runtime/ui/Controls.h"
#include "standard/u_ddplb_a.h"
#include "standard/u_st_a.h"
#include "standard/uo_choose_font_effects.h"
#include "standard/uo_choose_font_example.h"
#include "standard/uo_get_color.h"
#include "standard/w_ok_cancel.h"

namespace pakomo {

class w_choose_font : public w_ok_cancel {
public:
    explicit w_choose_font(std::string className = "w_choose_font");

    std::string is_facename;
    bool ib_bold = false;
    bool ib_underlined = false;
    bool ib_italic = false;
    int16_t ii_pointsize = 0;
    int32_t il_color = 0;

    runtime::Ref<u_st_a> st_font;
    runtime::Ref<u_ddplb_a> ddplb_font;
    runtime::Ref<uo_choose_font_effects> uo_effects;
    runtime::Ref<u_st_a> st_size;
    runtime::Ref<runtime::DropDownListBox> ddlb_size;
    runtime::Ref<uo_get_color> uo_color;
    runtime::Ref<u_st_a> st_example;
    runtime::Ref<uo_choose_font_example> uo_example;

    // The face list's picture index of the TrueType mark.
    int tt_picture = 0;

private:
    void fill();
    void selection_pass();
};

}  // namespace pakomo
