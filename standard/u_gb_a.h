#pragma once
// The group box ancestor: its look only.
#include <string>

#include "runtime/ui/Controls.h"

namespace pakomo {

class u_gb_a : public runtime::GroupBox {
public:
    explicit u_gb_a(std::string className = "u_gb_a") : runtime::GroupBox(std::move(className)) {
        setFont("MS Sans Serif", 8, 400);
        runtime::setBackgroundColor(*this, 12632256);
    }
};

}  // namespace pakomo
