// The project window: opening takes the product into editing (the chooser closes), closing gives
// it back (sheet count down, chooser asked for again); its form saves through the catalogue,
// renaming drops the old settings; unsaved edits are saved, dropped or kept as the user answers.
#include <string>

#include "EditingFixture.h"
#include "authoring/windows/w_mdi_frame.h"
#include "libraries/project/uo_project_files.h"
#include "runtime/services/System.h"

#include <QMdiArea>

namespace {

using editing_test::EditingFixture;
using editing_test::Frame;
using pakomo::w_project;
using authoring_test::kSettingsRoot;
namespace reg = runtime::registry;

class ProjectWindowTest : public EditingFixture {
protected:
    void SetUp() override {
        EditingFixture::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        std::vector<std::string> sql = everyTable(1);
        sql[0] = productRow(1, "Alpha", "1.00.00", "Empty");
        sql.push_back(productRow(2, "Beta", "2", "Pro"));
        executeSql(sql);
        pakomo::nv_create_setup& s = startService();
        ASSERT_EQ(s.fnv_retrieve_product_stringtable(1), 1);
        ASSERT_EQ(settings().fnv_set_compiled(1), 1);
        frame = runtime::create<Frame>();
        frame->open();
        core_test::settle();
        ASSERT_TRUE(application().g_w_frame.isValid());
    }
    void TearDown() override {
        runtime::destroy(frame);
        EditingFixture::TearDown();
    }

    runtime::Ref<w_project> openProject(int16_t id) { return EditingFixture::openProject(*frame, id); }
    std::string text(const std::string& sql) {
        runtime::SqlRow row;
        EXPECT_EQ(application().sqlca.selectInto(sql, {}, row), 0) << application().sqlca.sqlErrText;
        return row.empty() || !row[0] ? std::string("<null>") : *row[0];
    }

    runtime::Ref<Frame> frame;
    const std::string oldKey = kSettingsRoot + "\\Products\\Alpha 1.00.00 Empty";
};

TEST_P(ProjectWindowTest, OpeningTakesTheProductAndClosingGivesItBack) {
    auto chooser = runtime::create<runtime::Window>("w_choose_product");
    chooser->open();
    auto project = openProject(1);
    EXPECT_FALSE(chooser.isValid());  // the service's ue_start_edit closed it
    EXPECT_EQ(frame->fw_number_of_open_sheets(), 1);
    EXPECT_EQ(project->sle_prodname->text(), "Alpha");
    EXPECT_EQ(project->sle_prodvers->text(), "1.00.00");
    EXPECT_EQ(project->sle_label->text(), "Empty");
    EXPECT_EQ(project->sle_basepath->text(), "C:\\App");
    EXPECT_EQ(project->title(), "Project - Alpha 1.00.00 Empty");
    EXPECT_EQ(service().ids_stringtable->rowCount(), 1);  // the product's string variables are loaded
    expectHelpTopic(*project, w_project::help_topic);
    screenshot(frame->mainWidget(), "project_window");

    project->cb_close->click();
    core_test::settle();
    EXPECT_FALSE(project.isValid());
    EXPECT_EQ(frame->fw_number_of_open_sheets(), 0);
    EXPECT_EQ(application().gi_prod_id, 0);
    EXPECT_EQ(frame->opened, std::vector<std::string>{"choose_product"});
}

TEST_P(ProjectWindowTest, SaveWritesTheRowAndDropsTheOldSettingsOnARename) {
    auto project = openProject(1);
    project->sle_basepath->setText("D:\\Apps\\Alpha");
    project->cb_save->click();
    application().sqlca.rollback();  // committed: nothing to take back
    EXPECT_EQ(text("SELECT BASEPATH FROM PRODUCT WHERE ID = 1"), "D:\\Apps\\Alpha");
    EXPECT_TRUE(reg::getNumber(oldKey, "UpToDate"));  // the full name is the same

    project->sle_prodvers->setText("1.10");
    project->cb_save->click();
    application().sqlca.rollback();
    EXPECT_EQ(text("SELECT PRODVERS FROM PRODUCT WHERE ID = 1"), "1.10");
    EXPECT_FALSE(reg::getNumber(oldKey, "UpToDate"));
    EXPECT_EQ(service().fnv_get_fullprodname(), "Alpha 1.10 Empty");
    EXPECT_EQ(project->title(), "Project - Alpha 1.10 Empty");
    EXPECT_FALSE(project->fw_is_modified());
    EXPECT_EQ(text("SELECT PRODNAME FROM PRODUCT WHERE ID = 2"), "Beta");
    project->close();
}

TEST_P(ProjectWindowTest, SaveRefusesAnEmptyNameAndAnotherProductsFullName) {
    auto project = openProject(1);
    for (const auto& [name, vers, label] : {std::tuple{"", "1", "x"}, std::tuple{"BETA", "2", "pro"}}) {
        SCOPED_TRACE(name);
        project->sle_prodname->setText(name);
        project->sle_prodvers->setText(vers);
        project->sle_label->setText(label);
        boxes.answer(1);
        project->cb_save->click();
        ASSERT_EQ(boxes.unansweredCount(), 0u);
        EXPECT_EQ(boxes.shown().back().icon, runtime::MessageIcon::StopSign);
        EXPECT_EQ(text("SELECT PRODNAME || PRODVERS || LABEL FROM PRODUCT WHERE ID = 1"), "Alpha1.00.00Empty");
        EXPECT_TRUE(reg::getNumber(oldKey, "UpToDate"));
    }
    boxes.answer(2);  // No: drop the edits
    project->close();
}

// A rename that the database refuses keeps the old name's settings, where the discs go among
// them, and is told in one message; saved again once the database takes it, the rename drops them.
TEST_P(ProjectWindowTest, ARefusedRenameKeepsTheSettingsAndIsToldOnce) {
    ASSERT_EQ(settings().fnv_set_filedest("C:\\Builds"), 1);
    if (GetParam() == testing_support::DatabaseSystem::SQLite) {
        executeSql({"CREATE TRIGGER refuse BEFORE UPDATE ON PRODUCT BEGIN SELECT RAISE(ABORT, 'refused'); END"});
    } else {
        executeSql({"CREATE FUNCTION refuse() RETURNS trigger AS $$ BEGIN RAISE EXCEPTION 'refused'; END $$ "
                    "LANGUAGE plpgsql",
                    "CREATE TRIGGER refuse BEFORE UPDATE ON PRODUCT FOR EACH ROW EXECUTE FUNCTION refuse()"});
    }
    auto project = openProject(1);
    project->sle_prodname->setText("Gamma");
    boxes.answer(1);
    project->cb_save->click();
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].icon, runtime::MessageIcon::StopSign);
    EXPECT_NE(boxes.shown()[0].text.find("The product could not be saved"), std::string::npos) << boxes.shown()[0].text;
    EXPECT_NE(boxes.shown()[0].text.find("refused"), std::string::npos) << boxes.shown()[0].text;
    EXPECT_EQ(text("SELECT PRODNAME FROM PRODUCT WHERE ID = 1"), "Alpha");
    EXPECT_EQ(reg::getString(oldKey + "\\BuildParms", "FileDestination"), "C:\\Builds");
    EXPECT_EQ(service().fnv_get_fullprodname(), "Alpha 1.00.00 Empty");
    EXPECT_TRUE(project->fw_is_modified());  // the edit stays for another try

    executeSql({"DROP TRIGGER refuse" + std::string(GetParam() == testing_support::DatabaseSystem::SQLite ? "" : " ON PRODUCT")});
    project->cb_save->click();
    EXPECT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(text("SELECT PRODNAME FROM PRODUCT WHERE ID = 1"), "Gamma");
    EXPECT_FALSE(reg::getString(oldKey + "\\BuildParms", "FileDestination"));
    EXPECT_EQ(service().fnv_get_fullprodname(), "Gamma 1.00.00 Empty");
    project->close();
}

