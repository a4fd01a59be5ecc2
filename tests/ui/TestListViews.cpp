// List and tree views: sort through the sort event with comparisons that are not strict, item
// deletion, label editing, and the tree's inserts, deletions and expansion.
#include "runtime/ui/ListView.h"
#include "runtime/ui/Pictures.h"
#include "runtime/ui/Window.h"
#include "support/TempFolder.h"
#include "support/TestEnvironment.h"
#include "ui/UiTestSupport.h"

#include <gtest/gtest.h>

#include <QHeaderView>
#include <QImage>
#include <QLineEdit>
#include <QListView>
#include <QApplication>
#include <QHelpEvent>
#include <QTest>
#include <QToolTip>
#include <QTreeWidget>

#include <algorithm>
#include <string>
#include <vector>

using namespace runtime;

namespace {

class ViewsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ui_test::application();
        window = create<Window>("w_views");
        list = window->addControl<ListView>("lv_1");
        list->resize(1500, 800);
        tree = window->addControl<TreeView>("tv_1");
        tree->move(1600, 0);
        tree->resize(1000, 800);
        window->open();
        ui_test::settle();
    }
    void TearDown() override {
        if (window) window->close();
        ui_test::settle();
    }
    std::vector<std::string> labels() const {
        std::vector<std::string> out;
        for (int i = 1; i <= list->totalItems(); ++i) {
            ListViewItem item;
            list->getItem(i, item);
            out.push_back(item.label);
        }
        return out;
    }
    Ref<Window> window;
    Ref<ListView> list;
    Ref<TreeView> tree;
};

struct SortCase {
    const char* name;
    int sortType;  // 1 ascending, 2 descending (the comparison's sign flips)
    int items;
    int distinctKeys;
};

void PrintTo(const SortCase& c, std::ostream* os) { *os << c.name; }

class ListSort : public ViewsTest, public ::testing::WithParamInterface<SortCase> {};

// The comparison of the file lists answers 1 for equal keys, and with the sign flipped for a
// descending sort it answers "less" both ways: the sort must still end with every item, ordered.
TEST_P(ListSort, SortEventWithANonStrictComparisonKeepsEveryItemInOrder) {
    const SortCase& c = GetParam();
    for (int i = 0; i < c.items; ++i) {
        ListViewItem item;
        int key = (i * 7919) % c.distinctKeys;
        item.label = "k" + std::to_string(1000 + key) + "#" + std::to_string(i);
        item.data = key;
        list->addItem(item);
    }
    int calls = 0;
    list->on("sort", [&](Args a) {
        ++calls;
        ListViewItem x, y;
        list->getItem(static_cast<int>(a[0].toInt()), x);
        list->getItem(static_cast<int>(a[1].toInt()), y);
        int r = x.data.toInt() < y.data.toInt() ? -1 : 1;  // equal keys: 1
        return Value(c.sortType == 2 ? -r : r);
    });
    EXPECT_EQ(list->sort(ListView::SortType::UserDefined, 1), 1);
    if (c.items > 1) {
        EXPECT_GT(calls, 0);
    }
    ASSERT_EQ(list->totalItems(), c.items);
    std::vector<int64_t> keys;
    std::vector<std::string> seen = labels();
    for (int i = 1; i <= c.items; ++i) {
        ListViewItem item;
        list->getItem(i, item);
        keys.push_back(item.data.toInt());
        EXPECT_EQ(item.label.substr(1, 4), std::to_string(1000 + item.data.toInt()));  // data moved with its item
    }
    if (c.sortType == 1)
        EXPECT_TRUE(std::is_sorted(keys.begin(), keys.end()));
    else
        EXPECT_TRUE(std::is_sorted(keys.rbegin(), keys.rend()));
    std::sort(seen.begin(), seen.end());
    EXPECT_EQ(std::adjacent_find(seen.begin(), seen.end()), seen.end());  // no item lost or doubled
}

