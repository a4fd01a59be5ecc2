#pragma once
// The product chooser's menu: the frame menu with a "&Product" menu of eight commands (also on
// the toolbar and their keys), "&Close" shown, and Ctrl+N and Ctrl+O taken from the hidden File
// entries. The commands only raise events on the chooser or its list, which do the work.
#include "authoring/menus/m_mdi.h"

namespace pakomo {

class m_choose_product : public m_mdi {
public:
    m_choose_product();

    runtime::Ref<runtime::Window> iw_choose_product;

private:
    // The chooser that shows the menu; a runtime error when the menu serves another window.
    runtime::Window& chooser();
};

}  // namespace pakomo
