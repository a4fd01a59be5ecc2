// The main frame's ue_fileopen (one sheet per class, counted once, uncounted on failure), the
// splash window, and the standard and frame menus: what shows, and what each entry and key does.
#include "authoring/ProjectFixture.h"

#include <QIcon>
#include <QMainWindow>
#include <QTimer>

#include "authoring/menus/m_a.h"
#include "authoring/menus/m_mdi.h"
#include "authoring/windows/w_logo.h"
#include "support/runtime/WidgetChecks.h"
#include "authoring/windows/w_mdi_frame.h"
#include "runtime/ui/Menu.h"
#include "standard/register_standard.h"

namespace {

using pakomo::w_mdi_frame;
using runtime::Menu;
using runtime::Ref;

// A sheet standing in for the chooser: it counts its opens and gives its sheet back on close.
int g_opens = 0;
class StandInChooser : public pakomo::w_a {
public:
    StandInChooser() : pakomo::w_a("w_choose_product") {
        extend("open", [](runtime::Args) { return ++g_opens, runtime::Value(); });
        extend("close", [](runtime::Args) {
            pakomo::app().g_w_frame->trigger("ue_fileclose");
            return runtime::Value();
        });
    }
};

class FrameTest : public core_test::CoreFixture {
protected:
    void SetUp() override {
        CoreFixture::SetUp();
        pakomo::register_standard();
        pakomo::register_menus();
        pakomo::register_windows();
        runtime::registerClass<StandInChooser>("w_choose_product");
        g_opens = 0;
        application().g_str_pass.app_name = "Pakomo";
        application().gs_helpfile = "C:\\Help\\Pakomo 1.hlp";
        frame = runtime::createByName("w_mdi_frame").as<w_mdi_frame>();
        frame->open();
        core_test::settle();
    }
    void fileopen(const std::string& what) {
        application().g_str_pass.string[1] = what;
        frame->post("ue_fileopen");
        core_test::settle();
    }
    std::vector<runtime::Window*> sheets() { return frame->sheets(); }
    Menu& item(const char* name) { return *frame->menu()->findItem(name); }