INSTANTIATE_TEST_SUITE_P(ListViews, ListSort,
                         ::testing::Values(SortCase{"ascendingManyEqual", 1, 300, 5},
                                           SortCase{"descendingManyEqual", 2, 300, 5},
                                           SortCase{"allEqual", 2, 64, 1}, SortCase{"distinct", 1, 50, 50},
                                           SortCase{"single", 2, 1, 1}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ViewsTest, ColumnsItemsDeletionAndLabelEditing) {
    EXPECT_EQ(list->addColumn("Name", Alignment::Left, 800), 1);
    EXPECT_EQ(list->addColumn("Size", Alignment::Right, 400), 2);
    for (const char* name : {"setup.exe", "readme.txt", "data.cab"}) {
        int i = list->addItem(name, 0);
        list->setItem(i, 2, std::to_string(i * 100));
    }
    std::string size;
    ASSERT_EQ(list->getItem(2, 2, size), 1);
    EXPECT_EQ(size, "200");
    EXPECT_EQ(list->getItem(4, 1, size), -1);

    std::vector<int> deleted;
    list->on("deleteitem", [&](Args a) {
        deleted.push_back(static_cast<int>(a[0].toInt()));
        return Value();
    });
    EXPECT_EQ(list->deleteItem(1), 1);
    EXPECT_EQ(deleted, std::vector<int>{1});
    EXPECT_EQ(labels(), (std::vector<std::string>{"readme.txt", "data.cab"}));
    ASSERT_EQ(list->getItem(1, 2, size), 1);
    EXPECT_EQ(size, "200");  // column texts moved up with their item

    // endlabeledit answering 1 keeps the old label.
    std::vector<std::string> edits;
    list->on("endlabeledit", [&](Args a) {
        edits.push_back(a[1].toText());
        return Value(a[1].toText().empty() ? 1 : 0);
    });
    list->setEditLabels(true);
    for (const char* typed : {"notes.txt", ""}) {
        ASSERT_EQ(list->editLabel(1), 1);
        auto* editor = list->tree()->findChild<QLineEdit*>();
        ASSERT_NE(editor, nullptr);
        editor->setText(typed);
        QTest::keyClick(editor, Qt::Key_Return);
        ui_test::settle();
    }
    EXPECT_EQ(edits, (std::vector<std::string>{"notes.txt", ""}));
    EXPECT_EQ(labels().front(), "notes.txt");

    list->tree()->clearSelection();
    std::vector<std::pair<int, bool>> changes;
    list->on("itemchanged", [&](Args a) {
        changes.emplace_back(static_cast<int>(a[0].toInt()), a[4].toBool());
        return Value();
    });
    list->setExtendedSelect(true);
    list->tree()->topLevelItem(0)->setSelected(true);
    list->tree()->topLevelItem(1)->setSelected(true);
    EXPECT_EQ(list->totalSelected(), 2);
    EXPECT_EQ(changes, (std::vector<std::pair<int, bool>>{{1, true}, {2, true}}));
    EXPECT_EQ(list->sort(ListView::SortType::Ascending, 1), 1);
    EXPECT_EQ(labels(), (std::vector<std::string>{"data.cab", "notes.txt"}));
}

TEST_F(ViewsTest, SmallPicturesColumnClicksAndRightClicks) {
    testing_support::TempFolder folder;
    QImage image(16, 16, QImage::Format_ARGB32);
    image.fill(Qt::red);
    std::string file = (folder.path() / "file.png").string();
    ASSERT_TRUE(image.save(QString::fromStdString(file)));
    EXPECT_EQ(list->addSmallPicture(file), 1);
    EXPECT_EQ(list->addSmallPicture((folder.path() / "missing.png").string()), 2);
    list->addColumn("Name", Alignment::Left, 800);
    list->addColumn("Size", Alignment::Right, 400);
    EXPECT_EQ(list->addItem("setup.exe", 1), 1);
    EXPECT_EQ(list->addItem("readme.txt", 2), 2);
    EXPECT_EQ(list->addItem("data.cab", 0), 3);
    QTreeWidget* t = list->tree();
    EXPECT_FALSE(t->topLevelItem(0)->icon(0).isNull());
    EXPECT_TRUE(t->topLevelItem(1)->icon(0).pixmap(16, 16).isNull());  // a missing file draws nothing
    EXPECT_TRUE(t->topLevelItem(2)->icon(0).isNull());
    ListViewItem item;
    ASSERT_EQ(list->getItem(1, item), 1);
    EXPECT_EQ(item.pictureIndex, 1);
    item.pictureIndex = 0;
    ASSERT_EQ(list->setItem(1, item), 1);
    EXPECT_TRUE(t->topLevelItem(0)->icon(0).isNull());

    std::vector<std::string> log;
    list->on("columnclick", [&](Args a) {
        log.push_back("columnclick " + a[0].toText());
        return Value();
    });
    list->on("rightclicked", [&](Args a) {
        log.push_back("rightclicked " + a[0].toText());
        return Value();
    });
    QHeaderView* header = t->header();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(header->sectionPosition(1) + 5, header->height() / 2));
    QRect second = t->visualItemRect(t->topLevelItem(1));
    QTest::mouseClick(t->viewport(), Qt::RightButton, {}, second.center());
    QTest::mouseClick(t->viewport(), Qt::RightButton, {}, QPoint(5, t->viewport()->height() - 2));
    EXPECT_EQ(log, (std::vector<std::string>{"columnclick 2", "rightclicked 2", "rightclicked -1"}));
}

