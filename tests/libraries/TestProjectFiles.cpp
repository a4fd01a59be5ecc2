// The project window's components and files: the tree of components and file groups, the files of
// the chosen group, and the context menus' work, saved with the product in one commit.
#include <QFontMetrics>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTreeWidget>
#include <string>
#include <vector>

#include "EditingFixture.h"
#include "authoring/core/layouts/core_layouts.h"
#include "e2e/E2eSupport.h"
#include "libraries/build/nv_build.h"
#include "libraries/project/layouts/project_layouts.h"
#include "libraries/project/uo_project_files.h"
#include "libraries/support/MachineFileDialog.h"
#include "runtime/services/Text.h"

namespace {

namespace fs = std::filesystem;
using editing_test::EditingFixture;
using editing_test::Frame;
using pakomo::uo_project_files;
using pakomo::w_project;
using runtime::Value;

class ProjectFilesTest : public EditingFixture {
protected:
    void SetUp() override {
        EditingFixture::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        std::vector<std::string> sql = everyTable(1);
        sql.push_back("INSERT INTO PROGGRP (ID, PRODID, NAME, INSTALLPTH, PROGGRPID, REQPROGID) VALUES "
                      "(2, 1, 'Extra', '^SETUPPATH^\\Extra', 0, 0)");
        sql.push_back("INSERT INTO FILEGRP VALUES (2, 1, 'Docs', 2)");
        sql.push_back("INSERT INTO FILE VALUES (2, 1, 2, 'C:\\src\\guide.txt', 0, 0, '', 0)");
        sql.push_back("INSERT INTO FILE VALUES (3, 1, 2, 'C:\\src\\faq.txt', 0, 0, '', 0)");
        executeSql(sql);
        ASSERT_EQ(startService().fnv_retrieve_product_stringtable(1), 1);
        frame = runtime::create<Frame>();
        frame->open();
        core_test::settle();
        project = openProject(*frame, 1);
        ASSERT_TRUE(project.isValid());
        for (auto& p : project->i_panes)
            if (auto* files = dynamic_cast<uo_project_files*>(p.get())) pane = runtime::Ref<uo_project_files>(files);
        ASSERT_TRUE(pane.isValid());
        project->i_popup_source = runtime::Ref<pakomo::uo_project_pane>(pane.get());
    }
    void TearDown() override {
        if (project) runtime::destroy(project);
        if (frame) runtime::destroy(frame);
        EditingFixture::TearDown();
    }

    // The tree as "component: group, group" lines.
    std::vector<std::string> tree() {
        std::vector<std::string> out;
        auto& tv = *pane->tv_project;
        using Nav = runtime::TreeView::Navigation;
        for (long c = tv.findItem(Nav::Root, 0); c > 0; c = tv.findItem(Nav::Next, c)) {
            runtime::TreeViewItem item;
            tv.getItem(c, item);
            std::string line = item.label + ":";
            for (long g = tv.findItem(Nav::Child, c); g > 0; g = tv.findItem(Nav::Next, g)) {
                tv.getItem(g, item);
                line += " " + item.label;
            }
            out.push_back(line);
        }
        return out;
    }
    // Chooses the tree item of that label.
    void choose(const std::string& label) {
        auto& tv = *pane->tv_project;
        using Nav = runtime::TreeView::Navigation;
        for (long c = tv.findItem(Nav::Root, 0); c > 0; c = tv.findItem(Nav::Next, c)) {
            for (long h : {c, tv.findItem(Nav::Child, c)})
                for (; h > 0; h = tv.findItem(Nav::Next, h)) {
                    runtime::TreeViewItem item;
                    tv.getItem(h, item);
                    if (item.label == label) {
                        tv.selectItem(h);
                        core_test::settle();
                        return;
                    }
                    if (h == c) break;
                }
        }
        ADD_FAILURE() << label << " is not in the tree";
    }
    std::vector<std::string> files() {
        std::vector<std::string> out;
        for (int i = 1; i <= pane->lv_files->totalItems(); ++i) {
            runtime::ListViewItem item;
            pane->lv_files->getItem(i, item);
            out.push_back(item.label);
        }
        std::sort(out.begin(), out.end());
        return out;
    }
    void menu(const char* event) {
        project->trigger(event);
        core_test::settle();
    }

