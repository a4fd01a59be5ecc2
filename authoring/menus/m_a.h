#pragma once
// The standard menu bar and toolbar of every window of the program: File, Edit, eight hidden
// placeholders, Window and Help. Only Exit, the window arrangements and Help show; the document
// commands are prepared hidden, for descendants to show. Items are reached by name
// (findItem("m_openen")).
#include <string>

#include "runtime/ui/Menu.h"
#include "runtime/ui/Window.h"

namespace pakomo {

class m_a : public runtime::Menu {
public:
    explicit m_a(std::string className = "m_a");
    ~m_a() override;

    // The item of that name anywhere in the tree; a runtime error when there is none.
    runtime::Menu& item_named(std::string_view name) const;

    // The window the menu serves, recorded by the top-level items' clicked.
    runtime::Ref<runtime::Window> iw_parent;

private:
    void record_parent(runtime::Menu& item);
    void save();
    void exit();
};

// Registers the program's menus with the runtime's class registry.
void register_menus();

}  // namespace pakomo
