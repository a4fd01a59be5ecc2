#pragma once
// The multi-line edit ancestor: reports the focus and its selected text to its window.
#include "standard/control_ancestor.h"

namespace pakomo {

class u_mle_a : public u_text_entry_of<runtime::MultiLineEdit> {
public:
    explicit u_mle_a(std::string className = "u_mle_a") : u_text_entry_of(std::move(className)) {
        resize(558, 237);
        setFont("MS Sans Serif", 8, 700);
    }
};

}  // namespace pakomo
