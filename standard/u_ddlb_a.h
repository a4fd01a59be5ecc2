#pragma once
// The drop-down list ancestor: reports the focus and its selected text to its window.
#include "standard/control_ancestor.h"

namespace pakomo {

class u_ddlb_a : public u_text_entry_of<runtime::DropDownListBox> {
public:
    explicit u_ddlb_a(std::string className = "u_ddlb_a") : u_text_entry_of(std::move(className)) {
        resize(315, 236);
        setFont("MS Sans Serif", 8, 400);
    }
};

}  // namespace pakomo
