#pragma once
// The number field of one colour part: three digits, spin arrows from 0 to 255, a typed value
// kept within 0 to 255, and Enter commits the field instead of pressing the default button.
#include <string>

#include "standard/u_em_a.h"

namespace pakomo {

class u_em_color_component : public u_em_a {
public:
    explicit u_em_color_component(std::string className = "u_em_color_component");

    bool ignoredefaultbutton = false;
};

}  // namespace pakomo
