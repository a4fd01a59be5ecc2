#pragma once
// The edit-mask ancestor: reports the focus and its selected text to its window.
#include "standard/control_ancestor.h"

namespace pakomo {

class u_em_a : public u_text_entry_of<runtime::EditMask> {
public:
    explicit u_em_a(std::string className = "u_em_a") : u_text_entry_of(std::move(className)) {
        resize(247, 85);
        setFont("MS Sans Serif", 8, 400);
    }
};

}  // namespace pakomo
