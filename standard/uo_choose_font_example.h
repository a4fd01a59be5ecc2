#pragma once
// The font dialog's sample: a bordered box with one line of text, centred, drawn in the chosen
// face, size, colour and effects.
#include <cstdint>
#include <string>

#include "standard/u_st_a.h"
#include "standard/uo_a.h"

namespace pakomo {

class uo_choose_font_example : public uo_a {
public:
    explicit uo_choose_font_example(std::string className = "uo_choose_font_example");

    void fu_set_facename(const std::string& as_facename);
    void fu_set_color(int32_t al_color);
    void fu_set_pointsize(int16_t ai_pointsize);
    void fu_set_bold(bool ab_bold);
    void fu_set_italic(bool ab_italic);
    void fu_set_underline(bool ab_underline);
    void fu_set_backgroundcolor(int32_t al_color);

    // The label's font as last set (text size in points, negative as the host writes it).
    std::string facename = "MS Sans Serif";
    int16_t textsize = -8;
    int16_t weight = 400;
    bool italic = false;
    bool underline = false;
    int32_t textcolor = 0;
    int32_t backcolor = 12632256;

    runtime::Ref<u_st_a> st_1;

private:
    void apply_font();
};

}  // namespace pakomo
