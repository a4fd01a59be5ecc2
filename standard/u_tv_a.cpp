#include "standard/u_tv_a.h"

#include <QTreeWidget>

#include "runtime/ui/Controls.h"
#include "standard/parent_window.h"
#include "standard/standard_picture.h"

namespace pakomo {

using runtime::Args;
using runtime::Value;

u_tv_a::u_tv_a(std::string className) : runtime::TreeView(std::move(className)) {
    resize(503, 812);
    setFont("MS Sans Serif", 8, 400);
    runtime::setBackgroundColor(*this, 16777215);
    tree()->setRootIsDecorated(true);
    setPictureMaskColor(12632256);  // light grey is the picture's transparent colour
    addPicture(standard_picture("custom039.bmp"));  // stands for the stock picture "Custom039!"
    on("constructor", [this](Args) {
        fu_set_parent_window();
        return Value();
    });
    on("getfocus", [this](Args) {
        report_focus(iw_parent, *this);
        return Value();
    });
    on("deleteitem", [this](Args a) {
        runtime::TreeViewItem item;
        if (!a.empty() && getItem(a[0].toInt(), item) == 1 && item.level == 1) --ii_level1_items;
        return Value();
    });
    on("ue_resize", [this](Args a) {
        resize(static_cast<int>(a.size() > 0 ? a[0].toInt() : 0), static_cast<int>(a.size() > 1 ? a[1].toInt() : 0));
        return Value();
    });
}

void u_tv_a::fu_set_parent_window() { iw_parent = find_parent_window(*this); }

long u_tv_a::counted(long parent, long handle) {
    if (handle != -1 && parent == 0) ++ii_level1_items;
    return handle;
}

long u_tv_a::fu_insertitem(long parent, long after, std::string_view label, int16_t picture) {
    return counted(parent, insertItem(parent, after, label, picture));
}
long u_tv_a::fu_insertitem(long parent, long after, const runtime::TreeViewItem& item) {
    return counted(parent, insertItem(parent, after, item));
}
long u_tv_a::fu_insertitemfirst(long parent, std::string_view label, int16_t picture) {
    return counted(parent, insertItemFirst(parent, label, picture));
}
long u_tv_a::fu_insertitemfirst(long parent, const runtime::TreeViewItem& item) {
    return counted(parent, insertItemFirst(parent, item));
}
long u_tv_a::fu_insertitemlast(long parent, std::string_view label, int16_t picture) {
    return counted(parent, insertItemLast(parent, label, picture));
}
long u_tv_a::fu_insertitemlast(long parent, const runtime::TreeViewItem& item) {
    return counted(parent, insertItemLast(parent, item));
}
long u_tv_a::fu_insertitemsort(long parent, std::string_view label, int16_t picture) {
    return counted(parent, insertItemSort(parent, label, picture));
}
long u_tv_a::fu_insertitemsort(long parent, const runtime::TreeViewItem& item) {
    return counted(parent, insertItemSort(parent, item));
}

void u_tv_a::fu_delete_children(long h) {
    long previous = -1;
    for (long child = findItem(Navigation::Child, h); child >= 1; child = findItem(Navigation::Child, h)) {
        // A child that cannot be deleted would be found again for ever.
        if (child == previous || deleteItem(child) != 1) break;
        previous = child;
    }
}

}  // namespace pakomo
