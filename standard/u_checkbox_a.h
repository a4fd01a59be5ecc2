#pragma once
// The check-box ancestor: finds its window and reports the focus to it.
#include "standard/control_ancestor.h"

namespace pakomo {

class u_checkbox_a : public u_control_of<runtime::CheckBox> {
public:
    explicit u_checkbox_a(std::string className = "u_checkbox_a") : u_control_of(std::move(className)) {
        resize(219, 72);
        setText("Text");
        setFont("MS Sans Serif", 8, 400);
        runtime::setBackgroundColor(*this, 12632256);
    }
};

}  // namespace pakomo
