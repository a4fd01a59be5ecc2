#pragma once
// The main frame's menu: the standard menu with "Open productselection" shown, which brings the
// product chooser back.
#include "authoring/menus/m_a.h"

namespace pakomo {

class m_mdi : public m_a {
public:
    explicit m_mdi(std::string className = "m_mdi");
};

}  // namespace pakomo
