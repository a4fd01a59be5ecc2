#pragma once
// The "&Setup..." button: the runtime's printer-setup dialog for the printer it prints to.
#include <string>

#include "standard/u_cb_a.h"

namespace pakomo {

class u_cb_printsetup : public u_cb_a {
public:
    explicit u_cb_printsetup(std::string className = "u_cb_printsetup");
};

}  // namespace pakomo
