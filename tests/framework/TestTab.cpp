// The tab control: pages in the order added with their tabs' texts, one page shown at a time,
// selectionchanged(old, new) for a click and a selection by program (not for the page already
// shown), a page's controls constructed with the window, and pages that follow the tab's size so
// that their positioning services move their controls.
#include "framework/FrameworkFixture.h"

#include <gtest/gtest.h>

#include <QTabBar>
#include <QTabWidget>
#include <QTest>

#include <utility>
#include <vector>

#include "runtime/ui/Controls.h"
#include "runtime/ui/Tab.h"
#include "standard/uo_a.h"
#include "standard/w_a.h"

using namespace pakomo;
using runtime::Args;
using runtime::Ref;
using runtime::Value;

namespace {

class TabControl : public framework_test::FrameworkFixture {
protected:
    void SetUp() override {
        FrameworkFixture::SetUp();
        w = runtime::create<w_a>();
        w->resize(2400, 1600);
        tab = w->addControl<runtime::Tab>("tab_1");
        tab->move(20, 20);
        tab->resize(2000, 1200);
        first = tab->addPage<uo_a>("uo_first", "&First");
        second = tab->addPage<uo_a>("uo_second", "&Second");
        edit = second->addControl<runtime::SingleLineEdit>("sle_inner");
        edit->move(40, 100);
        edit->resize(600, 88);
        second->fu_position_set_flags(*edit, uo_a::align_hresize);
        second->fu_position_set_width_marge(*edit, 80);
        edit->on("constructor", [this](Args) {
            ++inner_constructed;
            return Value();
        });
        tab->on("selectionchanged", [this](Args a) {
            changes.emplace_back(a[0].toInt(), a[1].toInt());
            return Value();
        });
        w->open();
    }
    void TearDown() override {
        if (w) w->close();
        FrameworkFixture::TearDown();
    }

    Ref<w_a> w;
    Ref<runtime::Tab> tab;
    Ref<uo_a> first, second;
    Ref<runtime::SingleLineEdit> edit;
    int inner_constructed = 0;
    std::vector<std::pair<int, int>> changes;
};

TEST_F(TabControl, HoldsItsPagesInOrderAndShowsOneAtATime) {
    EXPECT_EQ(runtime::typeOf(tab.get()), "tab");
    ASSERT_EQ(tab->pageCount(), 2);
    EXPECT_EQ(tab->page(1), first.get());
    EXPECT_EQ(tab->page(2), second.get());
    EXPECT_EQ(tab->page(0), nullptr);
    EXPECT_EQ(tab->page(3), nullptr);
    EXPECT_EQ(tab->indexOf(*second), 2);
    EXPECT_EQ(tab->indexOf(*edit), 0);
    EXPECT_EQ(tab->tabText(1), "&First");
    EXPECT_EQ(tab->tabText(9), "");
    tab->setTabText(2, "S&econd");
    EXPECT_EQ(tab->tabText(2), "S&econd");
    EXPECT_EQ(inner_constructed, 1) << "a page's controls are constructed with the window";
    EXPECT_EQ(w->findControl("sle_inner"), edit.get()) << "controls on pages are found through the tab";

    EXPECT_EQ(tab->selectedTab(), 1);
    EXPECT_TRUE(changes.empty()) << "the first page added is shown without a change of selection";
    EXPECT_TRUE(first->widget()->isVisible());
    EXPECT_FALSE(second->widget()->isVisible());
    EXPECT_FALSE(edit->widget()->isVisible());
}

TEST_F(TabControl, ReportsEveryChangeOfThePageShownByClickOrProgram) {
    QTabBar* bar = tab->tabWidget()->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(1).center());
    EXPECT_EQ(tab->selectedTab(), 2);
    EXPECT_TRUE(edit->widget()->isVisible());
    EXPECT_EQ(tab->selectTab(2), 1);  // shown already: no change
    EXPECT_EQ(tab->selectTab(1), 1);
    EXPECT_EQ(tab->selectTab(3), -1);
    EXPECT_EQ(tab->selectTab(0), -1);
    EXPECT_EQ(tab->selectedTab(), 1);
    EXPECT_EQ(changes, (std::vector<std::pair<int, int>>{{1, 2}, {2, 1}}));
}

TEST_F(TabControl, PagesFollowTheTabsSizeAndTheirControlsFollowThePages) {
    // Lengths in layout units round to whole pixels: a few units either way.
    constexpr int slack = 6;
    tab->selectTab(2);
    const int pageWidth = second->width();
    EXPECT_GT(pageWidth, 1500);
    EXPECT_LT(pageWidth, 2000) << "the page stands inside the tab's frame";
    EXPECT_NEAR(edit->width(), pageWidth - 80, slack);
    saveScreenshot(w->widget(), "tab_before_resize");

    tab->resize(1400, 900);
    EXPECT_NEAR(second->width(), pageWidth - 600, slack);
    EXPECT_NEAR(edit->width(), second->width() - 80, slack);
    EXPECT_EQ(edit->x(), 40);
    // A page that is not shown is sized all the same.
    EXPECT_EQ(first->width(), second->width());
    EXPECT_EQ(first->height(), second->height());
    saveScreenshot(w->widget(), "tab_after_resize");
}

}  // namespace