    Ref<w_mdi_frame> frame;
};

TEST_F(FrameTest, OpensEachSheetOnceCountsItOnceAndUncountsAFailure) {
    ASSERT_EQ(application().g_w_frame.get(), frame.get());
    EXPECT_EQ(frame->title(), "Pakomo");
    EXPECT_EQ(frame->mainWidget()->windowIcon().availableSizes().value(0), QSize(32, 32));
    struct Step {
        const char* what;
        int sheets, count, opens;
    };
    const Step steps[] = {
        {"choose_product", 1, 1, 1},
        {"choose_product", 1, 1, 1},  // brought forward, not opened again
        {"Choose_product", 1, 1, 1},  // the name is exact
        {"choose_product ", 1, 1, 1},
        {"", 1, 1, 1},
        {"project", 1, 1, 1},  // no project window here: the count goes back down
    };
    for (const Step& s : steps) {
        fileopen(s.what);
        EXPECT_EQ(sheets().size(), static_cast<size_t>(s.sheets)) << s.what;
        EXPECT_EQ(frame->fw_number_of_open_sheets(), s.count) << s.what;
        EXPECT_EQ(g_opens, s.opens) << s.what;
    }
    EXPECT_EQ(sheets()[0]->className(), "w_choose_product");
    sheets()[0]->close();
    core_test::settle();
    EXPECT_EQ(frame->fw_number_of_open_sheets(), 0);
    fileopen("choose_product");
    EXPECT_EQ(g_opens, 2);
    EXPECT_EQ(frame->fw_number_of_open_sheets(), 1);
}

TEST_F(FrameTest, TheFrameMenuShowsExitOpenProductselectionWindowAndHelp) {
    auto shown = [](Menu& m) {
        std::vector<std::string> out;
        for (Menu* i : m.item())
            if (i->visible()) out.push_back(i->text());
        return out;
    };
    EXPECT_EQ(shown(*frame->menu()), (std::vector<std::string>{"&File", "&Window", "&Help"}));
    EXPECT_EQ(shown(item("m_bestand")),
              (std::vector<std::string>{"&Open productselection\tCtrl+O", "-", "&Exit\tAlt+F4"}));
    EXPECT_EQ(shown(item("m_venster")), (std::vector<std::string>{"&Vertical", "&Horizontal", "&Layered", "&Cascade"}));
    EXPECT_EQ(shown(item("m_help")),
              (std::vector<std::string>{"&Contents...\tF1", "&Search...\tShift+F1", "-", "About...\tAlt+F1"}));
    EXPECT_EQ(item("m_openen").microHelp(), "Open the productselection window");
    EXPECT_EQ(item("m_openen").shortcut(), 335);
    EXPECT_FALSE(item("m_openen").toolbarItemVisible());

    // The standard menu alone keeps Open and its separator hidden.
    Ref<pakomo::m_a> standard = runtime::create<pakomo::m_a>();
    EXPECT_FALSE(standard->item_named("m_openen").visible());
    EXPECT_FALSE(standard->item_named("m_-2").visible());
    EXPECT_EQ(standard->item_named("m_openen").text(), "&Open...\tCtrl+O");
    runtime::destroy(standard);

    // Toolbar buttons: by order, Exit (order 99) last; hidden commands have none.
    std::vector<std::string> buttons;
    std::vector<std::pair<int, Menu*>> all;
    std::function<void(Menu&)> walk = [&](Menu& m) {
        for (Menu* i : m.item()) {
            if (!i->toolbarItemName().empty() && i->toolbarItemVisible()) all.emplace_back(i->toolbarItemOrder(), i);
            walk(*i);
        }
    };
    walk(*frame->menu());
    std::stable_sort(all.begin(), all.end(), [](auto& a, auto& b) { return a.first < b.first; });
    for (auto& [order, i] : all) buttons.push_back(i->toolbarItemText());
    EXPECT_EQ(buttons, (std::vector<std::string>{"Vertical", "Horizontal", "Layered", "Cascade", "Help-contents", "Exit"}));
}

TEST_F(FrameTest, EveryFrameMenuEntryAndKeyDoesWhatItSays) {
    struct Case {
        const char* entry;
        int shortcut;  // 0: hidden, the key does nothing
    };
    // Hidden commands cannot be chosen by their keys.
    for (const Case& c : {Case{"m_nieuw", 334}, Case{"m_sluiten", 371}, Case{"m_opslaan", 339},
                          Case{"m_afdrukken", 336}, Case{"m_knippen", 344}, Case{"m_kopiren", 323},
                          Case{"m_plakken", 342}, Case{"m_verwijderen", 302}}) {
        EXPECT_EQ(item(c.entry).shortcut(), c.shortcut) << c.entry;
        EXPECT_FALSE(item(c.entry).choose(Menu::ChosenBy::Shortcut)) << c.entry;
    }

    // Ctrl+O leads to the chooser even when the record still names the project window.
    application().g_str_pass.string[1] = "project";
    ASSERT_TRUE(item("m_openen").choose(Menu::ChosenBy::Shortcut));
    EXPECT_EQ(application().g_str_pass.string.get(1), "choose_product");
    EXPECT_EQ(g_opens, 0) << "queued: runs after the handler";
    core_test::settle();
    EXPECT_EQ(g_opens, 1);
    ASSERT_TRUE(item("m_openen").choose(Menu::ChosenBy::Menu));
    core_test::settle();
    EXPECT_EQ(g_opens, 1) << "no second chooser";

    // Help: F1 the contents, Shift+F1 the keyword search with an empty keyword.
    ASSERT_TRUE(item("m_inhoud").choose(Menu::ChosenBy::Shortcut));
    ASSERT_TRUE(item("m_zoeken").choose(Menu::ChosenBy::Shortcut));
    const std::vector<runtime::HelpRequest> help = takeHelp();
    ASSERT_EQ(help.size(), 2u);
    EXPECT_EQ(help[0].file, "C:\\Help\\Pakomo 1.hlp");
    EXPECT_EQ(help[0].command, runtime::HelpCommand::Contents);
    EXPECT_EQ(help[1].command, runtime::HelpCommand::Keyword);
    EXPECT_EQ(help[1].keyword, "");

    // Alt+F1: the about box.
    std::string opened;
    QTimer::singleShot(0, [&] {
        for (runtime::Window* w : runtime::Window::openWindows())
            if (w->className() == "w_about") opened = w->className(), w->close();
    });
    ASSERT_TRUE(item("m_over").choose(Menu::ChosenBy::Shortcut));
    EXPECT_EQ(opened, "w_about");

    // The window arrangements act on the frame's sheets.
    for (const char* e : {"m_vertikaal", "m_horizontaal", "m_gelaagd", "m_waterval"})
        EXPECT_TRUE(item(e).choose(Menu::ChosenBy::Toolbar)) << e;

    // Alt+F4 closes the frame while it exists.
    ASSERT_TRUE(item("m_afsluiten").choose(Menu::ChosenBy::Shortcut));
    core_test::settle();
    EXPECT_FALSE(frame.isValid() && frame->isOpen());
}

TEST_F(FrameTest, ExitWithoutAFrameEndsTheProgramThroughItsShutDown) {
    Ref<pakomo::m_a> standard = runtime::create<pakomo::m_a>();
    bool closed = false;
    application().on("close", [&](runtime::Args) { return closed = true, runtime::Value(); });
    application().g_w_frame.reset();
    standard->item_named("m_afsluiten").trigger("clicked");
    EXPECT_TRUE(closed);
    runtime::destroy(standard);
}

TEST_F(FrameTest, SplashShowsTheNameAboveTheVersionWithoutTitleBar) {
    application().g_str_pass.major_version = "1";
    application().g_str_pass.minor_version = "0e";
    Ref<pakomo::w_logo> logo = runtime::createByName("w_logo").as<pakomo::w_logo>();
    logo->open();
    EXPECT_EQ(logo->st_appname->text(), "Pakomo");
    EXPECT_EQ(logo->st_versie->text(), "1.0e");
    EXPECT_LT(logo->st_appname->y(), logo->st_versie->y());
    EXPECT_FALSE(logo->p_1->pictureName().empty());
    EXPECT_EQ(runtime::clippedTexts(logo->widget()), std::vector<std::string>{});
    logo->close();
}

}  // namespace
