#pragma once
// The right-click menu of the program's text fields: cut, copy, and paste from the clipboard or
// as a reference to a string variable. Decides whether the field under the pointer gets the menu
// and which entries it may use, then shows it.
#include <string>

#include "authoring/core/nv_a.h"
#include "standard/u_dw_a.h"

namespace pakomo {

class w_a;
class m_popups;

class nv_stringvar_popup : public nv_a {
public:
    nv_stringvar_popup();
    ~nv_stringvar_popup() override;

    // An edit field: true when the menu was shown. xpos and ypos are not used: the menu opens at
    // the pointer in aw_w.
    bool fnv_show_popup(w_a& aw_w, runtime::Object* adr_dr, int xpos, int ypos);
    // A data-window column under the pointer on `row`.
    bool fnv_show_popup(w_a& aw_w, u_dw_a& adw_dw, int xpos, int ypos, long row, const dwobject& dwo);

private:
    static runtime::Ref<m_popups> new_menu(runtime::Ref<runtime::Object> parent);
    static bool show(w_a& aw_w, runtime::Ref<m_popups> menu, const std::string& selection);
    // True when the column's protection expression gives 1 on `row`.
    static bool protected_on(u_dw_a& adw_dw, const std::string& column, long row);
};

}  // namespace pakomo
