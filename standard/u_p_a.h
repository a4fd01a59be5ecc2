#pragma once
// The picture ancestor: finds its window and reports the focus to it.
#include "standard/control_ancestor.h"

namespace pakomo {

class u_p_a : public u_control_of<runtime::Picture> {
public:
    explicit u_p_a(std::string className = "u_p_a") : u_control_of(std::move(className)) {
        resize(174, 153);
    }
};

}  // namespace pakomo
