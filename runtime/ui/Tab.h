#pragma once
// A tab control: pages, each a composite control held by the tab, one shown at a time under a row
// of tabs. A page fills the tab's area and follows its size (its resize event tells it). Pages are
// numbered from 1 in the order they were added.
//
// Events besides those of VisualObject: selectionchanged(oldindex, newindex) when another page is
// shown, by the user or by program.
#include "runtime/ui/Controls.h"

#include <string>
#include <string_view>

class QTabWidget;

namespace runtime {

class Tab : public Control {
public:
    explicit Tab(std::string className = "tab");

    // Adds a page of class T (a UserObject or a descendant) with `text` on its tab ("&" marks the
    // key that shows it with Alt).
    template <class T, class... A>
    Ref<T> addPage(std::string name, std::string_view text, A&&... args) {
        Ref<T> page = addControl<T>(std::move(name), std::forward<A>(args)...);
        insertPage(*page, text);
        return page;
    }
    int pageCount() const;
    // The page at `index`; nullptr outside the pages.
    Control* page(int index) const;
    // The index of `page`; 0 when it is none of this tab's.
    int indexOf(const Control& page) const;
    std::string tabText(int index) const;  // "" outside the pages
    void setTabText(int index, std::string_view text);
    // The page shown (0 when there is none).
    int selectedTab() const;
    // Shows page `index`: 1, or -1 when there is no such page.
    int selectTab(int index);
    QTabWidget* tabWidget() const;

private:
    void insertPage(UserObject& page, std::string_view text);
    int shown_ = 0;
};

}  // namespace runtime
