#pragma once
// The single-line edit ancestor: reports the focus and its selected text to its window.
#include "standard/control_ancestor.h"

namespace pakomo {

class u_sle_a : public u_text_entry_of<runtime::SingleLineEdit> {
public:
    explicit u_sle_a(std::string className = "u_sle_a") : u_text_entry_of(std::move(className)) {
        resize(247, 89);
        setFont("MS Sans Serif", 8, 400);
    }
};

}  // namespace pakomo
