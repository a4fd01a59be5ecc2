#pragma once
// The font dialog with a line of text above it: OK also returns the text (trimmed) in
// string[2] and the size it takes in the chosen font in number[3] and number[4].
#include <string>

#include "standard/u_sle_a.h"
#include "standard/w_choose_font.h"

namespace pakomo {

class w_choose_font_with_text : public w_choose_font {
public:
    explicit w_choose_font_with_text(std::string className = "w_choose_font_with_text");

    runtime::Ref<u_st_a> st_text;
    runtime::Ref<u_sle_a> sle_text;
};

}  // namespace pakomo
