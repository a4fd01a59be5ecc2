#pragma once
// How the wizard's pages show their context menu: the page is the menu's parent before the menu
// shows, so that its entries' events reach the page.
#include <string>

#include "authoring/menus/m_popups.h"
#include "standard/w_a.h"

namespace pakomo {

inline void show_wizard_popup(w_a& aw_page, const std::string& as_popup) {
    runtime::Ref<m_popups> menu = runtime::createByName("m_popups").as<m_popups>();
    if (!menu) return;
    menu->fm_set_parent(runtime::Ref<runtime::Object>(&aw_page));
    menu->setParentWindow(&aw_page);
    menu->item_named(as_popup).popMenu(aw_page.pointerX(), aw_page.pointerY());
    runtime::destroy(menu);
}

}  // namespace pakomo
