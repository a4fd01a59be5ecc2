#pragma once
// The program's ten context menus in one object: each popup is a top-level item, shown by its
// opener with popMenu after fm_set_parent. Event entries raise their event, queued and without
// arguments, on the opener; the clipboard entries call fm_cut, fm_copy, fm_paste and
// fm_get_stringvar, which act on the opener window's focused control.
#include <string>

#include "runtime/ui/Menu.h"

namespace pakomo {

class m_popups : public runtime::Menu {
public:
    m_popups();
    ~m_popups() override;

    void fm_set_parent(runtime::Ref<runtime::Object> a_parent) { i_parent = a_parent; }
    void fm_paste();
    runtime::Ref<runtime::Object> fm_get_parent() const { return i_parent; }
    void fm_cut();
    void fm_copy();
    void fm_get_stringvar();

    // The popup or entry of that name; a runtime error when there is none.
    runtime::Menu& item_named(std::string_view name) const;

    // The context-menu object created last.
    static runtime::Ref<m_popups> current();

    runtime::Ref<runtime::Object> i_parent;

private:
    runtime::Object& opener() const;
};

}  // namespace pakomo
