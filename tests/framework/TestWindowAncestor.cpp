// The window ancestor: confirm and cancel with validation, the posted close, status-bar help,
// context help, centring, the resize protocol through the real MoveControl, and clipboard
// routing by the kind of the focused control.
#include "framework/FrameworkFixture.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTest>

#include <functional>

#include "runtime/services/System.h"
#include "runtime/ui/Controls.h"
#include "standard/w_a.h"
#include "standard/w_mdi.h"

using namespace pakomo;
using runtime::Args;
using runtime::Ref;
using runtime::Value;

namespace {

// A dialog with its own validation and an extension of ue_ok that reads its edit.
class w_test_dialog : public w_a {
public:
    w_test_dialog() : w_a("w_test_dialog") {
        sle_1 = addControl<runtime::SingleLineEdit>("sle_1");
        extend("ue_ok", [this](Args) {
            if (sle_1) app().g_str_pass.string[1] = sle_1->text();
            return Value();
        });
        on("close", [this](Args) {
            ++closes;
            return Value();
        });
    }
    bool fw_validate() override {
        ++validations;
        return fw_set_validation_result(valid);
    }
    Ref<runtime::SingleLineEdit> sle_1;
    bool valid = true;
    int validations = 0;
    int closes = 0;
};

class WindowAncestor : public framework_test::FrameworkFixture {};

struct ConfirmCase {
    const char* name;
    const char* event;
    bool valid;
    int button_clicked;  // 7: untouched
    bool closes;
    int validations;
};

void PrintTo(const ConfirmCase& c, std::ostream* os) { *os << c.name; }

class ConfirmProtocol : public WindowAncestor, public ::testing::WithParamInterface<ConfirmCase> {};

TEST_P(ConfirmProtocol, RecordsTheButtonAndClosesAfterTheWholeHandling) {
    const ConfirmCase& c = GetParam();
    application().g_str_pass.button_clicked = 7;
    Ref<w_test_dialog> w = runtime::create<w_test_dialog>();
    w->valid = c.valid;
    ASSERT_EQ(w->open(), 1);
    w->sle_1->setText("typed");
    w->trigger(c.event);
    // ue_ok and ue_cancel queue the close: the window and its controls are still there when the
    // event returns; ue_close closes at once.
    ASSERT_EQ(w.isValid(), std::string(c.event) != "ue_close");
    EXPECT_EQ(application().g_str_pass.button_clicked, c.button_clicked);
    core_test::settle();
    EXPECT_EQ(w.isValid(), !c.closes);
    if (w) {
        EXPECT_EQ(w->validations, c.validations);
    }
    if (std::string(c.event) == "ue_ok" && c.valid) {
        EXPECT_EQ(application().g_str_pass.string.get(1), "typed");
    }
}

INSTANTIATE_TEST_SUITE_P(Framework, ConfirmProtocol,
                         ::testing::Values(ConfirmCase{"ok_valid", "ue_ok", true, 1, true, 1},
                                           ConfirmCase{"ok_invalid_stays_open", "ue_ok", false, 7, false, 1},
                                           ConfirmCase{"cancel_never_validates", "ue_cancel", false, 2, true, 0},
                                           ConfirmCase{"close_leaves_button", "ue_close", true, 7, true, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(WindowAncestor, ARefusingCloseQueryKeepsTheWindowWithTheButtonWritten) {
    Ref<w_test_dialog> w = runtime::create<w_test_dialog>();
    w->extend("closequery", [&](Args) {
        w->il_closequery_retval = 1;
        return Value(w->il_closequery_retval);
    });
    w->open();
    w->trigger("ue_cancel");
    core_test::settle();
    ASSERT_TRUE(w.isValid());
    EXPECT_EQ(application().g_str_pass.button_clicked, 2);
    EXPECT_EQ(w->closes, 0);
    w->on("closequery", [](Args) { return Value(); });
    w->trigger("ue_close");
    EXPECT_FALSE(w.isValid());
}

TEST_F(WindowAncestor, StatusBarHelpGoesToTheFrameOnlyWhileSwitchedOn) {
    Ref<w_a> w = runtime::create<w_a>();
    w->open();
    w->trigger("mousemove", {0, 10, 10});  // no frame yet: nothing, and no error
    EXPECT_EQ(application().errorCount(), 0);

    Ref<w_mdi> frame = runtime::create<w_mdi>();
    frame->open();
    core_test::settle();
    ASSERT_EQ(application().g_w_frame.get(), frame.get());
    frame->setMicroHelp("Ready");
    frame->trigger("mousemove", {0, 1, 1});
    EXPECT_EQ(frame->microHelp(), "Ready") << "the frame's own area never writes the status bar";

    w->trigger("mousemove", {0, 10, 10});
    EXPECT_EQ(frame->microHelp(), "Holvane");
    w->fw_set_microhelptext("Edit the product");
    w->trigger("mousemove", {0, 10, 10});
    EXPECT_EQ(frame->microHelp(), "Edit the product");
    w->fw_set_microhelptext("");
    w->trigger("mousemove", {0, 10, 10});
    EXPECT_EQ(frame->microHelp(), "");
    frame->setMicroHelp("Kept");
    w->fw_set_microhelp(false);
    w->trigger("mousemove", {0, 10, 10});
    EXPECT_EQ(frame->microHelp(), "Kept");
}

TEST_F(WindowAncestor, HelpAsksForTheWindowsTopicInTheHelpFile) {
    application().gs_helpfile = "C:\\Help\\Pakomo 1.hlp";
    Ref<w_a> w = runtime::create<w_a>();
    w->open();
    w->trigger("ue_help");
    w->fw_set_helptopic(27);
    w->trigger("ue_help");
    std::vector<runtime::HelpRequest> asked = takeHelp();
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[0].file, "C:\\Help\\Pakomo 1.hlp");
    EXPECT_EQ(asked[0].command, runtime::HelpCommand::Topic);
    EXPECT_EQ(asked[0].topic, 0);
    EXPECT_EQ(asked[1].topic, 27);
}

// F1 that reaches a window without a menu, from any of its controls, is its Help button's help.
TEST_F(WindowAncestor, F1InAWindowWithoutAMenuShowsItsTopic) {
    application().gs_helpfile = "C:\\Help\\Pakomo 1.hlp";
    Ref<w_test_dialog> w = runtime::create<w_test_dialog>();
    w->open();
    w->fw_set_helptopic(29);
    QWidget* edit = w->sle_1->widget();
    QTest::keyClick(edit, Qt::Key_F1);
    QTest::keyClick(edit, Qt::Key_F1, Qt::ShiftModifier);  // not F1 alone: no help
    std::vector<runtime::HelpRequest> asked = takeHelp();
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].command, runtime::HelpCommand::Topic);
    EXPECT_EQ(asked[0].topic, 29);
    w->close();
}

struct CenterCase {
    int screen_px_width;
    int window_width;
};

class Centring : public WindowAncestor, public ::testing::WithParamInterface<CenterCase> {};

TEST_P(Centring, TruncatesTowardZeroAlsoForWindowsLargerThanTheScreen) {
    const CenterCase& c = GetParam();
    application().g_env.screenWidth = c.screen_px_width;
    application().g_env.screenHeight = 600;
    Ref<w_a> w = runtime::create<w_a>();
    w->resize(c.window_width, 1212);
    w->fw_center();
    int screen_units = runtime::pixelsToUnitsX(c.screen_px_width);
    int expected = static_cast<int>((screen_units - c.window_width) * 0.5);
    EXPECT_EQ(w->x(), expected);
    EXPECT_EQ(w->y(), static_cast<int>((runtime::pixelsToUnitsY(600) - 1212) * 0.5));
    // The examples: 1001 - 1998 gives -498 (not -499), 4681 - 1349 gives 1666.
    if (c.screen_px_width == 219) {
        EXPECT_EQ(w->x(), -498);
    }
    if (c.screen_px_width == 1024 && c.window_width == 1349) {
        EXPECT_EQ(w->x(), 1666);
    }
    destroy(w);
}

INSTANTIATE_TEST_SUITE_P(Framework, Centring,
                         ::testing::Values(CenterCase{219, 1998}, CenterCase{1024, 1349}, CenterCase{1024, 1998},
                                           CenterCase{438, 1998}));

TEST_F(WindowAncestor, EveryResizeRecordsTheSizeAndPlacesRegisteredControls) {
    Ref<w_a> w = runtime::create<w_a>();
    Ref<runtime::SingleLineEdit> sle = w->addControl<runtime::SingleLineEdit>("sle_1");
    Ref<runtime::CommandButton> cb = w->addControl<runtime::CommandButton>("cb_1");
    sle->move(100, 40);
    sle->resize(500, 80);
    cb->move(100, 300);
    cb->resize(357, 80);
    w->open();
    w->fw_position_set_flags(*sle, w_a::align_hresize);
    w->fw_position_set_width_marge(*sle, 200);
    w->fw_position_set_flags(*cb, w_a::align_hcenter);
    w->fw_position_set_bottom_marge(*cb, 16);
    EXPECT_EQ(w->fw_position_get_flags(*cb), w_a::align_hcenter);

    w->trigger("resize", {0, 2000, 1000});
    EXPECT_EQ(w->ii_resize_width, 2000);
    EXPECT_EQ(w->ii_resize_height, 1000);
    using runtime::unitsToPixelsX;
    using runtime::unitsToPixelsY;
    EXPECT_EQ(sle->widget()->width(), unitsToPixelsX(2000) - unitsToPixelsX(200));
    EXPECT_EQ(sle->widget()->x(), unitsToPixelsX(100));
    EXPECT_EQ(cb->widget()->x(), (unitsToPixelsX(2000) - cb->widget()->width()) / 2);
    EXPECT_EQ(cb->widget()->y(), unitsToPixelsY(1000) - unitsToPixelsY(16) - cb->widget()->height());

    // A real resize of the window takes the same way, with the client area's size.
    w->widget()->resize(700, 500);
    core_test::settle();
    EXPECT_EQ(w->ii_resize_width, runtime::pixelsToUnitsX(w->clientWidget()->width()));
    EXPECT_EQ(sle->widget()->width(), w->clientWidget()->width() - unitsToPixelsX(200));

    w->fw_deregister_object(*sle);
    int before = sle->widget()->width();
    w->trigger("resize", {1, 3000, 1000});
    EXPECT_EQ(sle->widget()->width(), before);
}

// Clipboard routing by control kind.
struct ClipCase {
    const char* kind;
    std::function<Ref<runtime::Control>(w_a&)> make;
    bool routed;
};

void PrintTo(const ClipCase& c, std::ostream* os) { *os << c.kind; }

class ClipboardRouting : public WindowAncestor, public ::testing::WithParamInterface<ClipCase> {};

void selectWorld(runtime::Control& c) {
    c.setText("hello world");
    if (auto* t = dynamic_cast<runtime::TextControl*>(&c)) t->selectText(7, 5);
}

TEST_P(ClipboardRouting, CopyCutAndPasteActOnTheFocusedControlByItsKind) {
    const ClipCase& c = GetParam();
    Ref<w_a> w = runtime::create<w_a>();
    Ref<runtime::Control> control = c.make(*w);
    w->open();
    selectWorld(*control);
    runtime::setClipboardText("before");
    w->fw_set_focus_object(Ref<runtime::Object>(control.get()));

    w->fw_copy();
    EXPECT_EQ(runtime::clipboardText(), c.routed ? "world" : "before");
    EXPECT_EQ(w->i_str_selected_text.control.get(), c.routed ? control.get() : nullptr);
    EXPECT_EQ(w->i_str_selected_text.s_selected_text, c.routed ? "world" : "");

    runtime::setClipboardText("pasted");
    w->fw_paste();
    EXPECT_EQ(control->text(), c.routed ? "hello pasted" : control->text());

    selectWorld(*control);
    w->fw_cut();
    if (c.routed) {
        EXPECT_EQ(runtime::clipboardText(), "world");
        EXPECT_EQ(control->text(), "hello ");
    } else {
        EXPECT_EQ(runtime::clipboardText(), "pasted");
    }
}

template <class T>
std::function<Ref<runtime::Control>(w_a&)> maker(std::function<void(T&)> setup = {}) {
    return [setup](w_a& w) {
        Ref<T> c = w.addControl<T>("c_1");
        if (setup) setup(*c);
        return Ref<runtime::Control>(c);
    };
}

INSTANTIATE_TEST_SUITE_P(
    Framework, ClipboardRouting,
    ::testing::Values(
        ClipCase{"singlelineedit", maker<runtime::SingleLineEdit>(), true},
        ClipCase{"multilineedit", maker<runtime::MultiLineEdit>(), true},
        ClipCase{"editmask", maker<runtime::EditMask>(), true},
        ClipCase{"richtextedit", maker<runtime::RichTextEdit>(), true},
        ClipCase{"dropdownlistbox", maker<runtime::DropDownListBox>([](auto& d) { d.setAllowEdit(true); }), true},
        ClipCase{"dropdownpicturelistbox",
                 maker<runtime::DropDownPictureListBox>([](auto& d) { d.setAllowEdit(true); }), true},
        ClipCase{"commandbutton", maker<runtime::CommandButton>(), false},
        ClipCase{"statictext", maker<runtime::StaticText>(), false},
        ClipCase{"checkbox", maker<runtime::CheckBox>(), false}),
    [](const auto& info) { return std::string(info.param.kind); });

TEST_F(WindowAncestor, CopyReadsTheSelectionAgainAndReportsOnlyKeepNonEmptySelections) {
    Ref<w_a> w = runtime::create<w_a>();
    std::vector<Value> hook;
    w->on("ue_menu_clipboard", [&](Args a) {
        hook.push_back(a.empty() ? Value() : a[0]);
        return Value();
    });
    Ref<runtime::SingleLineEdit> sle = w->addControl<runtime::SingleLineEdit>("sle_1");
    w->open();
    // Paste before any control reported the focus does nothing.
    runtime::setClipboardText("xyz");
    w->fw_paste();
    EXPECT_EQ(sle->text(), "");

    sle->setText("alpha beta");
    sle->selectText(1, 5);
    w->fw_set_focus_object(Ref<runtime::Object>(sle.get()));
    w->fw_set_selected_text("alpha", Ref<runtime::VisualObject>(sle.get()));
    w->fw_set_selected_text("", Ref<runtime::VisualObject>(sle.get()));
    EXPECT_EQ(hook, (std::vector<Value>{true, false}));
    EXPECT_EQ(w->i_str_selected_text.s_selected_text, "alpha");

    // The selection moved by keyboard without a report: copy takes the current one.
    sle->selectText(7, 4);
    w->fw_copy();
    EXPECT_EQ(runtime::clipboardText(), "beta");

    // A focused control that was destroyed counts as none.
    runtime::destroy(sle);
    runtime::setClipboardText("kept");
    w->fw_copy();
    w->fw_paste();
    EXPECT_EQ(runtime::clipboardText(), "kept");
    EXPECT_EQ(w->fw_get_selected_text(), "");
    EXPECT_FALSE(w->i_str_selected_text.control.isValid());
}

}  // namespace
