#pragma once
// The single-line edit ancestor: reports the focus and its selected text to its window, and
// without automatic horizontal scrolling takes no more text than fits its visible width.
#include "standard/control_ancestor.h"

namespace pakomo {

class u_sle_a : public u_text_entry_of<runtime::SingleLineEdit> {
public:
    explicit u_sle_a(std::string className = "u_sle_a");

    bool autohscroll() const { return ib_autohscroll; }
    void set_autohscroll(bool on) { ib_autohscroll = on; }

private:
    bool ib_autohscroll = false;
};

}  // namespace pakomo
