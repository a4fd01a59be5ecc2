// The project window's pages of Setup: every text and switch typed there is saved with the
// product's one commit, built into the setup information and read back by Setup's reader as
// typed; a product without a page's row gets one; the previews open over what is typed.
#include <functional>
#include <string>

#include "ProjectTabFixture.h"
#include "authoring/windows/w_datawindow_zoom.h"
#include "libraries/preview/preview_library.h"
#include "libraries/project/uo_project_pages.h"
#include "support/runtime/UiDoubles.h"

namespace {

using editing_test::ProjectTabFixture;
using pakomo::uo_project_pages;

class ProjectPagesTest : public ProjectTabFixture<uo_project_pages> {
protected:
    ProjectPagesTest() : ProjectTabFixture("uo_pages", false) {}
    void SetUp() override {
        EditingFixture::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        pakomo::register_preview_library();
        application().gnv_win32api = runtime::createByName("nv_winapi");
        executeSql(everyTable(1));
        writeMachineFile("C:\\src\\read me.txt");
        openFrame();
        open();
    }
    void TearDown() override {
        closeWindows();
        if (application().gnv_win32api) runtime::destroy(application().gnv_win32api);
        EditingFixture::TearDown();
    }
};

// A field, what is typed into it and where Setup's reader finds it.
struct FieldCase {
    const char* field;  // TABLE.COLUMN
    const char* typed;  // a text, or "1"/"0" for a switch, or the readme mode
    std::function<std::string(const setup::SetupInfo&)> read;
};

void enter(runtime::Control& c, const std::string& value) {
    if (auto* box = dynamic_cast<runtime::CheckBox*>(&c))
        box->setChecked(value == "1");
    else if (auto* list = dynamic_cast<runtime::DropDownListBox*>(&c))
        list->selectItem(std::stoi(value) + 1);
    else
        c.setText(value);
}

TEST_P(ProjectPagesTest, EveryFieldIsSavedBuiltAndReadBackAsTyped) {
    auto n = [](uint32_t v) { return std::to_string(v); };
    const FieldCase cases[] = {
        // everyTable(1) holds the opposite of each switch typed here.
        {"WINDOWS.WELCOME", "0", [&](const setup::SetupInfo& i) { return n(i.wizard.welcome); }},
        {"WINDOWS.LICENSE", "0", [&](const setup::SetupInfo& i) { return n(i.wizard.license); }},
        {"WINDOWS.USERINFO", "1", [&](const setup::SetupInfo& i) { return n(i.wizard.userInformation); }},
        {"WINDOWS.FINISHED", "0", [&](const setup::SetupInfo& i) { return n(i.wizard.finished); }},
        {"WINDOWS.PROGGROUP", "0", [&](const setup::SetupInfo& i) { return n(i.wizard.programGroup); }},
        {"WWELCOME.PROTECT", "0", [&](const setup::SetupInfo& i) { return n(i.welcome.protectionWarning); }},
        {"WLICAGR.LICTEXT", "Use ^NAME^ kindly.\nThat is all.",
         [](const setup::SetupInfo& i) { return i.license.text; }},
        {"WUSER.REGKEY", "Maker\\^NAME^", [](const setup::SetupInfo& i) { return i.user.key; }},
        {"WUSER.PAGETEXT", "Who uses ^NAME^?", [](const setup::SetupInfo& i) { return i.user.text; }},
        {"WCREGRP.GROUPNAME", "Tools ^NAME^",
         [](const setup::SetupInfo& i) { return i.programGroup.defaultGroup; }},
        {"WCREGRP.PAGETEXT", "Pick a group.", [](const setup::SetupInfo& i) { return i.programGroup.text; }},
        {"WFINISH.FINALTEXT", "Finished ^NAME^.", [](const setup::SetupInfo& i) { return i.finished.text; }},
        {"WFINISH.RESTART", "0", [&](const setup::SetupInfo& i) { return n(i.finished.restartOffered); }},
        {"WFINISH.CHOICE1", "Now, please", [](const setup::SetupInfo& i) { return i.finished.firstChoice; }},
        {"WFINISH.CHOICE2", "Not now", [](const setup::SetupInfo& i) { return i.finished.secondChoice; }},
        {"README.READMEMODE", "1", [&](const setup::SetupInfo& i) { return n(i.readme.mode); }},
        {"README.CHECKTEXT", "Read it", [](const setup::SetupInfo& i) { return i.readme.checkBoxText; }},
        {"PROGRESS.PROGTEXT", "Copying ^NAME^", [](const setup::SetupInfo& i) { return i.progress.text; }},
        {"PROGRESS.SHOWFILE", "0", [&](const setup::SetupInfo& i) { return n(i.progress.showFileName); }},
        {"WMAIN.TITLE", "^NAME^ setup", [](const setup::SetupInfo& i) { return i.mainWindow.title; }},
    };
    const setup::SetupInfo before = built();
    for (const FieldCase& c : cases) {
        SCOPED_TRACE(c.field);
        runtime::Control* field = pane->fu_field(c.field);
        ASSERT_NE(field, nullptr);
        EXPECT_NE(c.read(before), c.typed) << "the test types what is there already";
        enter(*field, c.typed);
    }
    EXPECT_TRUE(project->fw_is_modified());
    ASSERT_TRUE(project->fw_save());
    EXPECT_FALSE(project->fw_is_modified());
    const setup::SetupInfo after = built();
    for (const FieldCase& c : cases) EXPECT_EQ(c.read(after), c.typed) << c.field;

    // Opened again, the window shows what was saved.
    runtime::destroy(project);
    open();
    for (const FieldCase& c : cases) {
        runtime::Control* field = pane->fu_field(c.field);
        if (auto* box = dynamic_cast<runtime::CheckBox*>(field)) {
            EXPECT_EQ(box->checked(), std::string(c.typed) == "1") << c.field;
        } else if (!dynamic_cast<runtime::DropDownListBox*>(field)) {
            EXPECT_EQ(field->text(), c.typed) << c.field;
        }
    }
}

TEST_P(ProjectPagesTest, APageTableWithoutTheProductsRowGetsOneWhenSaved) {
    runtime::destroy(project);
    executeSql({"DELETE FROM WUSER WHERE PRODID = 1"});
    ASSERT_EQ(application().sqlca.commit(), 0);
    open();
    EXPECT_EQ(pane->fu_field("WUSER.PAGETEXT")->text(), "");
    pane->fu_field("WUSER.PAGETEXT")->setText("New text");
    ASSERT_TRUE(project->fw_save());
    EXPECT_EQ(count("WUSER WHERE PRODID = 1"), 1);
    EXPECT_EQ(built().user.text, "New text");
}

TEST_P(ProjectPagesTest, UnsavedEditsAreGoneAfterARefusedSaveIsRolledBack) {
    pane->fu_field("WLICAGR.LICTEXT")->setText("Changed");
    project->sle_prodname->setText("");  // the save is refused before anything is written
    boxes.answer(1);
    EXPECT_FALSE(project->fw_save());
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(built().license.text, "Licence");
}

// Each page opens its preview over what is typed, the product's name included.
TEST_P(ProjectPagesTest, EachPagesPreviewShowsWhatIsTyped) {
    project->sle_prodname->setText("Typed");
    const struct {
        int page;
        const char* window;
        const char* field;
        const char* object;
    } pages[] = {{0, "w_wwelcome_preview", "", "t_heading"},
                 {1, "w_licagr_preview", "WLICAGR.LICTEXT", "t_lictext"},
                 {2, "w_userinfo_preview", "WUSER.PAGETEXT", "t_pagetext"},
                 {3, "w_cregrp_preview", "WCREGRP.PAGETEXT", "t_pagetext"},
                 {4, "w_finished_preview", "WFINISH.FINALTEXT", "t_finaltext"},
                 {7, "w_wmain_preview", "WMAIN.TITLE", "t_caption"}};
    for (const auto& p : pages) {
        SCOPED_TRACE(p.window);
        if (*p.field) pane->fu_field(p.field)->setText("Shown ^NAME^");
        pane->ddlb_page->selectItem(p.page + 1);
        pane->ddlb_page->trigger("selectionchanged", {p.page + 1});
        EXPECT_TRUE(pane->cb_preview->enabled());
        std::string shown;
        bool seen = false;
        runtime::whenWindowOpen(p.window, [&](runtime::Window& w) {
            seen = true;
            auto& z = dynamic_cast<pakomo::w_datawindow_zoom&>(w);
            shown = z.dw_1->describe(std::string(p.object) + ".text");
            z.cb_1->trigger("clicked");
        });
        pane->cb_preview->trigger("clicked");
        ASSERT_TRUE(seen);
        EXPECT_NE(shown.find(*p.field ? "Shown value" : "Typed"), std::string::npos) << shown;
    }
    // Readme and progress have no preview.
    pane->fu_show_page(5);
    EXPECT_FALSE(pane->cb_preview->enabled());
    pane->fu_show_page(4);
    screenshot(pane->widget(), "project-pages-finished");
}

INSTANTIATE_DATABASE_TEST_SUITE_P(ProjectPagesTest);

}  // namespace
