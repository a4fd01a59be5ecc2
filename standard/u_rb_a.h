#pragma once
// The radio-button ancestor: finds its window and reports the focus to it.
#include "standard/control_ancestor.h"

namespace pakomo {

class u_rb_a : public u_control_of<runtime::RadioButton> {
public:
    explicit u_rb_a(std::string className = "u_rb_a") : u_control_of(std::move(className)) {
        resize(224, 72);
        setText("Text");
        setFont("MS Sans Serif", 8, 400);
        runtime::setBackgroundColor(*this, 12632256);
    }
};

}  // namespace pakomo
