// A component named and configured in the project window: renamed in the tree as the user types
// it (F2), set in its properties form (the destination folder's string variable through the edit
// popup), saved with the product, built, read back from the setup information and installed by
// Setup's engine; and what the form, the tree and the save refuse, each with a message naming the
// field.
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <functional>
#include <string>
#include <vector>

#include "EditingFixture.h"
#include "authoring/windows/w_choose_stringvar.h"
#include "authoring/windows/w_mdi_frame.h"
#include "e2e/E2eSupport.h"
#include "installer/logic/SetupInfo.h"
#include "libraries/build/nv_build.h"
#include "libraries/project/uo_project_files.h"
#include "libraries/project/w_proggrp_properties.h"
#include "runtime/services/System.h"

namespace {

using editing_test::EditingFixture;
using editing_test::Frame;
using pakomo::uo_project_files;
using pakomo::w_proggrp_properties;
using pakomo::w_project;
using runtime::Value;
namespace fs = std::filesystem;

// Product 1: the components Main (with the subcomponent Extra) and Tools, a file in Main and in
// Tools, and the string variable TOOLDIR.
class ComponentPropertiesTest : public EditingFixture {
protected:
    void SetUp() override {
        EditingFixture::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        pakomo::register_windows();
        std::vector<std::string> sql;
        for (const std::string& s : everyTable(1))
            if (s.find("INTO PROGGRP") == std::string::npos) sql.push_back(s);
        sql.push_back(
            "INSERT INTO PROGGRP VALUES (1, 1, 'Main', '^SETUPPATH^', 0, 0, 1, 3, 'The program.', 0)");
        sql.push_back("INSERT INTO PROGGRP VALUES (2, 1, 'Extra', '^SETUPPATH^\\Extra', 1, 0, 1, 1, '', 0)");
        sql.push_back("INSERT INTO PROGGRP VALUES (3, 1, 'Tools', '^SETUPPATH^\\Tools', 0, 0, 1, 1, '', 0)");
        sql.push_back("INSERT INTO FILEGRP VALUES (3, 1, 'Tool files', 3)");
        sql.push_back("INSERT INTO FILE VALUES (2, 1, 3, 'C:\\src\\tool.exe', 0, 0, '', 0)");
        sql.push_back("INSERT INTO STRINGS VALUES (2, 1, 'TOOLDIR', '^SETUPPATH^\\Utilities')");
        executeSql(sql);
        writeMachineFile("C:\\src\\read me.txt", "read me");
        writeMachineFile("C:\\src\\tool.exe", "MZ tool");
        ASSERT_EQ(startService().fnv_retrieve_product_stringtable(1), 1);
        frame = runtime::create<Frame>();
        frame->open();
        core_test::settle();
        project = openProject(*frame, 1);
        ASSERT_TRUE(project.isValid());
        pane =
            runtime::Ref<uo_project_files>(dynamic_cast<uo_project_files*>(project->findControl("uo_files")));
        ASSERT_TRUE(pane.isValid());
        project->tab_panes->selectTab(project->tab_panes->indexOf(*pane));
        core_test::settle();
    }
    void TearDown() override {
        if (project) runtime::destroy(project);
        if (frame) runtime::destroy(frame);
        EditingFixture::TearDown();
    }