    runtime::Ref<Frame> frame;
    runtime::Ref<w_project> project;
    runtime::Ref<uo_project_files> pane;
};

TEST_P(ProjectFilesTest, TheTreeShowsComponentsWithTheirGroupsAndAGroupItsFiles) {
    EXPECT_EQ(tree(), (std::vector<std::string>{"Main: Files", "Extra: Docs"}));
    choose("Docs");
    EXPECT_EQ(files(), (std::vector<std::string>{"faq.txt", "guide.txt"}));
    choose("Extra");
    EXPECT_TRUE(files().empty());
    screenshot(frame->mainWidget(), "project_window_files");
    EXPECT_FALSE(project->fw_is_modified());
}

// At the frame's size every heading and every file's size and date is whole, name and folder share
// the rest and nothing scrolls sideways; the name and folder grow with the pane.
TEST_P(ProjectFilesTest, TheFileColumnsFitTheListAndFollowItsWidth) {
    project->tab_panes->selectTab(project->tab_panes->indexOf(*pane));
    core_test::settle();
    choose("Docs");
    QTreeWidget* list = pane->lv_files->tree();
    auto cut = [list] {
        std::vector<std::string> out;
        const QFontMetrics heading(list->header()->font()), cell(list->font());
        int sum = 0;
        for (int c = 0; c < list->columnCount(); ++c) {
            const int room = list->columnWidth(c) - 6;
            sum += list->columnWidth(c);
            const QString head = list->headerItem()->text(c);
            if (heading.horizontalAdvance(head) > room) out.push_back(head.toStdString());
            // The name column's cells also hold a picture: its heading is what must fit there.
            for (int i = 0; c > 0 && i < list->topLevelItemCount(); ++i)
                if (cell.horizontalAdvance(list->topLevelItem(i)->text(c)) > room)
                    out.push_back(list->topLevelItem(i)->text(c).toStdString());
        }
        if (cell.horizontalAdvance("28-12-2026 23:59:59") > list->columnWidth(2) - 6) out.push_back("a date");
        if (sum > list->viewport()->width()) out.push_back("wider than the list");
        if (list->horizontalScrollBar()->maximum() > 0) out.push_back("scrolls sideways");
        return out;
    };
    ASSERT_EQ(list->columnCount(), 4);
    EXPECT_EQ(cut(), std::vector<std::string>{});
    screenshot(project->widget(), "project-files-frame-size");
    const int name = list->columnWidth(0), folder = list->columnWidth(3);
    pane->resize(pane->width() + 2000, pane->height());
    core_test::settle();
    EXPECT_EQ(cut(), std::vector<std::string>{});
    EXPECT_GT(list->columnWidth(0), name + 50);
    EXPECT_GT(list->columnWidth(3), folder + 50);
}

TEST_P(ProjectFilesTest, NewComponentsAndGroupsAndAMovedGroupAreSavedWithTheProduct) {
    menu("ue_add_proggrp");
    choose("Programgroup");
    menu("ue_add_filegrp");
    choose("Files");
    menu("ue_popup_cut");
    choose("Programgroup");
    menu("ue_popup_paste");
    EXPECT_EQ(tree(), (std::vector<std::string>{"Main:", "Extra: Docs", "Programgroup: Filegroup Files"}));
    EXPECT_TRUE(project->fw_is_modified());
    ASSERT_TRUE(project->fw_save());
    EXPECT_FALSE(project->fw_is_modified());
    EXPECT_EQ(count("PROGGRP WHERE PRODID = 1 AND ID = 3 AND NAME = 'Programgroup' AND VISIBLE = 1 AND "
                    "SETUPTYPES = 7 AND INSTALLPTH = '^SETUPPATH^'"),
              1);
    EXPECT_EQ(count("FILEGRP WHERE PRODID = 1 AND PROGGRPID = 3"), 2);
    EXPECT_EQ(count("FILE WHERE PRODID = 1"), 3);  // the moved group keeps its file
}

TEST_P(ProjectFilesTest, DeletingAComponentAsksAndLeavesItsGroupsWithoutAComponent) {
    choose("Main");
    boxes.answer(2);  // No: nothing goes
    menu("ue_popup_delete");
    EXPECT_EQ(tree().size(), 2u);
    boxes.answer(1);
    menu("ue_popup_delete");
    EXPECT_EQ(tree(), (std::vector<std::string>{"Extra: Docs", "Files:"}));
    choose("Docs");
    boxes.answer(1);
    menu("ue_popup_delete");  // a file group goes with its files
    EXPECT_EQ(tree(), (std::vector<std::string>{"Extra:", "Files:"}));
    ASSERT_TRUE(project->fw_save());
    EXPECT_EQ(count("PROGGRP WHERE PRODID = 1"), 1);
    EXPECT_EQ(count("FILEGRP WHERE PRODID = 1 AND ID = 1 AND PROGGRPID = 0"), 1);
    EXPECT_EQ(count("FILEGRP WHERE PRODID = 1"), 1);
    EXPECT_EQ(count("FILE WHERE PRODID = 1"), 1);
    EXPECT_EQ(count("REGKEYS WHERE PRODID = 1 AND PROGGRPID = 0"), 1);
}

TEST_P(ProjectFilesTest, AFileGroupNeedsItsComponentAndANameBeforeAnythingIsSaved) {
    boxes.answer(1);
    menu("ue_add_filegrp");  // nothing chosen
    EXPECT_EQ(count("FILEGRP WHERE PRODID = 1"), 2);
    ASSERT_FALSE(boxes.shown().empty());
    EXPECT_EQ(pane->ids_filegrp->rowCount(), 2);
    choose("Docs");
    menu("ue_add_filegrp");
    ASSERT_EQ(pane->ids_filegrp->rowCount(), 3);
    pane->ids_filegrp->setItem(1, "name", runtime::Value("  "));
    boxes.answer(1);
    EXPECT_FALSE(project->fw_save());
    EXPECT_EQ(boxes.shown().back().text,
              "A file group cannot be saved.\nThe field \"Name\" is empty: every file group needs a name.");
    EXPECT_EQ(count("FILEGRP WHERE PRODID = 1"), 2);
    EXPECT_TRUE(project->fw_is_modified());
}

// The program's open-file dialog, shown without a loop of its own: the test acts in it.
class DrivenFileDialog : public runtime::FileDialogProvider {
public:
    explicit DrivenFileDialog(std::function<void(pakomo::MachineFileDialog&)> act)
        : act_(std::move(act)), previous_(runtime::setFileDialogProvider(this)) {}
    ~DrivenFileDialog() override { runtime::setFileDialogProvider(previous_); }
    runtime::FileOpenAnswer open(const runtime::FileOpenRequest& request) override {
        ++opened;
        const platform::Machine machine = platform::Machine::open().value();
        pakomo::MachineFileDialog dialog(machine, request, nullptr);
        dialog.show();
        core_test::settle();
        act_(dialog);
        return dialog.answer();
    }
    int opened = 0;

private:
    std::function<void(pakomo::MachineFileDialog&)> act_;
    runtime::FileDialogProvider* previous_;
};

// A file typed into the open-file dialog as a path of drive C: is listed by its name and folder,
// saved with the product, built, and installed by Setup.
TEST_P(ProjectFilesTest, AFileAddedThroughTheDialogFromDriveCIsBuiltAndInstalled) {
    writeMachineFile("C:\\Source\\Bash\\NEWS.gz", "news of the source");
    choose("Docs");
    {
        DrivenFileDialog dialog([](pakomo::MachineFileDialog& d) {
            EXPECT_EQ(d.windowTitle().toStdString(), "Select files");
            d.fileName()->setText("C:\\Source\\Bash\\NEWS.gz");
            d.openButton()->click();
        });
        menu("ue_popup_add_file");
        EXPECT_EQ(dialog.opened, 1);
    }
    EXPECT_EQ(files(), (std::vector<std::string>{"NEWS.gz", "faq.txt", "guide.txt"}));
    auto& lv = *pane->lv_files;
    ASSERT_EQ(lv.totalColumns(), 4);
    for (int i = 1; i <= lv.totalItems(); ++i) {
        std::string folder;
        lv.getItem(i, 4, folder);
        EXPECT_TRUE(folder == "C:\\Source\\Bash" || folder == "C:\\src") << folder;
    }
    ASSERT_TRUE(project->fw_save());
    EXPECT_EQ(count("FILE WHERE PRODID = 1 AND FILEGRPID = 2 AND PATH = 'C:\\Source\\Bash\\NEWS.gz'"), 1);

    // Built from the path the dialog answered, and installed by Setup into the component's folder.
    for (const char* other : {"C:\\src\\read me.txt", "C:\\src\\guide.txt", "C:\\src\\faq.txt"})
        writeMachineFile(other, other);
    testing_support::TempFolder out{"builds"};
    const fs::path bin = fs::path(std::getenv("RUX_BUILD_DIR")) / "bin";
    ASSERT_EQ(settings().fnv_set_string("Redist", "Path", machine.windowsPath(bin)), 1);
    ASSERT_EQ(settings().fnv_set_filedest(machine.windowsPath(out.path())), 1);
    pakomo::register_build_library();
    application().gi_prod_id = 1;
    boxes.answer(1);  // Yes: the stored folder
    auto build = runtime::createByName("nv_build").as<pakomo::nv_build>();
    EXPECT_EQ(build->ii_result, 1);
    runtime::destroy(build);
    e2e::SetupRun run;
    ASSERT_TRUE(run.prepare(out.path() / "Product 1 1.00.00 Empty" / "Disc1"));
    ASSERT_EQ(run.install(), setup::result::Complete);
    auto installed = machine.hostPath("C:\\App\\Extra\\NEWS.gz");
    ASSERT_TRUE(installed && fs::exists(*installed));
    EXPECT_EQ(testing_support::readFile(*installed), "news of the source");
}

INSTANTIATE_DATABASE_TEST_SUITE_P(ProjectFilesTest);

// The checks of a component's and a file group's name look their rows up by name and id: each
// answers as comparing every pair of rows did, on names the same in one component or group, across
// components, differing only in letter case or blanks, and none the same.
namespace pairwise {

std::string fold(runtime::DataStore& ds, long r) {
    return runtime::lower(runtime::trim(ds.getItemString(r, "name")));
}
long number(runtime::DataStore& ds, long r, const char* column) {
    const Value v = ds.getItem(r, column);
    return v.isNull() ? 0 : static_cast<long>(v.toInt());
}

std::string component(runtime::DataStore& ds, long row, const std::string& as_name, long required) {
    const std::string name = runtime::trim(as_name);
    if (name.empty() || name.size() > 32 || name.find('^') != std::string::npos)
        return uo_project_files::fu_component_error(ds, row, as_name, required);  // no rows compared
    for (long r = 1; r <= ds.rowCount(); ++r)
        if (r != row && fold(ds, r) == runtime::lower(name))
            return "The field \"Name\": another component is called \"" +
                   runtime::trim(ds.getItemString(r, "name")) +
                   "\" already. Give each component a name of its own.";
    if (required == 0) return "";
    const long own = number(ds, row, "id");
    if (required == own) return "The field \"Required component\": a component cannot require itself.";
    long at = required;
    for (long steps = 0; at != 0 && steps <= ds.rowCount(); ++steps) {
        long found = 0;
        for (long r = 1; r <= ds.rowCount() && found == 0; ++r)
            if (number(ds, r, "id") == at) found = r;
        if (found == 0) break;
        at = number(ds, found, "proggrpid");
        if (at == own)
            return "The field \"Required component\": \"" + runtime::trim(ds.getItemString(found, "name")) +
                   "\" is a subcomponent of \"" + name +
                   "\", and a component cannot require its own subcomponents.";
    }
    return "";
}

std::string group(runtime::DataStore& ds, long row, const std::string& as_name) {
    const std::string name = runtime::trim(as_name);
    if (name.empty() || name.size() > 32) return uo_project_files::fu_filegrp_error(ds, row, as_name);
    for (long r = 1; r <= ds.rowCount(); ++r)
        if (r != row && number(ds, r, "proggrpid") == number(ds, row, "proggrpid") &&
            fold(ds, r) == runtime::lower(name))
            return "The field \"Name\": its component has a file group called \"" +
                   runtime::trim(ds.getItemString(r, "name")) +
                   "\" already. Give each file group of a component a name of its own.";
    return "";
}

}  // namespace pairwise

TEST(ProjectNameChecks, AnswerAsComparingEveryPairDid) {
    struct Row {
        long id;
        std::string name;
        long parent;    // the component's parent, or the file group's component
        long required;  // components only
    };
    const std::vector<std::vector<Row>> tables = {
        {{1, "Main", 0, 0}, {2, "Extra", 1, 0}, {3, "Tools", 0, 2}},                     // none the same
        {{1, "Main", 0, 0}, {2, "main", 0, 0}, {3, "MAIN ", 0, 0}, {4, " Main", 5, 0}},  // case and blanks
        {{1, "Docs", 1, 0}, {2, "Docs", 2, 0}, {3, "docs", 1, 0}, {4, "Help", 2, 0}},    // across and within
        {{1, "A", 2, 3}, {2, "B", 3, 1}, {3, "C", 1, 2}, {4, "D", 0, 9}, {5, "E", 5, 5}},  // chains, loops
        {{7, "Same", 0, 0}, {7, "Other", 0, 7}, {8, "", 0, 0}, {9, "x^y", 0, 0}},          // one id twice
        {},
    };
    const std::vector<std::string> typed = {"", "main", "DOCS", "Other ", "Help", "new"};
    for (size_t t = 0; t < tables.size(); ++t) {
        auto components = runtime::create<runtime::DataStore>(
            std::make_shared<const runtime::DataLayout>(pakomo::d_project_proggrps()));
        auto groups = runtime::create<runtime::DataStore>(
            std::make_shared<const runtime::DataLayout>(pakomo::d_filegrps()));
        for (const Row& r : tables[t]) {
            const long c = components->insertRow(0);
            components->setItem(c, "id", Value(r.id));
            components->setItem(c, "name", Value(r.name));
            components->setItem(c, "proggrpid", Value(r.parent));
            components->setItem(c, "reqprogid", Value(r.required));
            const long g = groups->insertRow(0);
            groups->setItem(g, "id", Value(r.id));
            groups->setItem(g, "name", Value(r.name));
            groups->setItem(g, "proggrpid", r.parent ? Value(r.parent) : Value());
        }
        for (long row = 1; row <= static_cast<long>(tables[t].size()); ++row) {
            SCOPED_TRACE("table " + std::to_string(t) + ", row " + std::to_string(row));
            std::vector<std::string> names = typed;
            names.push_back(components->getItemString(row, "name"));
            for (const std::string& name : names) {
                for (long required : {0L, tables[t][static_cast<size_t>(row - 1)].required, 1L, 2L, 9L})
                    EXPECT_EQ(uo_project_files::fu_component_error(*components, row, name, required),
                              pairwise::component(*components, row, name, required))
                        << name << " requiring " << required;
                EXPECT_EQ(uo_project_files::fu_filegrp_error(*groups, row, name),
                          pairwise::group(*groups, row, name))
                    << name;
            }
        }
        // The answers that tell a name apart are among them.
        if (t == 2) {
            EXPECT_NE(uo_project_files::fu_filegrp_error(*groups, 1, "Docs"), "");
            EXPECT_EQ(uo_project_files::fu_filegrp_error(*groups, 2, "Docs"), "");
        }
        runtime::destroy(components);
        runtime::destroy(groups);
    }
}

}  // namespace
