#pragma once
// Menu objects: a tree of items, each a Menu. The root is the menu a window shows in its menu
// bar (a sheet's in the frame); its children are the top-level items, theirs the entries.
//
// Item properties: text ("&" marks the access key, a tab separates the shortcut label, "-" is a
// separator), shortcut (Windows virtual key + 256 Ctrl + 512 Alt + 1024 Shift; 0 or a modifier
// alone: none), visible, enabled, microhelp (shown in the frame's status bar while the entry is
// selected), and the toolbar fields. The frame's toolbar has one button for each item with a
// toolbar item name and toolbaritemvisible, by ascending order (equal orders in tree order), a
// positive space putting a gap before the button; a button is its own action, so hiding an
// entry does not hide its button, and a disabled item's button cannot be clicked.
//
// `clicked` runs when an item is chosen from the menu, by its shortcut or by its toolbar button;
// a top-level item's `clicked` runs when its drop-down opens, and before the entry's for a
// shortcut or a toolbar button (every item between them too, top down).
#include "runtime/core/Object.h"

#include <QPointer>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

class QAction;
class QMenu;
class QMenuBar;
class QToolBar;
class QWidget;

namespace runtime {

class Window;

class Menu : public Object {
public:
    explicit Menu(std::string className = "menu");
    ~Menu() override;

    const std::string& name() const { return name_; }

    // Appends an item (created now, its constructor raised) and answers it.
    template <class T = Menu, class... A>
    Ref<T> addItem(std::string name, std::string text = {}, A&&... args) {
        auto item = std::make_unique<T>(std::forward<A>(args)...);
        item->name_ = std::move(name);
        item->text_ = std::move(text);
        Ref<T> ref = runtime::adopt(std::move(item), this);
        items_.push_back(Ref<Menu>(ref));
        treeChanged();
        return ref;
    }
    // The items in display order.
    std::vector<Menu*> item() const;
    // A direct item by name (case ignored), or one anywhere below.
    Menu* child(std::string_view name) const;
    Menu* findItem(std::string_view name) const;
    Menu* parentMenu() const { return dynamic_cast<Menu*>(parent()); }
    Menu* root();

    const std::string& text() const { return text_; }
    void setText(std::string_view text);
    bool isSeparator() const { return text_ == "-"; }
    int shortcut() const { return shortcut_; }
    void setShortcut(int shortcut);
    bool visible() const { return visible_; }
    void setVisible(bool visible);
    bool enabled() const { return enabled_; }
    void setEnabled(bool enabled);
    void disable() { setEnabled(false); }
    const std::string& microHelp() const { return microHelp_; }
    void setMicroHelp(std::string_view text) { microHelp_ = std::string(text); }

    const std::string& toolbarItemName() const { return tbName_; }
    void setToolbarItemName(std::string_view name);
    const std::string& toolbarItemText() const { return tbText_; }
    void setToolbarItemText(std::string_view text);
    bool toolbarItemVisible() const { return tbVisible_; }
    void setToolbarItemVisible(bool visible);
    int toolbarItemOrder() const { return tbOrder_; }
    void setToolbarItemOrder(int order);
    int toolbarItemSpace() const { return tbSpace_; }
    void setToolbarItemSpace(int space);

    // The window that owns the menu (read through any item).
    Window* parentWindow() const;
    void setParentWindow(Window* window);

    // Shows this item's entries as a context menu at x, y (layout units of the parent window, or
    // of the active window when the menu has none); choosing one raises its clicked. Answers 1.
    int popMenu(int x, int y);

    // Chooses the item as its shortcut key or toolbar button does: the clicked of every item
    // from the top-level one down, then its own. False when it cannot be chosen (hidden or
    // disabled for a key; disabled for a button).
    enum class ChosenBy { Shortcut, Toolbar, Menu };
    bool choose(ChosenBy by);

    // The label without access-key marks and shortcut label ("&Open\tCtrl+O" -> "Open").
    static std::string plainText(std::string_view text);
    // The key sequence of a shortcut integer ("Ctrl+N"); empty for none.
    static std::string shortcutText(int shortcut);

    // Binding (windows use these): shows the tree in a menu bar and toolbar, its shortcut keys
    // working in `shortcutHost`'s window; detach() takes it out again.
    void attach(QMenuBar* bar, QToolBar* toolbar, QWidget* shortcutHost, Window* host);
    void detach();
    QAction* menuAction() const { return action_; }
    QAction* toolbarAction() const { return tbAction_; }
    QAction* shortcutAction() const { return shortcutAction_; }

private:
    void treeChanged();
    void toolbarChanged();
    void syncState();
    void syncTree();
    void buildInto(QWidget* container, QWidget* shortcutHost);
    void rebuildToolbar();
    void unbindTree();
    bool choosable(bool requireVisible) const;
    Window* hostWindow();

    std::string name_;
    std::string text_;
    int shortcut_ = 0;
    bool visible_ = true;
    bool enabled_ = true;
    std::string microHelp_;
    std::string tbName_;
    std::string tbText_;
    bool tbVisible_ = true;
    int tbOrder_ = 0;
    int tbSpace_ = 0;
    std::vector<Ref<Menu>> items_;

    Ref<Window> window_;  // root: the owner
    // Bound Qt objects of this item.
    QPointer<QAction> action_;
    QPointer<QMenu> qmenu_;
    QPointer<QAction> shortcutAction_;
    QPointer<QAction> tbAction_;
    // Root only: where the tree is shown.
    QPointer<QMenuBar> bar_;
    QPointer<QToolBar> toolbar_;
    QPointer<QWidget> shortcutHost_;
    Ref<Window> host_;
};

}  // namespace runtime
