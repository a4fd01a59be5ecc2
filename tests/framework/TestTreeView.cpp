// The tree-view ancestor: the level-1 count through its own inserts and every deletion, the
// deletion of all children, the focus report and the resize event; and the tree view's labels
// edited in place by the user (F2, a click on the chosen item), asked before and after.
#include "framework/FrameworkFixture.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QTreeWidget>

#include <utility>
#include <vector>

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

// Label editing as the user does it: F2 on the chosen item, typing, Enter.
class TreeLabels : public TreeViewAncestor {
protected:
    void SetUp() override {
        TreeViewAncestor::SetUp();
        first = tv->insertItemLast(0, "First", 1);
        second = tv->insertItemLast(first, "Second", 1);
        tv->on("beginlabeledit", [this](runtime::Args a) {
            began.push_back(a[0].toInt());
            return runtime::Value(refuseBegin ? 1 : 0);
        });
        tv->on("endlabeledit", [this](runtime::Args a) {
            ended.emplace_back(a[0].toInt(), a[1].toText());
            if (!replacement.empty()) {
                runtime::TreeViewItem item;
                tv->getItem(a[0].toInt(), item);
                item.label = replacement;
                tv->setItem(a[0].toInt(), item);
            }
            return runtime::Value(refuseEnd ? 1 : 0);
        });
    }
    // F2 on `handle`, then the text typed over the label and Enter; false when no editor opened.
    bool rename(long handle, const QString& typed) {
        tv->selectItem(handle);
        tv->tree()->setFocus();
        QTest::keyClick(tv->tree(), Qt::Key_F2);
        QLineEdit* editor = nullptr;
        for (QLineEdit* e : tv->tree()->findChildren<QLineEdit*>())
            if (e->isVisible()) editor = e;  // an editor closed before may wait to be deleted
        if (!editor) return false;
        editor->selectAll();
        QTest::keyClicks(editor, typed);
        QTest::keyClick(editor, Qt::Key_Return);
        core_test::settle();
        return true;
    }
    std::string label(long handle) {
        runtime::TreeViewItem item;
        tv->getItem(handle, item);
        return item.label;
    }
    long first = 0, second = 0;
    std::vector<long> began;
    std::vector<std::pair<long, std::string>> ended;
    bool refuseBegin = false, refuseEnd = false;
    std::string replacement;
};

TEST_F(TreeLabels, EditingIsOffUntilSwitchedOn) {
    EXPECT_FALSE(rename(first, "Renamed"));
    EXPECT_EQ(tv->editLabel(first), -1);
    EXPECT_TRUE(began.empty());
    EXPECT_EQ(label(first), "First");
}

TEST_F(TreeLabels, TheTypedLabelIsReportedAndKeptUnlessRefused) {
    tv->setEditLabels(true);
    ASSERT_TRUE(rename(second, "Renamed"));
    EXPECT_EQ(began, std::vector<long>{second});
    ASSERT_EQ(ended.size(), 1u);
    EXPECT_EQ(ended[0], std::make_pair(second, std::string("Renamed")));
    EXPECT_EQ(label(second), "Renamed");

    refuseEnd = true;
    ASSERT_TRUE(rename(second, "Refused"));
    EXPECT_EQ(label(second), "Renamed");
    // A script that refuses and writes a label of its own: that label stands.
    replacement = "Trimmed";
    ASSERT_TRUE(rename(second, "  Trimmed  "));
    EXPECT_EQ(label(second), "Trimmed");
    // The same text again is no change: nothing reported.
    const size_t before = ended.size();
    ASSERT_TRUE(rename(second, "Trimmed"));
    EXPECT_EQ(ended.size(), before);
    // Items inserted after the switch are editable too, and editLabel starts an edit by program.
    const long third = tv->insertItemLast(0, "Third", 1);
    EXPECT_EQ(tv->editLabel(third), 1);
    EXPECT_EQ(tv->editLabel(999), -1);
}

TEST_F(TreeLabels, ARefusedBeginOpensNoEditor) {
    tv->setEditLabels(true);
    refuseBegin = true;
    EXPECT_FALSE(rename(first, "Renamed"));
    EXPECT_EQ(began, std::vector<long>{first});
    EXPECT_TRUE(ended.empty());
    EXPECT_EQ(label(first), "First");
}

}  // namespace
