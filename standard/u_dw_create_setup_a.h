#pragma once
// The data-window control of the edit forms: no scroll bars or border, and every column whose
// name begins with "stringvar_" registered in the object-privilege register, so that its edit
// popup offers string variables.
#include <string>

#include "standard/u_dw_select_none.h"

namespace pakomo {

class u_dw_create_setup_a : public u_dw_select_none {
public:
    // A data object given here is the one of the window's design, registered by the constructor.
    explicit u_dw_create_setup_a(std::string className = "u_dw_create_setup_a", std::string dataObject = {});

    void fu_register_objects();
};

}  // namespace pakomo
