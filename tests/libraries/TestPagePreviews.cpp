// The six previews against Setup's own pages: a product whose texts refer to a string variable is
// read from the project database, previewed, built and its pages made by Setup; each text the
// preview shows is the one Setup's page shows. The previews' base fits a layout into its area,
// and the background window places its texts and sizes its fonts as Setup does.
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "EditingFixture.h"
#include "authoring/ProjectFixture.h"
#include "authoring/menus/m_a.h"
#include "authoring/windows/w_datawindow_zoom.h"
#include "e2e/E2eSupport.h"
#include "installer/setup/CMainWindow.h"
#include "installer/setup/SetupPages.h"
#include "libraries/build/ProjectReader.h"
#include "libraries/preview/layouts/preview_layouts.h"
#include "libraries/preview/preview_library.h"
#include "libraries/preview/w_wmain_preview.h"
#include "runtime/ui/Services.h"
#include "support/runtime/UiDoubles.h"

namespace {

using runtime::Value;

// One page: its preview, Setup's page made for it, and which text object shows which control.
struct PageCase {
    const char* window;
    std::function<std::unique_ptr<QWidget>(setup::CSetupApp&)> page;
    std::vector<std::pair<const char*, const char*>> texts;  // text object, Setup's control id
    const char* expanded;                                    // a text the variable's value gives
};

template <class Page>
std::function<std::unique_ptr<QWidget>(setup::CSetupApp&)> make() {
    return [](setup::CSetupApp& app) { return std::make_unique<Page>(app, nullptr); };
}

void PrintTo(const PageCase& c, std::ostream* os) { *os << c.window; }

// A control's text, whatever kind of control Setup made.
std::string controlText(QWidget& page, const char* id) {
    QWidget* w = page.findChild<QWidget*>(id);
    if (!w) return "<no control " + std::string(id) + ">";
    if (auto* l = qobject_cast<QLabel*>(w)) return l->text().toStdString();
    if (auto* e = qobject_cast<QLineEdit*>(w)) return e->text().toStdString();
    if (auto* t = qobject_cast<QPlainTextEdit*>(w)) return t->toPlainText().toStdString();
    if (auto* r = qobject_cast<QRadioButton*>(w)) return r->text().toStdString();
    return "<unknown control " + std::string(id) + ">";
}

class PagePreviewTest : public authoring_test::ProjectFixture {
protected:
    void SetUp() override {
        ProjectFixture::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        pakomo::register_standard();
        pakomo::register_project_library();
        pakomo::register_project();
        pakomo::register_menus();
        pakomo::register_preview_library();
        application().gnv_win32api = runtime::createByName("nv_winapi");
        // The program's frame stays open behind the previews: closing the last window ends a run.
        frame = runtime::create<editing_test::Frame>();
        frame->open();
        executeSql(everyTable(1));
        writeMachineFile("C:\\src\\read me.txt");
        // Every author's text refers to NAME ("value"); the product's name is shown as stored.
        executeSql(
            {"UPDATE PRODUCT SET PRODNAME = 'Alpha ^NAME^', PRODVERS = '2.5' WHERE ID = 1",
             "UPDATE WLICAGR SET LICTEXT = 'Licence of ^NAME^.' WHERE PRODID = 1",
             "UPDATE WUSER SET PAGETEXT = 'Tell ^NAME^ who you are.' WHERE PRODID = 1",
             "UPDATE WCREGRP SET GROUPNAME = 'Group ^NAME^', PAGETEXT = 'Choose a group for ^NAME^.' "
             "WHERE PRODID = 1",
             "UPDATE WFINISH SET FINALTEXT = 'Done with ^NAME^.', RESTART = 1, CHOICE1 = 'Now ^NAME^', "
             "CHOICE2 = 'Later ^NAME^' WHERE PRODID = 1",
             "UPDATE WMAIN SET TITLE = '^NAME^ Setup', BGCOLOR = 255 WHERE PRODID = 1",
             "UPDATE MAINTEXT SET TEXTLINE = 'Text of ^NAME^', XPOS = 5000, YPOS = 5000 WHERE PRODID = 1"});
        ASSERT_EQ(application().sqlca.commit(), 0);
        startService();
        service().fnv_retrieve_stringtable(1);
        rows = runtime::create<pakomo::u_ds_a>();
        rows->setDataObject("d_page_preview");
        rows->insertRow(0);
        const std::pair<const char*, const char*> fields[] = {
            {"prodname", "SELECT PRODNAME FROM PRODUCT WHERE ID = 1"},
            {"prodvers", "SELECT PRODVERS FROM PRODUCT WHERE ID = 1"},
            {"lictext", "SELECT LICTEXT FROM WLICAGR WHERE PRODID = 1"},
            {"usertext", "SELECT PAGETEXT FROM WUSER WHERE PRODID = 1"},
            {"groupname", "SELECT GROUPNAME FROM WCREGRP WHERE PRODID = 1"},
            {"grouptext", "SELECT PAGETEXT FROM WCREGRP WHERE PRODID = 1"},
            {"finaltext", "SELECT FINALTEXT FROM WFINISH WHERE PRODID = 1"},
            {"choice1", "SELECT CHOICE1 FROM WFINISH WHERE PRODID = 1"},
            {"choice2", "SELECT CHOICE2 FROM WFINISH WHERE PRODID = 1"},
            {"title", "SELECT TITLE FROM WMAIN WHERE PRODID = 1"}};
        for (const auto& [column, sql] : fields) rows->setItem(1, column, Value(text(sql)));
        rows->setItem(1, "restart", Value(1));
        rows->setItem(1, "bgcolor", Value(255));
        texts = runtime::create<pakomo::u_ds_a>();
        texts->setDataObject("d_project_maintext");
        texts->setTransObject(&application().sqlca);
        const Value id(1);
        ASSERT_EQ(texts->retrieve({&id, 1}), 1);
    }
    void TearDown() override {
        if (rows) runtime::destroy(rows);
        if (texts) runtime::destroy(texts);
        if (frame) runtime::destroy(frame);
        if (application().gnv_win32api) runtime::destroy(application().gnv_win32api);
        ProjectFixture::TearDown();
    }
    std::string text(const std::string& sql) {
        runtime::SqlRow row;
        EXPECT_EQ(application().sqlca.selectInto(sql, {}, row), 0) << application().sqlca.sqlErrText;
        return row.empty() || !row[0] ? std::string() : *row[0];
    }