// A picture of four pixels: light grey, white, red, black; saved as a bitmap.
std::string fourColourPicture(const testing_support::TempFolder& folder, int side) {
    QImage image(side, side, QImage::Format_RGB32);
    image.fill(QColor(192, 192, 192));
    image.setPixel(1, 0, qRgb(255, 255, 255));
    image.setPixel(2, 0, qRgb(255, 0, 0));
    image.setPixel(3, 0, qRgb(0, 0, 0));
    std::string file = (folder.path() / ("four" + std::to_string(side) + ".bmp")).string();
    EXPECT_TRUE(image.save(QString::fromStdString(file)));
    return file;
}

TEST(PictureMask, OnlyThePixelsOfTheMaskColourBecomeTransparent) {
    ui_test::application();
    testing_support::TempFolder folder;
    std::string file = fourColourPicture(folder, 4);
    struct Case {
        long mask;
        bool grey, white, red, black;  // opaque?
    };
    const Case cases[] = {
        {-1, true, true, true, true},
        {12632256, false, true, true, true},    // light grey
        {16777215, true, false, true, true},    // white
        {255, true, true, false, true},         // red: the value's low byte is red
        {0, true, true, true, false},           // black
        {1073741824, true, true, true, true},   // a system colour masks no pixel
    };
    for (const Case& c : cases) {
        QImage image = pictureIcon(file, c.mask).pixmap(4, 4).toImage().convertToFormat(QImage::Format_ARGB32);
        ASSERT_FALSE(image.isNull()) << c.mask;
        EXPECT_EQ(qAlpha(image.pixel(0, 0)) != 0, c.grey) << c.mask;
        EXPECT_EQ(qAlpha(image.pixel(1, 0)) != 0, c.white) << c.mask;
        EXPECT_EQ(qAlpha(image.pixel(2, 0)) != 0, c.red) << c.mask;
        EXPECT_EQ(qAlpha(image.pixel(3, 0)) != 0, c.black) << c.mask;
    }
    EXPECT_FALSE(pictureIcon("Custom039!", 12632256).isNull());  // stock pictures ignore the mask
}