    // The tree item of that label (components and their file groups).
    long item(const std::string& label) {
        auto& tv = *pane->tv_project;
        using Nav = runtime::TreeView::Navigation;
        for (long c = tv.findItem(Nav::Root, 0); c > 0; c = tv.findItem(Nav::Next, c))
            for (long h = c; h > 0; h = h == c ? tv.findItem(Nav::Child, c) : tv.findItem(Nav::Next, h)) {
                runtime::TreeViewItem i;
                tv.getItem(h, i);
                if (i.label == label) return h;
            }
        return 0;
    }
    void choose(const std::string& label) {
        const long h = item(label);
        ASSERT_GT(h, 0) << label << " is not in the tree";
        pane->tv_project->selectItem(h);
        core_test::settle();
    }
    // F2 on the item, the text typed over its label, Enter: as the user renames in place.
    void rename(const std::string& label, const QString& typed) {
        choose(label);
        QTreeWidget* tree = pane->tv_project->tree();
        tree->setFocus();
        QTest::keyClick(tree, Qt::Key_F2);
        QLineEdit* editor = nullptr;
        for (QLineEdit* e : tree->findChildren<QLineEdit*>())
            if (e->isVisible()) editor = e;
        ASSERT_NE(editor, nullptr) << "F2 opened no editor";
        editor->selectAll();
        QTest::keyClicks(editor, typed);
        QTest::keyClick(editor, Qt::Key_Return);
        core_test::settle();
    }
    // Opens the properties form of `component` with the Properties button and runs `act` in it.
    void properties(const std::string& component, std::function<void(w_proggrp_properties&)> act) {
        choose(component);
        ASSERT_TRUE(pane->cb_properties->enabled());
        bool opened = false;
        runtime::whenWindowOpen("w_proggrp_properties", [&](runtime::Window& w) {
            opened = true;
            act(dynamic_cast<w_proggrp_properties&>(w));
        });
        pane->cb_properties->click();
        core_test::settle();
        EXPECT_TRUE(opened);
    }
    // Runs `call`, which shows a context menu, and chooses the entry of that text in it or its submenus.
    void chooseInMenu(const std::function<void()>& call, const std::string& entry) {
        bool found = false;
        QTimer::singleShot(0, [&] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!menu) return;
            QAction* chosen = nullptr;
            std::function<void(QMenu*)> look = [&](QMenu* m) {
                for (QAction* a : m->actions()) {
                    if (a->text().toStdString() == entry) chosen = a;
                    if (a->menu()) look(a->menu());
                }
            };
            look(menu);
            menu->close();
            if (chosen) {
                found = true;
                chosen->trigger();
            }
        });
        call();
        core_test::settle();
        EXPECT_TRUE(found) << entry << " was not offered";
    }
    std::string column(const std::string& sql) {
        runtime::SqlRow row;
        EXPECT_EQ(application().sqlca.selectInto(sql, {}, row), 0) << application().sqlca.sqlErrText;
        return row.empty() || !row[0] ? std::string("<null>") : *row[0];
    }
    // Builds product 1 below a folder of the test; the first disc.
    fs::path build() {
        const fs::path bin = fs::path(std::getenv("RUX_BUILD_DIR")) / "bin";
        EXPECT_EQ(settings().fnv_set_string("Redist", "Path", machine.windowsPath(bin)), 1);
        EXPECT_EQ(settings().fnv_set_filedest(machine.windowsPath(out.path())), 1);
        pakomo::register_build_library();
        boxes.answer(1);  // Yes: the stored folder
        auto b = runtime::createByName("nv_build").as<pakomo::nv_build>();
        EXPECT_EQ(b->ii_result, 1);
        runtime::destroy(b);
        return out.path() / service().fnv_get_fullprodname() / "Disc1";
    }

    runtime::Ref<Frame> frame;
    runtime::Ref<w_project> project;
    runtime::Ref<uo_project_files> pane;
    testing_support::TempFolder out{"builds"};
};

