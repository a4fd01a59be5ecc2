// Windows: posted events in the order of opening, closequery, response windows, sheets in the
// frame, and the frame's menu following the active sheet.
#include "runtime/core/Application.h"
#include "runtime/core/EventQueue.h"
#include "runtime/ui/Controls.h"
#include "runtime/ui/Menu.h"
#include "runtime/ui/Window.h"
#include "ui/UiTestSupport.h"

#include <gtest/gtest.h>

#include <QMainWindow>
#include <QGuiApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScreen>
#include <QMenuBar>
#include <QStatusBar>
#include <QTest>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

using namespace runtime;

namespace {

std::vector<std::string> g_log;

Value logged(std::string entry, Value result = {}) {
    g_log.push_back(std::move(entry));
    return result;
}

// A control ancestor whose constructor posts ue_post_constructor, as the composite ancestor does.
template <class Base>
class Posting : public Base {
public:
    Posting() {
        this->on("constructor", [this](Args) {
            this->post("ue_post_constructor");
            return logged(this->name() + ".constructor");
        });
        this->on("ue_post_constructor", [this](Args) { return logged(this->name() + ".ue_post_constructor"); });
    }
};

// The window ancestor: open queues ue_init; a descendant extends open.
class TestWindow : public Window {
public:
    explicit TestWindow(WindowKind kind = WindowKind::Main) : Window("w_test", kind) {
        on("open", [this](Args) {
            post("ue_init");
            return logged("open");
        });
        extend("open", [](Args) { return logged("open (descendant)"); });
        on("ue_init", [](Args) { return logged("ue_init"); });
        on("close", [](Args) { return logged("close"); });
    }
};

class WindowsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ui_test::application();
        g_log.clear();
        EventQueue::clear();
    }
    void TearDown() override { ui_test::settle(); }
};

struct OpeningCase {
    const char* name;
    bool nested;  // the second control sits inside a composite control
    std::vector<std::string> expected;
};

void PrintTo(const OpeningCase& c, std::ostream* os) { *os << c.name; }

class OpeningOrder : public WindowsTest, public ::testing::WithParamInterface<OpeningCase> {};

TEST_P(OpeningOrder, ControlsPostedConstructorsRunBeforeTheWindowsInit) {
    const OpeningCase& c = GetParam();
    Ref<TestWindow> w = create<TestWindow>();
    w->addControl<Posting<CommandButton>>("cb_1");
    if (c.nested) {
        Ref<Posting<UserObject>> uo = w->addControl<Posting<UserObject>>("uo_1");
        uo->addControl<Posting<SingleLineEdit>>("sle_1");
    } else {
        w->addControl<Posting<SingleLineEdit>>("sle_1");
    }
    ASSERT_EQ(w->open(), 1);
    ui_test::settle();
    EXPECT_EQ(g_log, c.expected);
    EXPECT_EQ(w->close(), 1);
    EXPECT_FALSE(w.isValid());
}

INSTANTIATE_TEST_SUITE_P(
    Windows, OpeningOrder,
    ::testing::Values(
        OpeningCase{"flat", false,
                    {"cb_1.constructor", "sle_1.constructor", "open", "open (descendant)", "cb_1.ue_post_constructor",
                     "sle_1.ue_post_constructor", "ue_init"}},
        OpeningCase{"nested", true,
                    {"cb_1.constructor", "sle_1.constructor", "uo_1.constructor", "open", "open (descendant)",
                     "cb_1.ue_post_constructor", "sle_1.ue_post_constructor", "uo_1.ue_post_constructor", "ue_init"}}),
    [](const auto& info) { return std::string(info.param.name); });

struct CloseCase {
    const char* name;
    bool byCloseBox;      // the user's close box instead of close()
    bool hasScript;
    Value answer;         // closequery's answer
    bool closes;
};

void PrintTo(const CloseCase& c, std::ostream* os) { *os << c.name; }

class ClosingWindow : public WindowsTest, public ::testing::WithParamInterface<CloseCase> {};

TEST_P(ClosingWindow, ClosequeryWithANonZeroAnswerRefuses) {
    const CloseCase& c = GetParam();
    Ref<TestWindow> w = create<TestWindow>();
    if (c.hasScript) w->on("closequery", [&c](Args) { return logged("closequery", c.answer); });
    w->open();
    ui_test::settle();
    g_log.clear();
    QWidget* widget = w->widget();
    if (c.byCloseBox)
        widget->close();
    else
        EXPECT_EQ(w->close(), c.closes ? 1 : -1);
    ui_test::settle();
    std::vector<std::string> expected;
    if (c.hasScript) expected.push_back("closequery");
    if (c.closes) expected.push_back("close");
    EXPECT_EQ(g_log, expected);
    EXPECT_EQ(w.isValid(), !c.closes);
    if (w) {
        EXPECT_TRUE(w->isOpen());
        EXPECT_TRUE(widget->isVisible());
        w->on("closequery", [](Args) { return Value(0); });
        EXPECT_EQ(w->close(), 1);
    }
}

