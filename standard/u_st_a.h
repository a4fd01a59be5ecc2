#pragma once
// The static text ancestor: finds its window and reports the focus to it.
#include "standard/control_ancestor.h"

namespace pakomo {

class u_st_a : public u_control_of<runtime::StaticText> {
public:
    explicit u_st_a(std::string className = "u_st_a") : u_control_of(std::move(className)) {
        resize(247, 72);
        setText("Text");
        setFont("MS Sans Serif", 8, 400);
        runtime::setBackgroundColor(*this, 12632256);
        setEnabled(false);  // takes neither the focus nor clicks unless an instance enables it
    }
};

}  // namespace pakomo