TEST_P(ProjectWindowTest, ClosingWithUnsavedEditsDoesWhatTheUserAnswers) {
    struct Case {
        int answer;  // 1 Yes, 2 No, 3 Cancel
        bool closed;
        const char* stored;
    };
    for (const Case c : {Case{3, false, "Alpha"}, Case{2, true, "Alpha"}, Case{1, true, "Omega"}}) {
        SCOPED_TRACE(c.answer);
        auto project = openProject(1);
        project->sle_prodname->setText("Omega");
        boxes.answer(c.answer);
        project->cb_close->click();
        core_test::settle();
        ASSERT_EQ(boxes.unansweredCount(), 0u);
        EXPECT_EQ(boxes.shown().back().buttons, runtime::MessageButtons::YesNoCancel);
        EXPECT_EQ(!project.isValid(), c.closed);
        EXPECT_EQ(frame->fw_number_of_open_sheets(), c.closed ? 0 : 1);
        application().sqlca.rollback();
        EXPECT_EQ(text("SELECT PRODNAME FROM PRODUCT WHERE ID = 1"), c.stored);
        if (project) {
            project->sle_prodname->setText("Alpha");
            project->close();
            core_test::settle();
        }
        EXPECT_FALSE(project.isValid());
        frame->opened.clear();
    }
}

// Every control shown on `holder` lies inside `area` (nothing clipped, nothing off the window).
void expectInside(QWidget* area, const runtime::VisualObject& holder) {
    for (const runtime::Ref<runtime::Control>& c : holder.controls()) {
        QWidget* w = c ? c->widget() : nullptr;
        if (!w || !w->isVisible()) continue;
        const QRect placed(w->mapTo(area, QPoint(0, 0)), w->size());
        EXPECT_TRUE(area->rect().contains(placed))
            << c->name() << " at " << placed.x() << "," << placed.y() << " " << placed.width() << "x" << placed.height()
            << " outside " << area->width() << "x" << area->height();
        expectInside(area, *c);
    }
}

