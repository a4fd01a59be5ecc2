#pragma once
// The ancestor of the tree views: finds its window, reports the focus to it, counts the top-level
// items inserted through its own inserts as the tree deletes them, and removes all children of
// an item in one call. u_tv_create_setup adds nothing; it is offered to the outside libraries.
#include <cstdint>
#include <string>
#include <string_view>

#include "runtime/ui/ListView.h"
#include "standard/w_a.h"

namespace pakomo {

class u_tv_a : public runtime::TreeView {
public:
    explicit u_tv_a(std::string className = "u_tv_a");

    void fu_set_parent_window();
    runtime::Ref<w_a> fu_get_parent_window() const { return iw_parent; }
    long fu_insertitem(long parent, long after, std::string_view label, int16_t picture);
    long fu_insertitem(long parent, long after, const runtime::TreeViewItem& item);
    long fu_insertitemfirst(long parent, std::string_view label, int16_t picture);
    long fu_insertitemfirst(long parent, const runtime::TreeViewItem& item);
    long fu_insertitemlast(long parent, std::string_view label, int16_t picture);
    long fu_insertitemlast(long parent, const runtime::TreeViewItem& item);
    long fu_insertitemsort(long parent, std::string_view label, int16_t picture);
    long fu_insertitemsort(long parent, const runtime::TreeViewItem& item);
    int16_t fu_level1count() const { return ii_level1_items; }
    void fu_delete_children(long h);

    runtime::Ref<w_a> iw_parent;
    int16_t ii_level1_items = 0;

private:
    long counted(long parent, long handle);
};

class u_tv_create_setup : public u_tv_a {
public:
    explicit u_tv_create_setup(std::string className = "u_tv_create_setup") : u_tv_a(std::move(className)) {}
};

}  // namespace pakomo
