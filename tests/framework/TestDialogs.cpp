// Buttons, the dialog ancestor, the About box and the wait window: the bound-event dispatch
// (queued, exact names), status-bar help of buttons, Enter and Esc in a dialog, the About box's
// version line, and the wait window over a disabled frame. Screenshots go to the artefacts.
#include "framework/FrameworkFixture.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <vector>

#include "authoring/core/nv_a.h"
#include "runtime/core/Dispatch.h"
#include "runtime/services/System.h"
#include "runtime/ui/Controls.h"
#include "standard/u_cb_a.h"
#include "standard/uo_a.h"
#include "standard/w_about.h"
#include "standard/w_mdi.h"
#include "standard/w_moment_aub.h"
#include "standard/w_ok_cancel.h"
#include "support/TestEnvironment.h"

using namespace pakomo;
using runtime::Args;
using runtime::Ref;
using runtime::Value;

namespace {

class Dialogs : public framework_test::FrameworkFixture {
protected:
    Ref<w_mdi> openFrame() {
        Ref<w_mdi> frame = runtime::create<w_mdi>();
        frame->open();
        core_test::settle();
        return frame;
    }
};

// A window that logs the five events a button can raise.
class w_logging : public w_a {
public:
    w_logging() : w_a("w_logging") {
        for (const char* e : {"ue_ok", "ue_cancel", "ue_close", "ue_print", "ue_help"})
            on(e, [this, e](Args) {
                log.push_back(e);
                return Value();
            });
    }
    std::vector<std::string> log;
};

struct BindCase {
    std::string bound;
    std::vector<std::string> raised;
};

class ButtonDispatch : public Dialogs, public ::testing::WithParamInterface<BindCase> {};

TEST_P(ButtonDispatch, AClickQueuesTheBoundEventOnTheWindowHoldingTheButton) {
    Ref<w_logging> w = runtime::create<w_logging>();
    // Inside a composite control: the button still works for the window.
    Ref<uo_a> uo = w->addControl<uo_a>("uo_1");
    Ref<u_cb_a> cb = uo->addControl<u_cb_a>("cb_1");
    w->open();
    ASSERT_EQ(cb->fu_get_parent_window().get(), w.get());
    cb->fu_set_event(GetParam().bound);
    cb->trigger("clicked");
    EXPECT_TRUE(w->log.empty()) << "raised queued, after the click";
    core_test::settle();
    EXPECT_EQ(w->log, GetParam().raised);
    cb->trigger("getfocus");
    EXPECT_EQ(w->ipo_focus.get(), cb.get());
}

INSTANTIATE_TEST_SUITE_P(Framework, ButtonDispatch,
                         ::testing::Values(BindCase{"ue_ok", {"ue_ok"}}, BindCase{"ue_cancel", {"ue_cancel"}},
                                           BindCase{"ue_close", {"ue_close"}}, BindCase{"ue_print", {"ue_print"}},
                                           BindCase{"ue_help", {"ue_help"}}, BindCase{"UE_OK", {}},
                                           BindCase{"ue_save", {}}, BindCase{"", {}}));

TEST_F(Dialogs, ButtonsWriteTheirOwnHelpLineOrNone) {
    Ref<w_mdi> frame = openFrame();
    Ref<w_a> w = runtime::create<w_a>();
    Ref<u_cb_ok> ok = w->addControl<u_cb_ok>("cb_ok");
    Ref<u_cb_cancel> cancel = w->addControl<u_cb_cancel>("cb_cancel");
    Ref<u_cb_help> help = w->addControl<u_cb_help>("cb_help");
    Ref<u_cb_close> close = w->addControl<u_cb_close>("cb_close");
    Ref<u_cb_a> plain = w->addControl<u_cb_a>("cb_plain");
    w->open();
    struct Row {
        runtime::Control* button;
        const char* expected;
    } rows[] = {{ok.get(), "Before"},        {cancel.get(), "Before"}, {help.get(), "Show help"},
                {close.get(), "Close this window"}, {plain.get(), ""}};
    for (const Row& r : rows) {
        frame->setMicroHelp("Before");
        // A real mouse move over the button.
        QTest::mouseMove(r.button->widget(), QPoint(5, 5));
        r.button->trigger("mousemove", {0, 5, 5});
        EXPECT_EQ(frame->microHelp(), r.expected) << r.button->name();
    }
    EXPECT_EQ(ok->fu_get_event(), "ue_ok");
    EXPECT_EQ(ok->text(), "&Ok");
    EXPECT_EQ(cancel->text(), "&Cancel");
    help->fu_set_microhelp(false);
    frame->setMicroHelp("Kept");
    help->trigger("mousemove", {0, 5, 5});
    EXPECT_EQ(frame->microHelp(), "Kept");
}

// A dialog with one field that it checks.
class w_name_dialog : public w_ok_cancel {
public:
    w_name_dialog() : w_ok_cancel("w_name_dialog") {
        sle_name = addControl<runtime::SingleLineEdit>("sle_name");
        sle_name->move(100, 100);
        sle_name->resize(1200, 89);
        extend("ue_ok", [this](Args) {
            app().g_str_pass.string[1] = sle_name->text();
            return Value();
        });
    }
    bool fw_validate() override { return fw_set_validation_result(!sle_name->text().empty()); }
    Ref<runtime::SingleLineEdit> sle_name;
};

struct KeyCase {
    const char* name;
    Qt::Key key;
    const char* typed;
    int button_clicked;
    bool stays_open;
};

class DialogKeys : public Dialogs, public ::testing::WithParamInterface<KeyCase> {};

TEST_P(DialogKeys, EnterConfirmsWithValidationAndEscCancels) {
    const KeyCase& c = GetParam();
    application().g_str_pass.button_clicked = 0;
    application().g_str_pass.string[1] = "untouched";
    Ref<w_name_dialog> dialog = runtime::create<w_name_dialog>();
    bool stayed = false;
    QTimer::singleShot(0, [&] {
        w_name_dialog* d = dialog.get();
        ASSERT_TRUE(d);
        d->sle_name->setText(c.typed);
        d->sle_name->setFocus();
        if (std::string(c.name) == "enter") saveScreenshot(d->widget(), "w_ok_cancel_dialog");
        QTest::keyClick(d->widget(), c.key);
        core_test::settle();
        stayed = dialog.isValid();
        if (dialog) dialog->trigger("ue_cancel");
    });
    dialog->open();  // modal: returns once closed
    EXPECT_FALSE(dialog.isValid());
    EXPECT_EQ(stayed, c.stays_open);
    EXPECT_EQ(application().g_str_pass.button_clicked, c.button_clicked);
    if (c.button_clicked == 1) {
        EXPECT_EQ(application().g_str_pass.string.get(1), c.typed);
    }
}

INSTANTIATE_TEST_SUITE_P(Framework, DialogKeys,
                         ::testing::Values(KeyCase{"enter", Qt::Key_Return, "Setup", 1, false},
                                           KeyCase{"enter_invalid_then_cancel", Qt::Key_Return, "", 2, true},
                                           KeyCase{"escape", Qt::Key_Escape, "Setup", 2, false}),
                         [](const auto& info) { return std::string(info.param.name); });

struct AboutCase {
    const char* language;
    const char* version;
};

class AboutBox : public Dialogs, public ::testing::WithParamInterface<AboutCase> {};

TEST_P(AboutBox, ShowsNameVersionLineAndOneButton) {
    s_pass& pass = application().g_str_pass;
    pass.app_name = "Pakomo";
    pass.major_version = "1";
    pass.minor_version = "0e";
    pass.language = GetParam().language;
    // A 32-pixel icon of our own, shown at its own size.
    QImage icon(32, 32, QImage::Format_RGB32);
    icon.fill(QColor(128, 0, 0));
    std::string iconFile = (testing_support::processFolder() / "icon.bmp").string();
    ASSERT_TRUE(icon.save(QString::fromStdString(iconFile)));
    pass.icon_bmp = iconFile;
    pass.button_clicked = 0;
    Ref<w_about> about = runtime::createByName("w_about").as<w_about>();
    ASSERT_TRUE(about);
    std::string version, name;
    bool cancelVisible = true;
    QTimer::singleShot(0, [&] {
        w_about* a = about.get();
        ASSERT_TRUE(a);
        version = a->st_version->text();
        name = a->st_appname->text();
        cancelVisible = a->cb_2->visible();
        EXPECT_EQ(a->title(), "About...");
        if (std::string(GetParam().language) == "english") saveScreenshot(a->widget(), "w_about");
        a->cb_1->click();
    });
    about->open();
    EXPECT_EQ(version, GetParam().version);
    EXPECT_EQ(name, "Pakomo");
    EXPECT_FALSE(cancelVisible);
    EXPECT_EQ(pass.button_clicked, 1);
}

INSTANTIATE_TEST_SUITE_P(Framework, AboutBox,
                         ::testing::Values(AboutCase{"english", "1.0e  english"}, AboutCase{"", "1.0e"}));

TEST_F(Dialogs, WaitWindowIsCentredOverADisabledFrameAndReenablesItWhenItCloses) {
    application().g_env.screenWidth = 1024;
    application().g_env.screenHeight = 768;
    Ref<w_mdi> frame = openFrame();
    frame->setEnabled(false);  // disabled before: closing the wait window enables it all the same
    int hourglasses = runtime::Pointer::hourglassCount();
    Ref<runtime::Window> wait = runtime::createByName("w_moment_aub").as<runtime::Window>();
    wait->open();
    EXPECT_EQ(wait->x(), 1666);
    EXPECT_EQ(wait->y(), static_cast<int>((runtime::pixelsToUnitsY(768) - 273) * 0.5));
    EXPECT_FALSE(frame->enabled());
    EXPECT_GT(runtime::Pointer::hourglassCount(), hourglasses);
    saveScreenshot(wait->widget(), "w_moment_aub");
    wait->close();
    EXPECT_TRUE(frame->enabled());
}

TEST_F(Dialogs, NestedWaitsShowOneWindowAndTheFrameStaysDisabledUntilTheLastRelease) {
    Ref<w_mdi> frame = openFrame();
    Ref<nv_a> service = runtime::create<nv_a>();
    service->fnv_set_wait();
    service->fnv_set_wait();
    int waits = 0;
    for (runtime::Window* w : runtime::Window::openWindows()) waits += w->className() == "w_moment_aub";
    EXPECT_EQ(waits, 1);
    service->fnv_clear_wait();
    EXPECT_FALSE(frame->enabled());
    service->fnv_clear_wait();
    EXPECT_TRUE(frame->enabled());
    runtime::destroy(service);
}

TEST_F(Dialogs, WaitWindowWithoutFrameDoesNothingToIt) {
    Ref<runtime::Window> wait = runtime::createByName("w_moment_aub").as<runtime::Window>();
    wait->open();
    wait->close();
    EXPECT_EQ(application().errorCount(), 0);
}

}  // namespace