// At the frame's own size and with the frame enlarged, the window fills the frame's client area,
// Save and Close stand beside the tabs, every pane has a heading and shows all it holds, and the
// panes grow with the frame.
TEST_P(ProjectWindowTest, FitsTheFrameAtItsOwnSizeAndGrowsWithIt) {
    auto project = openProject(1);
    ASSERT_TRUE(project.isValid());
    EXPECT_EQ(project->windowState(), 2);
    QWidget* client = project->clientWidget();
    QWidget* area = frame->mdiArea()->viewport();
    auto checkEveryTab = [&](const std::string& size) {
        EXPECT_GE(client->width(), area->width() - 4);
        EXPECT_GE(client->height(), area->height() - 4);
        for (int t = 1; t <= project->tab_panes->pageCount(); ++t) {
            SCOPED_TRACE(size + " " + project->tab_panes->tabText(t));
            project->tab_panes->selectTab(t);
            core_test::settle();
            expectInside(client, *project);
            expectInside(area, *project);
            screenshot(frame->mainWidget(), "project_window_" + size + "_tab" + std::to_string(t));
        }
    };
    checkEveryTab("frame_size");
    ASSERT_EQ(project->tab_panes->pageCount(), 1 + static_cast<int>(project->i_panes.size()));
    for (const auto& pane : project->i_panes) {
        SCOPED_TRACE(pane->name());
        EXPECT_FALSE(pane->fu_get_heading().empty());
        EXPECT_EQ(pane->fu_get_heading().find('&'), std::string::npos);
        EXPECT_GT(project->tab_panes->indexOf(*pane), 1);
    }
    // Restored, the window still fits the frame's client area at the frame's own size.
    project->setWindowState(0);
    core_test::settle();
    EXPECT_EQ(project->windowState(), 0);
    EXPECT_LE(project->x() + project->width(), runtime::pixelsToUnitsX(area->width()));
    EXPECT_LE(project->y() + project->height(), runtime::pixelsToUnitsY(area->height()));
    project->setWindowState(2);
    core_test::settle();
    auto* files = dynamic_cast<pakomo::uo_project_files*>(project->findControl("uo_files"));
    ASSERT_NE(files, nullptr);
    const int paneWidth = files->width(), paneHeight = files->height();
    const int listWidth = files->lv_files->width(), treeHeight = files->tv_project->height();

    frame->resize(6000, 3600);
    core_test::settle();
    checkEveryTab("enlarged");
    EXPECT_GT(files->width(), paneWidth + 2000);
    EXPECT_GT(files->height(), paneHeight + 1400);
    EXPECT_NEAR(files->lv_files->width() - listWidth, files->width() - paneWidth, 8);
    EXPECT_NEAR(files->tv_project->height() - treeHeight, files->height() - paneHeight, 8);
    EXPECT_GT(project->cb_save->x(), project->tab_panes->x() + project->tab_panes->width());
    project->close();
}

TEST_P(ProjectWindowTest, AProductThatIsGoneIsReportedAndTheChooserComesBack) {
    boxes.answer(1);
    auto project = openProject(9);
    ASSERT_EQ(boxes.unansweredCount(), 0u);
    EXPECT_FALSE(project.isValid());
    EXPECT_EQ(frame->fw_number_of_open_sheets(), 0);
    EXPECT_EQ(frame->opened, std::vector<std::string>{"choose_product"});
}

INSTANTIATE_DATABASE_TEST_SUITE_P(ProjectWindowTest);

// The program's own frame: it opens the project window by name, once, and the window's close
// hands the frame back its count and asks it for the chooser.
class ProjectWindowInFrameTest : public EditingFixture {};

TEST_P(ProjectWindowInFrameTest, TheFrameOpensItOnceAndIsAskedForTheChooserWhenItCloses) {
    executeSql({productRow(1, "Alpha")});
    startService();
    auto frame = runtime::create<pakomo::w_mdi_frame>();
    frame->open();
    core_test::settle();
    application().gi_prod_id = 1;
    for (int i = 0; i < 2; ++i) {
        application().g_str_pass.string[1] = "project";
        frame->trigger("ue_fileopen");
        core_test::settle();
    }
    auto projects = [] {
        int n = 0;
        for (runtime::Window* w : runtime::Window::openWindows()) n += w->className() == "w_project";
        return n;
    };
    EXPECT_EQ(projects(), 1);
    EXPECT_EQ(frame->fw_number_of_open_sheets(), 1);
    ASSERT_TRUE(frame->w_project.isValid());
    EXPECT_EQ(frame->w_project.as<w_project>()->sle_prodname->text(), "Alpha");

    frame->w_project->close();
    core_test::settle();
    EXPECT_EQ(projects(), 0);
    EXPECT_EQ(application().gi_prod_id, 0);
    EXPECT_EQ(application().g_str_pass.string.get(1), "choose_product");
    runtime::destroy(frame);
}

INSTANTIATE_DATABASE_TEST_SUITE_P(ProjectWindowInFrameTest);

}  // namespace