TEST_P(ComponentPropertiesTest, EveryFieldIsSavedBuiltReadBackAndInstalled) {
    rename("Tools", "  Utilities ");
    EXPECT_GT(item("Utilities"), 0) << "the tree shows the name without the blanks typed";
    rename("Tool files", "Programs");
    properties("Utilities", [&](w_proggrp_properties& form) {
        EXPECT_EQ(form.sle_name->text(), "Utilities");
        EXPECT_EQ(form.ddlb_reqprogid->itemText(1), "(none)");
        EXPECT_EQ(form.ddlb_reqprogid->totalItems(), 3) << "every other component may be required";
        form.mle_descript->setText("Small tools.");
        // The folder's string variable comes through the edit popup and its picker.
        form.sle_installpth->setText("");
        form.sle_installpth->setFocus();
        form.sle_installpth->trigger("getfocus");
        runtime::whenWindowOpen("w_choose_stringvar", [](runtime::Window& w) {
            auto& picker = dynamic_cast<pakomo::w_choose_stringvar&>(w);
            for (long r = 1; r <= picker.dw_1->rowCount(); ++r)
                if (picker.dw_1->store().getItemString(r, "name") == "TOOLDIR") {
                    picker.dw_1->trigger("doubleclicked", {Value(5), Value(5), Value(r)});
                    return;
                }
            ADD_FAILURE() << "TOOLDIR is not offered";
            picker.cb_2->click();
        });
        // A right click on the field posts the window's ue_rbuttondown, which shows the popup.
        chooseInMenu([&] { form.trigger("ue_rbuttondown", {Value(2), Value(10), Value(10)}); }, "&Stringconstant...");
        EXPECT_EQ(form.sle_installpth->text(), "^TOOLDIR^");
        form.sle_installpth->setText(form.sle_installpth->text() + "\\Bin");
        form.cbx_normal->setChecked(false);
        form.cbx_minimal->setChecked(true);
        form.cbx_custom->setChecked(true);
        EXPECT_GT(form.ddlb_reqprogid->selectItem("Main"), 0);
        form.cbx_visible->setChecked(false);
        form.cbx_pathchange->setChecked(true);
        editing_test::screenshot(form.widget(), "component_properties");
        form.cb_ok->click();
    });
    EXPECT_TRUE(project->fw_is_modified());
    ASSERT_TRUE(project->fw_save());
    application().sqlca.rollback();  // committed: nothing to take back

    struct Field {
        const char* column;
        std::string stored;
        std::function<std::string(const setup::ComponentRecord&)> record;
        std::string recorded;
    };
    const std::vector<Field> fields = {
        {"NAME", "Utilities", [](auto& c) { return c.name; }, "Utilities"},
        {"DESCRIPT", "Small tools.", [](auto& c) { return c.description; }, "Small tools."},
        {"INSTALLPTH", "^TOOLDIR^\\Bin", [](auto& c) { return c.destination; }, "^TOOLDIR^\\Bin"},
        {"SETUPTYPES", "6", [](auto& c) { return std::to_string(c.setupBits); }, "6"},
        {"REQPROGID", "1", [](auto& c) { return std::to_string(c.requiredId); }, "1"},
        {"VISIBLE", "0", [](auto& c) { return std::to_string(c.visible); }, "0"},
        {"PATHCHANGE", "1", [](auto& c) { return std::to_string(c.folderChangeable); }, "1"},
    };
    for (const Field& f : fields) {
        SCOPED_TRACE(f.column);
        std::string stored =
            column(std::string("SELECT ") + f.column + " FROM PROGGRP WHERE PRODID = 1 AND ID = 3");
        if (stored.size() > 2 && stored.ends_with(".0")) stored.resize(stored.size() - 2);
        EXPECT_EQ(stored, f.stored);
    }
    EXPECT_EQ(column("SELECT NAME FROM FILEGRP WHERE PRODID = 1 AND ID = 3"), "Programs");
    EXPECT_FALSE(project->fw_is_modified());

    const fs::path disc1 = build();
    auto parsed = setup::ParseSetupInfo(testing_support::readBytes(disc1 / "SetupInfo.RUX"));
    ASSERT_TRUE(parsed.info.has_value()) << parsed.detail;
    const setup::ComponentRecord* tools = nullptr;
    for (const auto& c : parsed.info->components)
        if (c.id == 3) tools = &c;
    ASSERT_NE(tools, nullptr);
    for (const Field& f : fields) {
        SCOPED_TRACE(f.column);
        EXPECT_EQ(f.record(*tools), f.recorded);
    }

    // Setup's engine: the Minimal type chooses the component, whose file goes to its folder with
    // the string variable expanded; Extra, of Normal only, is left out.
    e2e::SetupRun run;
    ASSERT_TRUE(run.prepare(disc1));
    run.app->chosenSetupType = 2;
    run.app->ApplySetupTypeSelection();
    ASSERT_EQ(run.install(), setup::result::Complete);
    const auto installed = machine.hostPath("C:\\App\\Utilities\\Bin\\tool.exe");
    ASSERT_TRUE(installed && fs::exists(*installed));
    EXPECT_EQ(testing_support::readFile(*installed), "MZ tool");
    EXPECT_TRUE(fs::exists(machine.hostPath("C:\\App\\read me.txt").value()));
}