INSTANTIATE_TEST_SUITE_P(Windows, ClosingWindow,
                         ::testing::Values(CloseCase{"refuses", false, true, Value(1), false},
                                           CloseCase{"refusesAnyNonZero", false, true, Value(-1), false},
                                           CloseCase{"allows", false, true, Value(0), true},
                                           CloseCase{"noScript", false, false, Value(), true},
                                           CloseCase{"closeBoxRefused", true, true, Value(1), false},
                                           CloseCase{"closeBoxAllowed", true, true, Value(0), true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(WindowsTest, ResponseWindowReturnsAfterClosingAndPostedEventsRunWhileItIsOpen) {
    Ref<TestWindow> dialog = create<TestWindow>(WindowKind::Response);
    Ref<CommandButton> ok = dialog->addControl<CommandButton>("cb_1");
    ok->setDefault(true);
    ok->on("clicked", [&](Args) {
        dialog->post("ue_close");
        return logged("cb_1.clicked");
    });
    dialog->on("ue_close", [&](Args) {
        dialog->close();
        return Value();
    });
    // Enter presses the default button once the dialog has initialised.
    dialog->extend("ue_init", [&](Args) {
        QTest::keyClick(dialog->widget(), Qt::Key_Return);
        return Value();
    });
    EXPECT_EQ(dialog->openWithParm(Value("parameter")), 1);
    logged("open returned");
    EXPECT_EQ(g_log, (std::vector<std::string>{"open", "open (descendant)", "ue_init", "cb_1.clicked", "close",
                                               "open returned"}));
    EXPECT_FALSE(dialog.isValid());
}

TEST_F(WindowsTest, EscapePressesTheCancelButton) {
    Ref<TestWindow> w = create<TestWindow>(WindowKind::Popup);
    Ref<CommandButton> cancel = w->addControl<CommandButton>("cb_2");
    cancel->setCancel(true);
    cancel->on("clicked", [](Args) { return logged("cb_2.clicked"); });
    Ref<SingleLineEdit> edit = w->addControl<SingleLineEdit>("sle_1");
    w->open();
    ui_test::settle();
    g_log.clear();
    QTest::keyClick(edit->widget(), Qt::Key_Escape);
    EXPECT_EQ(g_log, std::vector<std::string>{"cb_2.clicked"});
    w->close();
}

class Frame : public FrameWindow {
public:
    Frame() : FrameWindow("w_frame") {}
};

class FrameMenu : public Menu {
public:
    FrameMenu() : Menu("m_frame") {
        Ref<Menu> file = addItem("m_file", "&File");
        file->addItem("m_exit", "E&xit");
    }
};

class SheetMenu : public Menu {
public:
    SheetMenu() : Menu("m_sheet") {
        addItem("m_file", "&File")->addItem("m_close", "&Close");
        addItem("m_product", "&Product")->addItem("m_new", "&New\tCtrl+N");
    }
};

std::vector<std::string> menuTitles(QMenuBar* bar) {
    std::vector<std::string> out;
    for (QAction* a : bar->actions())
        if (a->isVisible()) out.push_back(a->text().toStdString());
    return out;
}

TEST_F(WindowsTest, FrameShowsTheActiveSheetsMenuAndArrangesSheets) {
    Ref<Frame> frame = create<Frame>();
    frame->createMenu<FrameMenu>();
    frame->setTitle("Pakomo");
    frame->open();
    Ref<TestWindow> plain = create<TestWindow>();
    plain->setTitle("Plain sheet");
    Ref<TestWindow> withMenu = create<TestWindow>();
    withMenu->setTitle("Sheet with menu");
    withMenu->createMenu<SheetMenu>();
    int plainActivations = 0;
    plain->on("activate", [&](Args) {
        ++plainActivations;
        return Value();
    });
    ASSERT_EQ(plain->openSheet(*frame), 1);
    ui_test::settle();
    EXPECT_EQ(plainActivations, 1);
    EXPECT_EQ(menuTitles(frame->menuBar()), std::vector<std::string>{"&File"});
    ASSERT_EQ(withMenu->openSheet(*frame), 1);
    ui_test::settle();
    EXPECT_EQ(frame->activeSheet(), withMenu.get());
    EXPECT_EQ(menuTitles(frame->menuBar()), (std::vector<std::string>{"&File", "&Product"}));
    EXPECT_EQ(withMenu->menu()->parentWindow(), withMenu.get());
    EXPECT_EQ(frame->sheets().size(), 2u);

    frame->arrangeSheets(FrameWindow::Tile);
    QMdiArea* mdi = frame->mdiArea();
    QRect a = mdi->subWindowList()[0]->geometry(), b = mdi->subWindowList()[1]->geometry();
    EXPECT_EQ(a.top(), b.top());
    EXPECT_NE(a.left(), b.left());
    frame->arrangeSheets(FrameWindow::TileHorizontal);
    a = mdi->subWindowList()[0]->geometry();
    b = mdi->subWindowList()[1]->geometry();
    EXPECT_EQ(a.left(), b.left());
    EXPECT_NE(a.top(), b.top());
    frame->arrangeSheets(FrameWindow::Layer);
    EXPECT_EQ(mdi->subWindowList()[0]->geometry(), mdi->subWindowList()[1]->geometry());
    frame->arrangeSheets(FrameWindow::Cascade);
    a = mdi->subWindowList()[0]->geometry();
    b = mdi->subWindowList()[1]->geometry();
    EXPECT_NE(a.left(), b.left());
    EXPECT_NE(a.top(), b.top());
    // Icons: the minimised sheets in a row along the bottom of the client area.
    for (QMdiSubWindow* s : mdi->subWindowList()) s->showMinimized();
    frame->arrangeSheets(FrameWindow::Icons);
    a = mdi->subWindowList()[0]->geometry();
    b = mdi->subWindowList()[1]->geometry();
    EXPECT_EQ(a.bottom(), mdi->viewport()->height() - 1);
    EXPECT_EQ(b.bottom(), a.bottom());
    EXPECT_EQ(std::min(a.left(), b.left()), 0);
    EXPECT_EQ(std::abs(a.left() - b.left()), a.width());
    for (QMdiSubWindow* s : mdi->subWindowList()) s->showNormal();
    mdi->setActiveSubWindow(mdi->subWindowList()[1]);
    ui_test::settle();
    ASSERT_EQ(frame->activeSheet(), withMenu.get());
    frame->arrangeSheets(FrameWindow::Tile);
    frame->setMicroHelp("Ready");
    EXPECT_EQ(frame->microHelp(), "Ready");
    frame->widget()->resize(800, 600);
    ui_test::settle();
    ui_test::saveScreenshot(frame->widget(), "frame-with-sheets");

    int activations = plainActivations;
    EXPECT_EQ(withMenu->close(), 1);
    ui_test::settle();
    EXPECT_EQ(plainActivations, activations + 1);  // active again once the other sheet closed
    EXPECT_EQ(menuTitles(frame->menuBar()), std::vector<std::string>{"&File"});
    EXPECT_EQ(frame->close(), 1);  // closes the remaining sheet first
    EXPECT_FALSE(plain.isValid());
    EXPECT_FALSE(frame.isValid());
}

// The frame's status bar starts with the application's default text.
TEST_F(WindowsTest, FrameStatusBarStartsWithTheApplicationsDefaultText) {
    Application app("pakomo");
    app.setMicroHelpDefault("Holvane");
    Ref<Frame> frame = create<Frame>();
    frame->open();
    EXPECT_EQ(frame->microHelp(), "Holvane");
    frame->setMicroHelp("Create a new product");
    EXPECT_EQ(frame->microHelp(), "Create a new product");
    destroy(frame);
}

TEST_F(WindowsTest, OpenHandsItsParameterToTheOpenEvent) {
    Object passed("str_pass");
    Ref<Frame> frame = create<Frame>();
    ASSERT_EQ(frame->open(), 1);
    struct Case {
        const char* name;
        std::function<int(Window&)> open;
        std::string text;
        bool object;
    };
    const std::vector<Case> cases = {
        {"text", [](Window& w) { return w.openWithParm(Value("C:\\Setup")); }, "C:\\Setup", false},
        {"object", [&](Window& w) { return w.openWithParm(Ref<Object>(&passed)); }, "", true},
        {"sheet", [&](Window& w) { return w.openSheet(*frame, Value(7), Ref<Object>(&passed)); }, "7", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Ref<TestWindow> w = create<TestWindow>();
        std::string seenText = "none";
        Object* seenObject = nullptr;
        w->extend("open", [&](Args) {
            seenText = w->parameter().toText();
            seenObject = w->parameterObject();
            return Value();
        });
        ASSERT_EQ(c.open(*w), 1);
        EXPECT_EQ(seenText, c.text);
        EXPECT_EQ(seenObject, c.object ? &passed : nullptr);
        w->close();
    }
    frame->close();
}

TEST_F(WindowsTest, ResizeAndLayoutUnits) {
    Ref<TestWindow> w = create<TestWindow>();
    std::vector<std::pair<int, int>> sizes;
    w->on("resize", [&](Args a) {
        sizes.emplace_back(static_cast<int>(a[1].toInt()), static_cast<int>(a[2].toInt()));
        return Value();
    });
    Ref<CommandButton> b = w->addControl<CommandButton>("cb_1");
    b->move(201, 896);
    b->resize(357, 80);
    w->open();
    ui_test::settle();
    EXPECT_EQ(b->widget()->geometry(), QRect(43, 224, 78, 20));
    // What the script set reads back exactly, though pixels cannot hold every unit.
    EXPECT_EQ(b->x(), 201);
    EXPECT_EQ(b->width(), 357);
    b->widget()->resize(100, 20);  // resized by other means: read from the pixels
    EXPECT_EQ(b->width(), 100 * 32 / 7);
    sizes.clear();
    w->widget()->resize(700, 500);
    w->widget()->resize(350, 250);
    ui_test::settle();
    ASSERT_EQ(sizes.size(), 2u);
    EXPECT_EQ(sizes[1], std::make_pair(350 * 32 / 7, 250 * 4));
    EXPECT_EQ(typeOf(w.get()), "window");
    EXPECT_EQ(typeOf(b.get()), "commandbutton");
    EXPECT_EQ(getParent(b.get()), w.get());

    // Centred on the screen; a disabled window takes no clicks on its controls.
    w->center();
    QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_LE(std::abs(w->widget()->geometry().center().x() - screen.center().x()), 2);
    EXPECT_LE(std::abs(w->widget()->geometry().center().y() - screen.center().y()), 2);
    int clicks = 0;
    b->on("clicked", [&](Args) {
        ++clicks;
        return Value();
    });
    w->setEnabled(false);
    EXPECT_FALSE(w->enabled());
    QTest::mouseClick(b->widget(), Qt::LeftButton);
    EXPECT_EQ(clicks, 0);
    w->setEnabled(true);
    QTest::mouseClick(b->widget(), Qt::LeftButton);
    EXPECT_EQ(clicks, 1);
    w->close();
}

}  // namespace

// A splash window opened before the frame and closed after it: the frame takes the activation, so
// the keyboard reaches the program without a click.
TEST_F(WindowsTest, ClosingTheActiveWindowActivatesTheProgramsNextWindow) {
    Ref<TestWindow> splash = create<TestWindow>(WindowKind::Popup);
    ASSERT_EQ(splash->open(), 1);
    Ref<Frame> frame = create<Frame>();
    ASSERT_EQ(frame->open(), 1);
    splash->widget()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(splash->widget()));
    splash->close();
    EXPECT_TRUE(QTest::qWaitForWindowActive(frame->widget(), 2000));
    destroy(frame);
}

// A window disabled while a service works (the wait window's way) gets its keyboard focus back
// when it is enabled again: the control a user worked in keeps taking the keys.
TEST_F(WindowsTest, EnablingAWindowAgainGivesTheFocusBackToItsControl) {
    Ref<Frame> frame = create<Frame>();
    ASSERT_EQ(frame->open(), 1);
    Ref<TestWindow> sheet = create<TestWindow>();
    Ref<SingleLineEdit> first = sheet->addControl<SingleLineEdit>("sle_1");
    Ref<SingleLineEdit> second = sheet->addControl<SingleLineEdit>("sle_2");
    second->move(0, 100);
    ASSERT_EQ(sheet->openSheet(*frame), 1);
    ui_test::settle();
    second->setFocus();
    ASSERT_EQ(frame->widget()->focusWidget(), second->widget());

    frame->setEnabled(false);
    EXPECT_FALSE(second->widget()->isEnabled());
    frame->setEnabled(true);
    EXPECT_EQ(frame->widget()->focusWidget(), second->widget());

    // A control disabled meanwhile is passed by: the focus is not forced onto it.
    frame->setEnabled(false);
    second->setEnabled(false);
    frame->setEnabled(true);
    EXPECT_NE(frame->widget()->focusWidget(), second->widget());
    destroy(frame);
}
