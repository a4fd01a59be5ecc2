#pragma once
// The drop-down picture list ancestor: reports the focus and its selected text to its window.
#include "standard/control_ancestor.h"
#include "standard/standard_picture.h"

namespace pakomo {

class u_ddplb_a : public u_text_entry_of<runtime::DropDownPictureListBox> {
public:
    explicit u_ddplb_a(std::string className = "u_ddplb_a") : u_text_entry_of(std::move(className)) {
        resize(247, 217);
        setFont("MS Sans Serif", 8, 700);
        addPicture(standard_picture("custom039.bmp"));  // stands for the stock picture "Custom039!"
    }
};

}  // namespace pakomo
