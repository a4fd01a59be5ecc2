#pragma once
// The "Effects" group of the font dialog: bold, underlined and italic. Every click is followed
// by a queued ue_selection_changed, which the owner scripts.
#include <string>

#include "standard/u_checkbox_a.h"
#include "standard/u_gb_a.h"
#include "standard/uo_a.h"

namespace pakomo {

class uo_choose_font_effects : public uo_a {
public:
    explicit uo_choose_font_effects(std::string className = "uo_choose_font_effects");

    void fu_get_effects(bool& ab_bold, bool& ab_underlined, bool& ab_italic) const;

    runtime::Ref<u_gb_a> gb_1;
    runtime::Ref<u_checkbox_a> cbx_bold;
    runtime::Ref<u_checkbox_a> cbx_underlined;
    runtime::Ref<u_checkbox_a> cbx_italic;
};

}  // namespace pakomo
