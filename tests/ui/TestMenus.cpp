// Menus: clicked order for menu, shortcut and toolbar choices, hidden and disabled items, the
// toolbar's order and gaps, shortcut integers, PopMenu.
#include "runtime/ui/Menu.h"
#include "runtime/ui/Window.h"
#include "ui/UiTestSupport.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include <string>
#include <vector>

using namespace runtime;

namespace {

std::vector<std::string> g_log;

// Every item logs its clicked.
class LoggingMenu : public Menu {
public:
    LoggingMenu() : Menu("m_test") {}
    Ref<Menu> add(Menu& parent, const std::string& name, const std::string& text) {
        Ref<Menu> m = parent.addItem(name, text);
        m->on("clicked", [name](Args) {
            g_log.push_back(name + ".clicked");
            return Value();
        });
        return m;
    }
};

class AppMenu : public LoggingMenu {
public:
    AppMenu() {
        Ref<Menu> file = add(*this, "m_file", "&File");
        Ref<Menu> fnew = add(*file, "m_new", "&New\tCtrl+N");
        fnew->setShortcut(334);  // Ctrl+N
        fnew->setToolbarItemName("New!");
        fnew->setToolbarItemText("New");
        fnew->setMicroHelp("Create a new product");
        add(*file, "m_-1", "-");
        Ref<Menu> exit = add(*file, "m_exit", "E&xit\tAlt+F4");
        exit->setShortcut(627);  // Alt+F4
        exit->setToolbarItemName("Exit!");
        exit->setToolbarItemText("Exit");
        exit->setToolbarItemOrder(99);
        Ref<Menu> window = add(*this, "m_window", "&Window");
        Ref<Menu> tile = add(*window, "m_tile", "&Vertical");
        tile->setToolbarItemName("Tile!");
        tile->setToolbarItemText("Vertical");
        tile->setToolbarItemSpace(1);
        tile->setShortcut(1136);  // Shift+F1
    }
};

class Frame : public FrameWindow {
public:
    Frame() : FrameWindow("w_frame") {}
};

class MenusTest : public ::testing::Test {
protected:
    void SetUp() override {
        ui_test::application();
        g_log.clear();
        frame = create<Frame>();
        menu = frame->createMenu<AppMenu>();
        frame->open();
        QApplication::setActiveWindow(frame->widget());
        ui_test::settle();
    }
    void TearDown() override {
        if (frame) frame->close();
        ui_test::settle();
    }
    std::vector<std::string> toolbarLayout() const {
        std::vector<std::string> out;
        for (QAction* a : frame->toolBar()->actions())
            out.push_back(a->isSeparator() ? "|" : a->text().toStdString());
        return out;
    }
    QAction* button(const std::string& text) const {
        for (QAction* a : frame->toolBar()->actions())
            if (a->text().toStdString() == text) return a;
        return nullptr;
    }
    void clickButton(const std::string& text) {
        QAction* a = button(text);
        ASSERT_NE(a, nullptr) << text;
        QWidget* w = frame->toolBar()->widgetForAction(a);
        ASSERT_NE(w, nullptr);
        QTest::mouseClick(w, Qt::LeftButton);
        ui_test::settle();
    }
    Ref<Frame> frame;
    Ref<AppMenu> menu;
};

enum class Way { Shortcut, Toolbar, MenuChoice };

struct ChoiceCase {
    const char* name;
    Way way;
    const char* item;       // the item changed before the choice
    bool hide, disable;
    std::vector<std::string> expected;
};

void PrintTo(const ChoiceCase& c, std::ostream* os) { *os << c.name; }

class MenuChoice : public MenusTest, public ::testing::WithParamInterface<ChoiceCase> {};

TEST_P(MenuChoice, TopLevelClickedRunsFirstAndHiddenOrDisabledItemsCannotBeChosen) {
    const ChoiceCase& c = GetParam();
    Menu* item = menu->findItem(c.item);
    ASSERT_NE(item, nullptr);
    if (c.hide) item->setVisible(false);
    if (c.disable) item->disable();
    switch (c.way) {
    case Way::Shortcut:
        QTest::keyClick(frame->widget(), Qt::Key_N, Qt::ControlModifier);
        ui_test::settle();
        break;
    case Way::Toolbar:
        clickButton("New");
        break;
    case Way::MenuChoice: {
        QMenu* file = menu->child("m_file")->menuAction()->menu();
        ASSERT_NE(file, nullptr);
        QTimer::singleShot(0, [file] {
            file->menuAction()->menu()->actions()[0]->trigger();
            file->close();
        });
        file->popup(QPoint(0, 0));
        ui_test::settle();
        file->close();
        break;
    }
    }
    EXPECT_EQ(g_log, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Menus, MenuChoice,
    ::testing::Values(
        ChoiceCase{"shortcut", Way::Shortcut, "m_new", false, false, {"m_file.clicked", "m_new.clicked"}},
        ChoiceCase{"toolbar", Way::Toolbar, "m_new", false, false, {"m_file.clicked", "m_new.clicked"}},
        ChoiceCase{"menu", Way::MenuChoice, "m_new", false, false, {"m_file.clicked", "m_new.clicked"}},
        ChoiceCase{"shortcutOfHiddenEntry", Way::Shortcut, "m_new", true, false, {}},
        ChoiceCase{"shortcutOfDisabledEntry", Way::Shortcut, "m_new", false, true, {}},
        ChoiceCase{"shortcutUnderDisabledTopLevel", Way::Shortcut, "m_file", false, true, {}},
        // A button is its own action: hiding the entry, or the whole drop-down, leaves it working.
        ChoiceCase{"toolbarOfHiddenEntry", Way::Toolbar, "m_new", true, false, {"m_file.clicked", "m_new.clicked"}},
        ChoiceCase{"toolbarUnderHiddenTopLevel", Way::Toolbar, "m_file", true, false,
                   {"m_file.clicked", "m_new.clicked"}},
        ChoiceCase{"toolbarOfDisabledEntry", Way::Toolbar, "m_new", false, true, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MenusTest, HidingAnEntryKeepsItsButtonAndDisablingDisablesIt) {
    Menu* fnew = menu->findItem("m_new");
    fnew->setVisible(false);
    EXPECT_FALSE(fnew->menuAction()->isVisible());
    ASSERT_NE(button("New"), nullptr);
    EXPECT_TRUE(button("New")->isEnabled());
    fnew->disable();
    EXPECT_FALSE(fnew->enabled());
    EXPECT_FALSE(button("New")->isEnabled());
}

struct ToolbarCase {
    const char* name;
    // name, order, space, visible for the three buttons New, Exit, Vertical
    std::vector<std::tuple<const char*, int, int, bool>> settings;
    std::vector<std::string> expected;
};

void PrintTo(const ToolbarCase& c, std::ostream* os) { *os << c.name; }

class ToolbarOrder : public MenusTest, public ::testing::WithParamInterface<ToolbarCase> {};

TEST_P(ToolbarOrder, ButtonsByAscendingOrderEqualOrdersInTreeOrderGapsBeforeSpacedButtons) {
    for (auto [name, order, space, visible] : GetParam().settings) {
        Menu* m = menu->findItem(name);
        m->setToolbarItemOrder(order);
        m->setToolbarItemSpace(space);
        m->setToolbarItemVisible(visible);
    }
    EXPECT_EQ(toolbarLayout(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Menus, ToolbarOrder,
    ::testing::Values(
        ToolbarCase{"asDeclared", {}, {"New", "|", "Vertical", "Exit"}},
        ToolbarCase{"equalOrdersInTreeOrder",
                    {{"m_new", 0, 0, true}, {"m_exit", 0, 0, true}, {"m_tile", 0, 0, true}},
                    {"New", "Exit", "Vertical"}},
        ToolbarCase{"byOrder",
                    {{"m_new", 5, 0, true}, {"m_exit", 1, 0, true}, {"m_tile", 3, 2, true}},
                    {"Exit", "|", "Vertical", "New"}},
        ToolbarCase{"invisibleButtonsLeaveNoGap",
                    {{"m_new", 0, 0, false}, {"m_exit", 2, 1, true}, {"m_tile", 1, 1, false}},
                    {"Exit"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MenusTest, ShortcutIntegersTextsAndMicroHelp) {
    EXPECT_EQ(Menu::shortcutText(334), "Ctrl+N");
    EXPECT_EQ(Menu::shortcutText(627), "Alt+F4");
    EXPECT_EQ(Menu::shortcutText(1136), "Shift+F1");
    EXPECT_EQ(Menu::shortcutText(256), "");  // Ctrl alone: no key
    EXPECT_EQ(Menu::shortcutText(0), "");
    EXPECT_EQ(Menu::plainText("&Open\tCtrl+O"), "Open");
    EXPECT_EQ(Menu::plainText("Save && close"), "Save & close");
    Menu* fnew = menu->findItem("m_new");
    EXPECT_EQ(fnew->menuAction()->text().toStdString(), "&New\tCtrl+N");
    EXPECT_TRUE(menu->findItem("m_-1")->menuAction()->isSeparator());
    EXPECT_EQ(fnew->parentWindow(), frame.get());
    fnew->menuAction()->hover();
    EXPECT_EQ(frame->microHelp(), "Create a new product");
    // Shift+F1 reaches the nested entry through its top-level item.
    QTest::keyClick(frame->widget(), Qt::Key_F1, Qt::ShiftModifier);
    ui_test::settle();
    EXPECT_EQ(g_log, (std::vector<std::string>{"m_window.clicked", "m_tile.clicked"}));
    frame->widget()->resize(640, 400);
    ui_test::saveScreenshot(frame->widget(), "frame-with-menu-and-toolbar");
}

TEST_F(MenusTest, PopMenuShowsTheEntriesAndAChoiceRaisesClicked) {
    // At the position given in layout units of the frame's client area (100, 100: 21, 25 px).
    QWidget* client = frame->clientWidget() ? frame->clientWidget() : frame->widget();
    QPoint expected = client->mapToGlobal(QPoint(21, 25));
    QTimer::singleShot(0, [expected] {
        QWidget* popup = QApplication::activePopupWidget();
        ASSERT_NE(popup, nullptr);
        EXPECT_EQ(popup->pos(), expected);
        ui_test::saveScreenshot(popup, "context-menu");
        QTest::keyClick(popup, Qt::Key_Down);
        QTest::keyClick(popup, Qt::Key_Return);
    });
    EXPECT_EQ(menu->child("m_file")->popMenu(100, 100), 1);
    ui_test::settle();
    EXPECT_EQ(g_log, std::vector<std::string>{"m_new.clicked"});
}

}  // namespace