TEST_P(ComponentPropertiesTest, TheFormRefusesWhatCannotBeSavedNamingTheField) {
    struct Case {
        const char* component;
        const char* name;
        const char* required;  // entry of the list, nullptr: as it is
        std::string message;
    };
    const Case cases[] = {
        {"Tools", "  ", nullptr, "The field \"Name\" is empty: every component needs a name."},
        {"Tools", "A^B", nullptr,
         "The field \"Name\" cannot hold \"^\": ^PATH_A^B^ would not name the component's folder."},
        {"Tools", "main", nullptr,
         "The field \"Name\": another component is called \"Main\" already. Give each component a name of "
         "its own."},
        {"Main", "Main", "Extra",
         "The field \"Required component\": \"Extra\" is a subcomponent of \"Main\", and a component cannot "
         "require its own subcomponents."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        properties(c.component, [&](w_proggrp_properties& form) {
            form.sle_name->setText(c.name);
            if (c.required) {
                EXPECT_GT(form.ddlb_reqprogid->selectItem(c.required), 0);
            }
            boxes.answer(1);
            form.cb_ok->click();
            core_test::settle();
            ASSERT_EQ(boxes.unansweredCount(), 0u);
            EXPECT_EQ(boxes.shown().back().text, c.message);
            EXPECT_TRUE(form.isOpen()) << "a refused form stays open";
            form.cb_cancel->click();
        });
        EXPECT_FALSE(project->fw_is_modified()) << "Cancel changes nothing";
    }
}

TEST_P(ComponentPropertiesTest, TheTreeAndTheSaveRefuseWhatCannotBeSavedNamingTheField) {
    // Typed in the tree: an empty name and another component's keep the label.
    for (const auto& [typed, message] :
         {std::pair{QString(" "), std::string("The field \"Name\" is empty: every component needs a name.")},
          std::pair{QString("EXTRA"), std::string("The field \"Name\": another component is called \"Extra\" "
                                                  "already. Give each component a name of its own.")}}) {
        boxes.answer(1);
        rename("Tools", typed);
        ASSERT_EQ(boxes.unansweredCount(), 0u);
        EXPECT_EQ(boxes.shown().back().text, message);
        EXPECT_GT(item("Tools"), 0);
    }
    EXPECT_FALSE(project->fw_is_modified());

    // Rows that came to be wrong another way are refused by the save, which writes nothing.
    struct Case {
        std::function<void()> make;
        std::string message;
    };
    auto set = [&](long row, const char* col, Value v) { pane->ids_proggrp->setItem(row, col, v); };
    auto rowOf = [&](long id) {
        for (long r = 1; r <= pane->ids_proggrp->rowCount(); ++r)
            if (pane->ids_proggrp->getItem(r, "id").toInt() == id) return r;
        return 0L;
    };
    const Case cases[] = {
        {[&] { set(rowOf(3), "reqprogid", Value(3)); },
         "The component \"Tools\" cannot be saved.\nThe field \"Required component\": a component cannot "
         "require itself."},
        {[&] { set(rowOf(3), "name", Value("EXTRA")); },
         "The component \"Extra\" cannot be saved.\nThe field \"Name\": another component is called "
         "\"EXTRA\" "
         "already. Give each component a name of its own."},
        {[&] { pane->ids_filegrp->setItem(1, "name", Value("")); },
         "A file group cannot be saved.\nThe field \"Name\" is empty: every file group needs a name."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        ASSERT_TRUE(pane->fu_load(1));
        c.make();
        boxes.answer(1);
        EXPECT_FALSE(project->fw_save());
        ASSERT_EQ(boxes.unansweredCount(), 0u);
        EXPECT_EQ(boxes.shown().back().text, c.message);
        EXPECT_EQ(count("PROGGRP WHERE PRODID = 1 AND ID = 3 AND NAME = 'Tools' AND REQPROGID = 0"), 1);
    }
    ASSERT_TRUE(pane->fu_load(1));
}

INSTANTIATE_DATABASE_TEST_SUITE_P(ComponentPropertiesTest);

}  // namespace