TEST_F(ViewsTest, TreePicturesKeepTheirMaskColour) {
    testing_support::TempFolder folder;
    std::string file = fourColourPicture(folder, 16);
    tree->addPicture(file);
    tree->setPictureMaskColor(12632256);
    tree->addPicture(file);
    long plain = tree->insertItemLast(0, "plain", 1);
    long masked = tree->insertItemLast(0, "masked", 2);
    auto alphaAt = [&](long handle, int x) {
        TreeViewItem item;
        tree->getItem(handle, item);
        QTreeWidget* t = tree->tree();
        for (int i = 0; i < t->topLevelItemCount(); ++i)
            if (t->topLevelItem(i)->text(0).toStdString() == item.label)
                return qAlpha(t->topLevelItem(i)->icon(0).pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32).pixel(x, 0));
        return -1;
    };
    EXPECT_EQ(alphaAt(plain, 0), 255);
    EXPECT_EQ(alphaAt(masked, 0), 0);
    EXPECT_EQ(alphaAt(masked, 2), 255);
}

TEST_F(ViewsTest, LargeIconViewShowsTheLargePicturesAndRaisesTheSameEvents) {
    testing_support::TempFolder folder;
    list->setPictureMaskColor(12632256);
    list->addSmallPicture(fourColourPicture(folder, 16));
    list->addLargePicture(fourColourPicture(folder, 52));
    list->addColumn("Name", Alignment::Left, 800);
    list->addItem("New product", 1);
    list->addItem("Example 1.0", 1);
    list->addItem("Other 2.0", 1);
    ASSERT_EQ(list->iconView(), nullptr);  // the report is the default view

    list->setView(ListView::View::LargeIcon);
    ui_test::settle();
    QListView* icons = list->iconView();
    ASSERT_NE(icons, nullptr);
    EXPECT_TRUE(icons->isVisible());
    EXPECT_EQ(icons->viewMode(), QListView::IconMode);
    EXPECT_EQ(icons->iconSize(), QSize(52, 52));
    EXPECT_EQ(icons->geometry(), list->tree()->rect());
    QImage large = list->tree()->topLevelItem(0)->icon(0).pixmap(52, 52).toImage().convertToFormat(QImage::Format_ARGB32);
    EXPECT_EQ(large.size(), QSize(52, 52));  // the large picture, not the small one enlarged
    EXPECT_EQ(qAlpha(large.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(large.pixel(2, 0)), 255);

    std::vector<std::string> log;
    for (const char* event : {"clicked", "doubleclicked", "rightclicked"})
        list->on(event, [&log, event](Args a) {
            log.push_back(std::string(event) + " " + a[0].toText());
            return Value();
        });
    QModelIndex second = icons->model()->index(1, 0);
    QPoint at = icons->visualRect(second).center();
    QTest::mouseClick(icons->viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(list->selectedIndex(), 2);  // one selection for both views
    QTest::mouseDClick(icons->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseClick(icons->viewport(), Qt::RightButton, {}, QPoint(icons->viewport()->width() - 3, icons->viewport()->height() - 3));
    ASSERT_GE(log.size(), 3u);
    EXPECT_EQ(log.front(), "clicked 2");
    EXPECT_NE(std::find(log.begin(), log.end(), "doubleclicked 2"), log.end());
    EXPECT_EQ(log.back(), "rightclicked -1");

    // Items added and sorted later appear in the icons too.
    list->addItem("Another 3.0", 1);
    list->sort(ListView::SortType::Ascending, 1);
    EXPECT_EQ(icons->model()->rowCount(), 4);
    EXPECT_EQ(icons->model()->index(0, 0).data().toString(), "Another 3.0");

    std::filesystem::path artefacts = testing_support::artefactFolder("runtime-ui");
    std::filesystem::create_directories(artefacts);
    window->widget()->grab().save(QString::fromStdString((artefacts / "listview-large-icons.png").string()));

    list->setView(ListView::View::Report);
    EXPECT_EQ(list->iconView(), nullptr);
    EXPECT_FALSE(icons->isVisible());
}

// A label its cell cuts shows whole as a tip where the pointer rests; one that fits shows none.
TEST_F(ViewsTest, ALargeIconsCutLabelShowsWholeAsATip) {
    testing_support::TempFolder folder;
    list->addLargePicture(fourColourPicture(folder, 52));
    list->addColumn("Name", Alignment::Left, 800);
    const std::string longName = "Accounting Suite Professional Edition 2026.10.04 Customers Northern Region";
    list->addItem("Short 1.0", 1);
    list->addItem(longName, 1);
    list->setView(ListView::View::LargeIcon);
    ui_test::settle();
    QListView* icons = list->iconView();
    ASSERT_NE(icons, nullptr);
    auto tipAt = [&](int row) {
        QToolTip::hideText();
        for (int i = 0; i < 50 && QToolTip::isVisible(); ++i) QTest::qWait(10);
        const QPoint at = icons->visualRect(icons->model()->index(row, 0)).center();
        QHelpEvent help(QEvent::ToolTip, at, icons->viewport()->mapToGlobal(at));
        QApplication::sendEvent(icons->viewport(), &help);
        return QToolTip::isVisible() ? QToolTip::text().toStdString() : std::string();
    };
    EXPECT_EQ(tipAt(1), longName);
    EXPECT_EQ(tipAt(0), "");
    QToolTip::hideText();
}

TEST_F(ViewsTest, SortingChildrenIgnoresLetterCaseAsTheSortedInsertDoes) {
    long root = tree->insertItemLast(0, "root", 0);
    for (const char* label : {"Zeta", "alpha", "Beta", "gamma"}) tree->insertItemLast(root, label, 0);
    long sorted = tree->insertItemLast(0, "sorted", 0);
    for (const char* label : {"Zeta", "alpha", "Beta", "gamma"}) tree->insertItemSort(sorted, label, 0);
    ASSERT_EQ(tree->sortChildren(root), 1);
    auto labels = [&](long parent) {
        std::vector<std::string> out;
        for (long h = tree->findItem(TreeView::Navigation::Child, parent); h > 0;
             h = tree->findItem(TreeView::Navigation::Next, h))
        {
            TreeViewItem item;
            tree->getItem(h, item);
            out.push_back(item.label);
        }
        return out;
    };
    const std::vector<std::string> expected = {"alpha", "Beta", "gamma", "Zeta"};
    EXPECT_EQ(labels(root), expected);
    EXPECT_EQ(labels(sorted), expected);
}

TEST_F(ViewsTest, TreeInsertsInEveryPositionAndReportsEachDeletedItem) {
    long a = tree->insertItemLast(0, "Beta", 0);
    long b = tree->insertItemFirst(0, "Alpha", 0);
    long c = tree->insertItem(0, b, "Between", 0);
    long d = tree->insertItemSort(0, "Aardvark", 0);
    EXPECT_EQ(tree->insertItem(0, 999, "nowhere", 0), -1);
    EXPECT_EQ(tree->insertItemLast(999, "nowhere", 0), -1);
    std::vector<long> top;
    for (long h = tree->findItem(TreeView::Navigation::Root, 0); h > 0; h = tree->findItem(TreeView::Navigation::Next, h))
        top.push_back(h);
    EXPECT_EQ(top, (std::vector<long>{d, b, c, a}));

    TreeViewItem lazy;
    lazy.label = "HKEY_LOCAL_MACHINE";
    lazy.children = true;
    long root = tree->insertItemLast(0, lazy);
    long sub1 = tree->insertItemLast(root, "Software", 0);
    long sub2 = tree->insertItemLast(sub1, "RUX", 0);
    TreeViewItem item;
    ASSERT_EQ(tree->getItem(sub2, item), 1);
    EXPECT_EQ(item.level, 3);
    EXPECT_EQ(tree->findItem(TreeView::Navigation::Parent, sub2), sub1);
    EXPECT_EQ(tree->findItem(TreeView::Navigation::Child, root), sub1);

    // itemexpanding answering 1 refuses; otherwise the item is expanded once.
    int answer = 1;
    tree->on("itemexpanding", [&](Args) { return Value(answer); });
    tree->expandItem(root);
    ASSERT_EQ(tree->getItem(root, item), 1);
    EXPECT_FALSE(item.expanded);
    EXPECT_FALSE(item.expandedOnce);
    answer = 0;
    tree->expandItem(root);
    ASSERT_EQ(tree->getItem(root, item), 1);
    EXPECT_TRUE(item.expanded);
    EXPECT_TRUE(item.expandedOnce);

    std::vector<std::pair<long, long>> selections;
    tree->on("selectionchanged", [&](Args a) {
        selections.emplace_back(a[0].toInt(), a[1].toInt());
        return Value();
    });
    tree->selectItem(sub1);
    tree->selectItem(a);
    EXPECT_EQ(selections, (std::vector<std::pair<long, long>>{{0, sub1}, {sub1, a}}));

    std::vector<long> deleted;
    tree->on("deleteitem", [&](Args h) {
        deleted.push_back(h[0].toInt());
        return Value();
    });
    EXPECT_EQ(tree->deleteItem(root), 1);
    EXPECT_EQ(deleted, (std::vector<long>{sub2, sub1, root}));
    EXPECT_EQ(tree->getItem(sub1, item), -1);
    EXPECT_EQ(tree->findItem(TreeView::Navigation::Child, b), -1);
    ui_test::saveScreenshot(window->widget(), "list-and-tree-views");
}

TEST_F(ViewsTest, SortingByTextKeepsTheLocalesOrderAndTheSelectedItems) {
    for (const char* label : {"beta", "Alpha", "gamma", "alpha 2"}) list->addItem(label);
    auto selectOnly = [&](int index) {
        for (int i = 1; i <= list->totalItems(); ++i) {
            ListViewItem item;
            list->getItem(i, item);
            item.selected = i == index;
            list->setItem(i, item);
        }
    };
    selectOnly(3);  // gamma
    EXPECT_EQ(list->sort(ListView::SortType::Ascending), 1);
    EXPECT_EQ(labels(), (std::vector<std::string>{"Alpha", "alpha 2", "beta", "gamma"}));
    EXPECT_EQ(list->selectedIndex(), 4);
    EXPECT_EQ(list->totalSelected(), 1);
    selectOnly(1);  // Alpha
    EXPECT_EQ(list->sort(ListView::SortType::Descending), 1);
    EXPECT_EQ(labels(), (std::vector<std::string>{"gamma", "beta", "alpha 2", "Alpha"}));
    EXPECT_EQ(list->selectedIndex(), 4);
    EXPECT_EQ(list->totalSelected(), 1);
}

// Equal labels keep their order, and each item's data, picture and focus go with it.
TEST_F(ViewsTest, SortingIsStableAndEveryItemKeepsItsData) {
    int n = 0;
    for (const char* label : {"b", "a", "b", "a"}) {
        ListViewItem item;
        item.label = label;
        item.data = ++n;
        item.pictureIndex = n;
        list->addItem(item);
    }
    list->tree()->setCurrentItem(list->tree()->topLevelItem(2));  // the second "b", data 3
    auto dataOrder = [&] {
        std::vector<long> out;
        for (int i = 1; i <= list->totalItems(); ++i) {
            ListViewItem item;
            list->getItem(i, item);
            EXPECT_EQ(item.pictureIndex, item.data.toInt());
            out.push_back(item.data.toInt());
        }
        return out;
    };
    EXPECT_EQ(list->sort(ListView::SortType::Ascending), 1);
    EXPECT_EQ(labels(), (std::vector<std::string>{"a", "a", "b", "b"}));
    EXPECT_EQ(dataOrder(), (std::vector<long>{2, 4, 1, 3}));
    EXPECT_EQ(list->tree()->currentItem(), list->tree()->topLevelItem(3));
    EXPECT_EQ(list->sort(ListView::SortType::Descending), 1);
    EXPECT_EQ(dataOrder(), (std::vector<long>{1, 3, 2, 4}));
    EXPECT_EQ(list->tree()->currentItem(), list->tree()->topLevelItem(1));
}

}  // namespace