    // Opens the preview as the openers do and hands its texts (by object) to `act` while it is open.
    void preview(const std::string& window, std::function<void(pakomo::w_datawindow_zoom&)> act) {
        bool seen = false;
        runtime::whenWindowOpen(window, [&](runtime::Window& w) {
            seen = true;
            auto& z = dynamic_cast<pakomo::w_datawindow_zoom&>(w);
            act(z);
            z.cb_1->trigger("clicked");
        });
        pakomo::fw_open_preview(window, *rows, texts.get());
        EXPECT_TRUE(seen) << window << " did not open";
    }

    runtime::Ref<pakomo::u_ds_a> rows, texts;
    runtime::Ref<editing_test::Frame> frame;
};

class EachPage : public PagePreviewTest, public ::testing::WithParamInterface<PageCase> {};

TEST_P(EachPage, ShowsTheProductsTextsExpandedAsSetupsPageShowsThem) {
    const PageCase& c = GetParam();
    std::map<std::string, std::string> shown;
    preview(c.window, [&](pakomo::w_datawindow_zoom& w) {
        for (const auto& [object, id] : c.texts)
            shown[object] = w.dw_1->describe(std::string(object) + ".text");
        EXPECT_EQ(w.dw_1->describe("datawindow.zoom"), "100") << "a page fits the preview unreduced";
        editing_test::screenshot(w.dw_1->widget(), std::string(c.window) + "-preview");
    });

    pakomo::ProjectProduct read = pakomo::read_project_product(application().sqlca, 1, machine);
    ASSERT_TRUE(read.ok()) << read.error;
    e2e::Built built(read.product);
    e2e::SetupRun run;
    ASSERT_TRUE(run.prepare(built.disc(1), {"Test"}));
    std::unique_ptr<QWidget> page = c.page(*run.app);
    page->show();
    core_test::settle();
    editing_test::screenshot(page.get(), std::string(c.window) + "-setup");
    bool expanded = false;
    for (const auto& [object, id] : c.texts) {
        SCOPED_TRACE(object);
        const std::string onPage = controlText(*page, id);
        EXPECT_NE(onPage, "");
        // A radio button's text stands after its mark in the preview.
        const std::string& inPreview = shown[object];
        EXPECT_TRUE(inPreview.size() >= onPage.size() && inPreview.ends_with(onPage))
            << "preview: " << inPreview << "\nSetup:   " << onPage;
        expanded = expanded || onPage.find(c.expanded) != std::string::npos;
        // The product's name stands in Setup's own sentences as stored, reference and all.
        const std::string name = object;
        if (name != "t_heading" && name != "t_acceptance") {
            EXPECT_EQ(onPage.find('^'), std::string::npos) << "no reference is left on the page";
        }
    }
    EXPECT_TRUE(expanded) << "no text showed " << c.expanded;
}

INSTANTIATE_TEST_SUITE_P(
    Pages, EachPage,
    ::testing::Values(
        PageCase{"w_wwelcome_preview", make<setup::CWelcomePage>(), {{"t_heading", "1006"}}, "Alpha"},
        PageCase{"w_licagr_preview",
                 make<setup::CLicensePage>(),
                 {{"t_lictext", "1008"}, {"t_acceptance", "1010"}},
                 "Licence of value."},
        PageCase{
            "w_userinfo_preview", make<setup::CUserInfoPage>(), {{"t_pagetext", "1011"}}, "Tell value who"},
        PageCase{"w_cregrp_preview",
                 make<setup::CProgramGroupPage>(),
                 {{"t_pagetext", "1016"}, {"t_group", "1015"}},
                 "Group value"},
        PageCase{"w_finished_preview",
                 make<setup::CFinishedPage>(),
                 {{"t_finaltext", "1038"}, {"t_choice1", "1039"}, {"t_choice2", "1040"}},
                 "Now value"}),
    [](const auto& info) { return std::string(info.param.window); });

TEST_F(PagePreviewTest, TheWelcomeHeadingKeepsTheProductsNameAsStored) {
    preview("w_wwelcome_preview", [](pakomo::w_datawindow_zoom& w) {
        EXPECT_EQ(
            w.dw_1->describe("t_heading.text"),
            "Welcome to the Alpha ^NAME^ installation program. This program will install Alpha ^NAME^ 2.5 on "
            "your computer.");
    });
}

TEST_F(PagePreviewTest, WithoutTheRestartOfferTheChoicesAndTheirAdviceAreHidden) {
    rows->setItem(1, "restart", Value(0));
    preview("w_finished_preview", [](pakomo::w_datawindow_zoom& w) {
        for (const char* name : {"t_choice1", "t_choice2", "t_advice"})
            EXPECT_EQ(w.dw_1->describe(std::string(name) + ".visible"), "0") << name;
        EXPECT_EQ(w.dw_1->describe("t_finaltext.visible"), "1");
    });
}

TEST_F(PagePreviewTest, AnEmptyPageTextShowsTheInstructionPlaceholder) {
    rows->setItem(1, "usertext", Value("   "));
    preview("w_userinfo_preview", [](pakomo::w_datawindow_zoom& w) {
        EXPECT_EQ(
            w.dw_1->describe("t_pagetext.text"),
            "<Text with instructions for the user. You can enter the exact text in one of the following "
            "Wizard-dialogs.>");
    });
}

// The background window: the caption and each text expanded as Setup expands them, placed and
// sized by Setup's rules on this screen, the whole reduced to fit with the reduction in the title.
TEST_F(PagePreviewTest, TheBackgroundWindowShowsSetupsCaptionAndTextsWhereSetupDrawsThem) {
    pakomo::ProjectProduct read = pakomo::read_project_product(application().sqlca, 1, machine);
    ASSERT_TRUE(read.ok()) << read.error;
    e2e::Built built(read.product);
    e2e::SetupRun run;
    ASSERT_TRUE(run.prepare(built.disc(1), {"Test"}));
    const setup::SetupInfo& info = run.app->info();
    ASSERT_EQ(info.backgroundTexts.size(), 1u);
    const runtime::Environment screen = runtime::environment();
    preview("w_wmain_preview", [&](pakomo::w_datawindow_zoom& w) {
        runtime::DataWindow& dw = *w.dw_1;
        EXPECT_EQ(dw.describe("t_caption.text"), run.app->ExpandVariables(info.mainWindow.title));
        EXPECT_EQ(dw.describe("t_caption.text"), "value Setup");
        EXPECT_EQ(dw.describe("t_text_1.text"), run.app->ExpandVariables(info.backgroundTexts[0].text));
        EXPECT_EQ(dw.describe("t_width.background.color"), "255");
        // At 5000, 5000 the text starts in the middle of the client area, below the caption.
        const int x = setup::CMainWindow::TextPosition(5000, screen.screenWidth);
        const int y = setup::CMainWindow::TextPosition(5000, screen.screenHeight);
        EXPECT_EQ(dw.describe("t_text_1.x"), std::to_string(runtime::pixelsToUnitsX(x)));
        EXPECT_EQ(dw.describe("t_text_1.y"),
                  std::to_string(runtime::pixelsToUnitsY(pakomo::preview_layout::caption_height + y)));
        EXPECT_EQ(dw.describe("t_text_1.font.height"),
                  std::to_string(-std::abs(setup::CMainWindow::FontHeight(12, screen.screenWidth))));
        // A screen is larger than the preview's area: reduced, and the title tells by how much.
        const int zoom = std::stoi(dw.describe("datawindow.zoom"));
        EXPECT_LT(zoom, 100);
        EXPECT_EQ(w.title(), "Preview: Background window (" + std::to_string(100 - zoom) + "% zoomed)");
        editing_test::screenshot(dw.widget(), "w_wmain_preview-preview");
    });
}

// Setup's rules and the preview's give the same places and font heights.
TEST(BackgroundRules, PlacesAndFontHeightsAreSetups) {
    for (int width : {640, 851, 1024, 1702, 1920})
        for (int points : {8, 10, 12, 24, 72}) {
            EXPECT_EQ(pakomo::w_wmain_preview::fw_font_height(points, width),
                      setup::CMainWindow::FontHeight(static_cast<uint16_t>(points), width))
                << points << " points at " << width;
        }
    for (long edge : {0L, 1L, 2500L, 5000L, 9999L, 10000L})
        for (int length : {480, 768, 1080})
            EXPECT_EQ(pakomo::w_wmain_preview::fw_position(edge, length),
                      setup::CMainWindow::TextPosition(static_cast<uint32_t>(edge), length))
                << edge << " of " << length;
}

// The previews' base: a layout that fits keeps its size, one too wide, too tall or both is reduced
// by the smaller factor, and the title then tells the reduction.
struct ZoomCase {
    const char* name;
    int width, height;  // the layout's, in layout units (the area is 2423 x 1468)
    int zoom;
};
void PrintTo(const ZoomCase& c, std::ostream* os) { *os << c.name; }

class ZoomFitting : public PagePreviewTest, public ::testing::WithParamInterface<ZoomCase> {};

TEST_P(ZoomFitting, ReducesOnlyWhatIsTooLargeAndSizesTheWindowToIt) {
    const ZoomCase& c = GetParam();
    runtime::DataLayout l;
    l.name = "d_zoom_case";
    l.presentation = "freeform";
    l.texts = {{"t_width", "", "detail", 0, 0, c.width, 10}};
    l.bands = {{"header", 40}, {"detail", c.height - 40}, {"summary", 0}, {"footer", 0}};
    runtime::registerLayout(l);
    application().g_str_pass.string[1] = "d_zoom_case";
    auto w = runtime::create<pakomo::w_datawindow_zoom>();
    w->setTitle("Page");
    bool seen = false;
    runtime::whenWindowOpen("w_datawindow_zoom", [&](runtime::Window& open) {
        seen = true;
        auto& z = dynamic_cast<pakomo::w_datawindow_zoom&>(open);
        EXPECT_EQ(z.dw_1->describe("datawindow.zoom"), std::to_string(c.zoom));
        EXPECT_EQ(z.title(), c.zoom == 100 ? std::string("Page")
                                           : "Page (" + std::to_string(100 - c.zoom) + "% zoomed)");
        const int w_expected =
            c.zoom == 100 ? c.width
                          : static_cast<int>(c.width * std::min(2423.0 / c.width, 1468.0 / c.height));
        EXPECT_EQ(z.width(), w_expected + 128);
        EXPECT_EQ(z.dw_1->rowCount(), 1);
        z.cb_1->trigger("clicked");
    });
    EXPECT_EQ(w->open(), 1);
    EXPECT_TRUE(seen) << w->title();
}

INSTANTIATE_TEST_SUITE_P(Sizes, ZoomFitting,
                         ::testing::Values(ZoomCase{"Smaller", 1200, 700, 100},
                                           ZoomCase{"Exact", 2423, 1468, 100},
                                           ZoomCase{"Wider", 4846, 700, 50},
                                           ZoomCase{"Taller", 1200, 2936, 50},
                                           ZoomCase{"Both", 4846, 5872, 25}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace

namespace {

// A preview's help is the previews' topic of the program's help file, and the pages' tab has its own.
TEST_F(PagePreviewTest, APreviewsHelpIsThePreviewsTopic) {
    preview("w_userinfo_preview", [](pakomo::w_datawindow_zoom& w) { w.trigger("ue_help"); });
    std::vector<runtime::HelpRequest> help = takeHelp();
    ASSERT_EQ(help.size(), 1u);
    EXPECT_EQ(help[0].topic, pakomo::preview_help_topic);
    const char* build = std::getenv("RUX_BUILD_DIR");
    std::optional<runtime::HelpFile> file =
        runtime::readHelpFile(std::filesystem::path(build ? build : ".") / "bin" / "Pakomo 1.hlp");
    ASSERT_TRUE(file);
    for (int topic : {42, int{pakomo::preview_help_topic}}) {
        const runtime::HelpTopic* t = file->find(topic);
        ASSERT_NE(t, nullptr) << topic;
        EXPECT_GT(t->body.size(), 200u) << topic;
    }
}

}  // namespace
