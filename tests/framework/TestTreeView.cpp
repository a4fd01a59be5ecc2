// The tree-view ancestor: the level-1 count through its own inserts and every deletion, the
// deletion of all children, the focus report and the resize event.
#include "framework/FrameworkFixture.h"

#include <gtest/gtest.h>

#include <QTreeWidget>

#include "runtime/ui/Controls.h"
#include "standard/u_tv_a.h"
#include "standard/uo_a.h"
#include "standard/w_a.h"

using namespace pakomo;
using runtime::Ref;

namespace {

class TreeViewAncestor : public framework_test::FrameworkFixture {
protected:
    void SetUp() override {
        FrameworkFixture::SetUp();
        w = runtime::create<w_a>();
        Ref<uo_a> uo = w->addControl<uo_a>("uo_1");
        tv = uo->addControl<u_tv_create_setup>("tv_1");
        w->open();
    }
    Ref<w_a> w;
    Ref<u_tv_create_setup> tv;
};

TEST_F(TreeViewAncestor, CountsTopLevelInsertsAndEveryTopLevelDeletion) {
    long a = tv->fu_insertitemlast(0, "a", 1);
    long b = tv->fu_insertitemfirst(0, "b", 1);
    runtime::TreeViewItem record;
    record.label = "c";
    long c = tv->fu_insertitemsort(0, record);
    long child = tv->fu_insertitemlast(a, "a1", 1);
    tv->fu_insertitem(a, child, "a2", 1);
    EXPECT_EQ(tv->fu_level1count(), 3);
    EXPECT_EQ(tv->fu_insertitemlast(999, "orphan", 1), -1);
    EXPECT_EQ(tv->fu_insertitem(0, 999, "nowhere", 1), -1);
    EXPECT_EQ(tv->fu_level1count(), 3) << "failed inserts count nothing";

    tv->fu_delete_children(a);
    EXPECT_EQ(tv->findItem(runtime::TreeView::Navigation::Child, a), -1);
    EXPECT_EQ(tv->fu_level1count(), 3);
    tv->deleteItem(b);
    EXPECT_EQ(tv->fu_level1count(), 2);
    // An item the platform inserted lowers the count all the same when it goes.
    long platform = tv->insertItemLast(0, "platform", 1);
    tv->deleteItem(platform);
    EXPECT_EQ(tv->fu_level1count(), 1);
    EXPECT_GT(c, 0);
}

TEST_F(TreeViewAncestor, DeletingChildrenEmptiesADeepSubtreeInOneCall) {
    long root = tv->fu_insertitemlast(0, "root", 1);
    long parent = root;
    for (int level = 0; level < 4; ++level) {
        tv->fu_insertitemlast(parent, "sibling", 1);
        parent = tv->fu_insertitemlast(parent, "deeper", 1);
    }
    tv->fu_delete_children(root);
    EXPECT_EQ(tv->findItem(runtime::TreeView::Navigation::Child, root), -1);
    runtime::TreeViewItem item;
    EXPECT_EQ(tv->getItem(root, item), 1);
    tv->fu_delete_children(root);  // no children: nothing
    EXPECT_EQ(tv->fu_level1count(), 1);
}

TEST_F(TreeViewAncestor, ReportsFocusToTheWindowAndResizes) {
    EXPECT_EQ(tv->fu_get_parent_window().get(), w.get());
    tv->trigger("getfocus");
    EXPECT_EQ(w->ipo_focus.get(), tv.get());
    runtime::setClipboardText("clip");
    w->fw_copy();
    w->fw_paste();
    EXPECT_EQ(runtime::clipboardText(), "clip");
    // Picture 1 is the stand-in of the stock picture the class names.
    tv->fu_insertitemlast(0, "with picture", 1);
    EXPECT_FALSE(tv->tree()->topLevelItem(0)->icon(0).isNull());
    tv->trigger("ue_resize", {700, 900});
    EXPECT_EQ(tv->width(), 700);
    EXPECT_EQ(tv->height(), 900);
}

}  // namespace
