// The project window's registry entries: added, inserted and deleted through the registry menu,
// refused where a key, value name or data cannot be written, and pasted from the machine's registry
// through the registry browser; a pasted value, saved, built and installed on another machine, is
// the value that was read.
#include <QAbstractScrollArea>
#include <QApplication>
#include <QMenu>
#include <QScrollBar>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest/QTest>
#include <cstdlib>
#include <string>
#include <vector>

#include "EditingFixture.h"
#include "authoring/windows/w_mdi_frame.h"
#include "authoring/windows/w_registry_view.h"
#include "e2e/E2eSupport.h"
#include "libraries/build/nv_build.h"
#include "libraries/project/uo_project_files.h"
#include "libraries/project/uo_project_registry.h"
#include "platform/Registry.h"
#include "runtime/ui/Units.h"
#include "support/runtime/UiDoubles.h"

namespace {

using editing_test::EditingFixture;
using editing_test::Frame;
using pakomo::uo_project_registry;
using pakomo::w_project;
using platform::RegRoot;
using runtime::Value;
namespace rt = platform::regtype;
using Bytes = std::vector<uint8_t>;
namespace fs = std::filesystem;

Bytes bytes(const std::string& s) { return Bytes(s.begin(), s.end()); }

class ProjectRegistryTest : public EditingFixture {
protected:
    void SetUp() override {
        EditingFixture::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        pakomo::register_windows();  // the registry browser and the edit popup
        executeSql(everyTable(1));  // entry 1: HKEY_CURRENT_USER\Software\X "V" = "D" of component Main
        startService();
        frame = runtime::create<Frame>();
        frame->open();
        core_test::settle();
        project = openProject(*frame, 1);
        ASSERT_TRUE(project.isValid());
        pane = runtime::Ref<uo_project_registry>(
            dynamic_cast<uo_project_registry*>(project->findControl("uo_registry")));
        ASSERT_TRUE(pane.isValid());
        project->tab_panes->selectTab(project->tab_panes->indexOf(*pane));  // typed into as the user sees it
        core_test::settle();
        ASSERT_EQ(pane->dw_regkeys->rowCount(), 1);
    }
    void TearDown() override {
        if (project) runtime::destroy(project);
        if (frame) runtime::destroy(frame);
        EditingFixture::TearDown();
    }

    runtime::DataWindow& dw() { return *pane->dw_regkeys; }
    // Right-clicks the component of row `row` and chooses the menu's entry at `position`
    // (0 "&Add", 1 "&Insert", 2 "&Delete").
    void chooseFromMenu(long row, int position) {
        QTimer::singleShot(0, [position] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            ASSERT_NE(menu, nullptr);
            for (int i = 0; i <= position; ++i) QTest::keyClick(menu, Qt::Key_Down);
            QTest::keyClick(menu, Qt::Key_Return);
        });
        dw().trigger("rbuttondown", {0, 0, row});
        core_test::settle();
    }
    // Types `text` into `column` of the current row; what the field answers.
    int type(const std::string& column, const std::string& text) {
        dw().setColumn(column);
        dw().setText(text);
        const int accepted = dw().acceptText();
        core_test::settle();
        return accepted;
    }
    std::string text(const std::string& sql) {
        runtime::SqlRow row;
        EXPECT_EQ(application().sqlca.selectInto(sql, {}, row), 0) << application().sqlca.sqlErrText;
        return row.empty() || !row[0] ? std::string("<null>") : *row[0];
    }
    std::string entries() { return text("SELECT COUNT(*) FROM REGKEYS WHERE PRODID = 1"); }

    runtime::Ref<Frame> frame;
    runtime::Ref<w_project> project;
    runtime::Ref<uo_project_registry> pane;
};

TEST_P(ProjectRegistryTest, EntriesAreAddedInsertedAndDeletedThroughTheMenuAndSavedWithTheProduct) {
    chooseFromMenu(1, 0);  // "&Add": at the end, of the component of the entry it was shown on
    ASSERT_EQ(dw().rowCount(), 2);
    EXPECT_EQ(dw().getRow(), 2);
    EXPECT_EQ(dw().getColumnName(), "stringvar_regkey");
    EXPECT_EQ(dw().store().getItem(2, "id").toInt(), 2);
    EXPECT_EQ(dw().store().getItem(2, "proggrpid").toInt(), 1);
    EXPECT_EQ(type("stringvar_regkey", "\\Software\\^NAME^\\"), 1);
    EXPECT_EQ(type("stringvar_valuename", "Count"), 1);
    dw().store().setItem(2, "rootkey", Value(3));
    dw().store().setItem(2, "valuetype", Value(4));
    EXPECT_EQ(type("stringvar_regdata", "0x0000002A"), 1);

    chooseFromMenu(1, 1);  // "&Insert": before the entry it was shown on
    ASSERT_EQ(dw().rowCount(), 3);
    EXPECT_EQ(dw().getRow(), 1);
    EXPECT_EQ(dw().store().getItem(1, "id").toInt(), 3);
    EXPECT_EQ(type("stringvar_regkey", "Software\\Y"), 1);
    EXPECT_EQ(type("stringvar_regdata", "^PRODUCTNAME^"), 1);

    chooseFromMenu(2, 2);  // "&Delete" the entry that was read
    ASSERT_EQ(dw().rowCount(), 2);
    EXPECT_EQ(entries(), "1");  // nothing is written before the save
    project->cb_save->click();
    application().sqlca.rollback();  // committed: nothing to take back
    EXPECT_EQ(
        text("SELECT ID || ' ' || PROGGRPID || ' ' || ROOTKEY || ' ' || REGKEY || ' ' || VALUENAME || ' ' || "
             "VALUETYPE || ' ' || REGDATA FROM REGKEYS WHERE PRODID = 1 AND ID = 2"),
        "2 1 3 Software\\^NAME^ Count 4 0x0000002A");
    EXPECT_EQ(text("SELECT REGKEY || '=' || REGDATA || ' ' || ROOTKEY || ' ' || VALUETYPE FROM REGKEYS WHERE "
                   "PRODID = 1 "
                   "AND ID = 3"),
              "Software\\Y=^PRODUCTNAME^ 2 1");
    EXPECT_EQ(entries(), "2");
    EXPECT_FALSE(project->fw_is_modified());
}

TEST_P(ProjectRegistryTest, KeysNamesAndDataTheRegistryCannotHoldAreRefusedWhereTyped) {
    struct Case {
        const char* column;
        std::string typed;
        int type;
        std::string message;
    };
    const std::string entry = "Registry entry 1 (HKEY_CURRENT_USER\\Software\\X, value \"V\"): ";
    const std::vector<Case> cases = {
        {"stringvar_regkey", "Software\\\\X", 1,
         entry + "the key holds an empty key name (two backslashes in a row)."},
        {"stringvar_regkey", "\\", 1,
         entry + "the key is empty: a value cannot be written to a root key itself."},
        {"stringvar_valuename", "two\nlines", 1, entry + "the value name holds a line break."},
        {"stringvar_regdata", "42", 4,
         entry + "a double word is written as 0x and eight hexadecimal digits, such as 0x0000002a."},
        {"stringvar_regdata", "0a,1", 3,
         entry + "its data is written as hexadecimal pairs separated by commas, such as 0a,1b,ff."},
        {"stringvar_regdata", "0a;1b", 7,
         entry + "its data is written as hexadecimal pairs separated by commas, such as 0a,1b,ff."},
        {"stringvar_regkey", "Software\\Valid key", 1, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.column + (": " + c.typed));
        dw().setRow(1);
        dw().store().setItem(1, "valuetype", Value(c.type));
        const std::string before = dw().store().getItemString(1, c.column);
        if (c.message.empty()) {
            const size_t shown = boxes.shown().size();
            EXPECT_EQ(type(c.column, c.typed), 1);
            EXPECT_EQ(boxes.shown().size(), shown);
            continue;
        }
        boxes.answer(1);
        EXPECT_EQ(type(c.column, c.typed), -1);
        ASSERT_EQ(boxes.unansweredCount(), 0u);
        EXPECT_EQ(boxes.shown().back().text, c.message);
        EXPECT_EQ(dw().store().getItemString(1, c.column), before);
        dw().setText(before);  // the user puts it right
        ASSERT_EQ(dw().acceptText(), 1);
    }
}

// Entries that arrive unchecked (pasted into the grid, written by another program) are checked
// before anything is saved; the cursor shows the entry to fix.
TEST_P(ProjectRegistryTest, EntriesThatCannotBeWrittenAreRefusedBeforeTheSaveAndNothingIsSaved) {
    struct Case {
        const char* column;
        Value value;
        std::string message;
    };
    for (const Case& c :
         {Case{"stringvar_regkey", Value("A\\\\B"),
               "Registry entry 2 (HKEY_CURRENT_USER\\A\\\\B, value \"W\"): the key holds an empty key "
               "name (two backslashes in a row)."},
          Case{"stringvar_regkey", Value(" \\ "),
               "Registry entry 2 (HKEY_CURRENT_USER, value \"W\"): the key is empty: a value cannot be "
               "written to a root key itself."},
          Case{"rootkey", Value(), "Registry entry 2 (Software\\Z, value \"W\"): choose its root."},
          Case{"valuetype", Value(),
               "Registry entry 2 (HKEY_CURRENT_USER\\Software\\Z, value \"W\"): "
               "choose its type."}}) {
        SCOPED_TRACE(c.message);
        chooseFromMenu(1, 0);
        ASSERT_EQ(dw().rowCount(), 2);
        dw().store().setItem(2, "stringvar_regkey", Value("Software\\Z"));
        dw().store().setItem(2, "stringvar_valuename", Value("W"));
        dw().store().setItem(2, c.column, c.value);
        dw().setRow(1);
        boxes.answer(1);
        project->cb_save->click();
        ASSERT_EQ(boxes.unansweredCount(), 0u);
        EXPECT_EQ(boxes.shown().back().text, c.message);
        EXPECT_EQ(dw().getRow(), 2);
        application().sqlca.rollback();
        EXPECT_EQ(entries(), "1");
        EXPECT_TRUE(project->fw_is_modified());
        dw().store().deleteRow(2);
    }
}

// A right-click on a text of an entry offers string variables through the edit popup; elsewhere the
// registry menu.
TEST_P(ProjectRegistryTest, ARightClickOnATextOffersTheEditPopupAndElsewhereTheRegistryMenu) {
    struct Case {
        const char* column;
        const char* firstEntry;
    };
    for (const Case c : {Case{"stringvar_regkey", "Cu&t"}, Case{"stringvar_regdata", "Cu&t"},
                         Case{"proggrpid", "&Add"}, Case{"rootkey", "&Add"}}) {
        SCOPED_TRACE(c.column);
        // A grid places its columns side by side by their widths, which follow the list's width.
        int left = 0;
        for (const runtime::ColumnLayout& other : dw().store().layout().columns) {
            if (other.name == c.column) break;
            auto visible = other.attributes.find("visible");
            if (visible == other.attributes.end() || visible->second != "0")
                left += std::stoi(other.attributes.at("width"));
        }
        dw().scrollToRow(1);
        QWidget* viewport = static_cast<QAbstractScrollArea*>(dw().widget())->viewport();
        auto* bar = static_cast<QAbstractScrollArea*>(dw().widget())->horizontalScrollBar();
        const int x = runtime::units::toPixelsX(left + 40);
        bar->setValue(std::max(0, x - 50));
        const QPoint at(x - bar->value(), runtime::units::toPixelsY(dw().headerHeight() + 40));
        ASSERT_EQ(dw().objectAt(at.x(), at.y()).name, c.column);
        std::string shown;
        QTimer::singleShot(0, [&shown] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            ASSERT_NE(menu, nullptr);
            shown = menu->actions().front()->text().toStdString();
            menu->close();
        });
        QTest::mouseClick(viewport, Qt::RightButton, {}, at);
        core_test::settle();
        EXPECT_EQ(shown, c.firstEntry);
        EXPECT_EQ(dw().rowCount(), 1);
    }
}

// An entry whose component is deleted in the component tree belongs to no component.
TEST_P(ProjectRegistryTest, TheComponentColumnOffersTheWindowsComponentsAsTheyAreNow) {
    runtime::DataStore* list = dw().getChild("proggrpid");
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->rowCount(), 2);
    EXPECT_EQ(list->getItemString(1, "name"), "(none)");
    EXPECT_EQ(list->getItemString(2, "name"), "Main");
    auto* files = dynamic_cast<pakomo::uo_project_files*>(project->findControl("uo_files"));
    ASSERT_NE(files, nullptr);
    // A second component, and entries of it, of none and of one that is gone.
    const long second = files->ids_proggrp->insertRow(0);
    files->ids_proggrp->setItem(second, "id", Value(2));
    files->ids_proggrp->setItem(second, "name", Value("Second"));
    runtime::DataStore& entries = dw().store();
    for (int component : {2, 0, 7}) entries.setItem(entries.insertRow(0), "proggrpid", Value(component));
    pane->fu_refresh_components();
    EXPECT_EQ(list->rowCount(), 3);
    auto components = [&] {
        std::vector<long> out;
        for (long r = 1; r <= entries.rowCount(); ++r) out.push_back(entries.getItem(r, "proggrpid").toInt());
        return out;
    };
    EXPECT_EQ(components(), (std::vector<long>{1, 2, 0, 0}));
    files->ids_proggrp->deleteRow(1);
    pane->fu_refresh_components();
    EXPECT_EQ(list->rowCount(), 2);
    EXPECT_EQ(components(), (std::vector<long>{0, 2, 0, 0}));
}

// The component pane clears the component of the entries of a component it deletes: it must know
// the entries as they are saved, also those the registry tab added.
TEST_P(ProjectRegistryTest, TheComponentPaneKnowsTheEntriesAsSaved) {
    auto* files = dynamic_cast<pakomo::uo_project_files*>(project->findControl("uo_files"));
    ASSERT_NE(files, nullptr);
    ASSERT_EQ(files->ids_regkeys->rowCount(), 1);
    ASSERT_TRUE(project->fw_save());  // nothing changed: the pane's copy stays as it is
    EXPECT_EQ(files->ids_regkeys->rowCount(), 1);
    runtime::DataStore& entries = dw().store();
    const long row = pane->fu_insert_entry(*pane->dw_regkeys, 1, 0, 1);
    entries.setItem(row, "rootkey", Value(2));
    entries.setItem(row, "stringvar_regkey", Value("Software\\Y"));
    entries.setItem(row, "valuetype", Value(1));
    entries.setItem(row, "stringvar_regdata", Value("data"));
    ASSERT_TRUE(project->fw_save());
    EXPECT_EQ(files->ids_regkeys->rowCount(), 2);
}

struct SourceValue {
    const char* name;
    uint32_t type;
    Bytes data;
};

// Every type the browser lists, as Windows keeps them.
std::vector<SourceValue> sourceValues() {
    return {
        {"a none", rt::None, {0x01, 0x02}},
        {"b text", rt::Sz, bytes(std::string("Hello, world %PATH%", 20))},
        {"c expand", rt::ExpandSz, bytes(std::string("%SystemRoot%\\system32", 22))},
        {"d binary", rt::Binary, {0x00, 0xff, 0x10, 0xab}},
        {"e empty binary", rt::Binary, {}},
        {"f dword", rt::Dword, {0x2a, 0x00, 0x01, 0x80}},
        {"g big endian", rt::DwordBigEndian, {0x12, 0x34, 0x56, 0x78}},
        {"h link", rt::Link, bytes(std::string("\\\0R\0e\0g\0", 8))},
        {"i multi", rt::MultiSz, bytes(std::string("one\0two\0\0", 9))},
        {"j resource list", rt::ResourceList, {0x01, 0x00, 0x00, 0x00, 0x05}},
        {"k full resource", rt::FullResourceDescriptor, {0x09, 0x08}},
        {"l requirements", rt::ResourceRequirementsList, {0x20, 0x00, 0x00, 0x00}},
        {"", rt::Sz, bytes(std::string("the default value", 18))},
    };
}

// A value read from the machine's registry by the browser, pasted, saved, built and installed on
// another machine by Setup is the value that was read, for every type the browser shows.
TEST_P(ProjectRegistryTest, PastedValuesAreInstalledAsTheyWereRead) {
    const std::string key = "Software\\Round Trip";
    {
        platform::Registry registry(machine);
        ASSERT_TRUE(registry.createKey(RegRoot::CurrentUser, key).ok());
        for (const SourceValue& v : sourceValues())
            ASSERT_TRUE(registry.setValue(RegRoot::CurrentUser, key, v.name, v.type, v.data).ok()) << v.name;
    }
    const size_t count = sourceValues().size();
    bool browsed = false;
    runtime::whenWindowOpen("w_registry_view", [&](runtime::Window& w) {
        auto& view = dynamic_cast<pakomo::w_registry_view&>(w);
        browsed = true;
        runtime::TreeView& tree = *view.uo_1->tv_1;
        long item = 0;
        for (const char* label : {"HKEY_CURRENT_USER", "Software", "Round Trip"}) {
            runtime::TreeViewItem it;
            long h = tree.findItem(runtime::TreeView::Navigation::Child, item);
            while (h >= 1 && tree.getItem(h, it) == 1 && it.label != label)
                h = tree.findItem(runtime::TreeView::Navigation::Next, h);
            ASSERT_GE(h, 1) << label;
            tree.expandItem(h);
            item = h;
        }
        tree.selectItem(item);
        core_test::settle();
        ASSERT_EQ(view.uo_1->lv_1->totalItems(), static_cast<int>(count));
        for (int i = 0; i < static_cast<int>(count); ++i)
            view.uo_1->lv_1->tree()->topLevelItem(i)->setSelected(true);
        core_test::settle();
        screenshot(w.widget(), "project-registry-browser");
        view.cb_1->click();
    });
    pane->cb_registry->click();
    core_test::settle();
    ASSERT_TRUE(browsed);
    ASSERT_EQ(dw().rowCount(), static_cast<long>(count) + 1);
    screenshot(project->widget(), "project-registry-pasted");
    for (long r = 2; r <= dw().rowCount(); ++r) {
        EXPECT_EQ(dw().store().getItem(r, "rootkey").toInt(), 2);
        EXPECT_EQ(dw().store().getItemString(r, "stringvar_regkey"), key);
        EXPECT_EQ(dw().store().getItem(r, "proggrpid").toInt(), 1);
    }
    project->cb_save->click();
    ASSERT_FALSE(project->fw_is_modified());

    // Built from the database...
    writeMachineFile("C:\\src\\read me.txt", "read me");
    const fs::path bin = fs::path(std::getenv("RUX_BUILD_DIR")) / "bin";
    ASSERT_EQ(settings().fnv_set_string("Redist", "Path", machine.windowsPath(bin)), 1);
    ASSERT_EQ(settings().fnv_set_filedest("C:\\Builds"), 1);
    pakomo::register_build_library();
    application().gi_prod_id = 1;
    boxes.answer(1);  // Yes: the stored folder
    auto build = runtime::createByName("nv_build").as<pakomo::nv_build>();
    const int16_t built = build->ii_result;
    runtime::destroy(build);
    ASSERT_EQ(built, 1);
    const fs::path disc1 = machine.hostPath("C:\\Builds\\Product 1 1.00.00 Empty\\Disc1").value();

    // ...and installed by Setup on a machine that never had the values.
    testing_support::TempFolder other{"other-machine"};
    const std::string own = std::getenv("RUX_MACHINE");
    ::setenv("RUX_MACHINE", other.path().c_str(), 1);
    {
        e2e::SetupRun run;
        ASSERT_TRUE(run.prepare(disc1));
        ASSERT_EQ(run.install(), setup::result::Complete);
        platform::Registry installed(run.machine);
        for (const SourceValue& v : sourceValues()) {
            SCOPED_TRACE(v.name);
            auto value = installed.queryValue(RegRoot::CurrentUser, key, v.name);
            ASSERT_TRUE(value.ok());
            EXPECT_EQ(value->type, v.type);
            EXPECT_EQ(value->data, v.data);
        }
    }
    ::setenv("RUX_MACHINE", own.c_str(), 1);
}

// A double word that is not four bytes long has no form Setup could write back: it is refused by
// name instead of being installed as another number.
TEST_P(ProjectRegistryTest, AValueThatCannotBeWrittenBackIsNotPastedAndOneWithACaretIsPastedWithANotice) {
    boxes.answer(1);
    EXPECT_FALSE(
        pane->fu_paste_from_regview(3, "Software\\Odd", "quad", "01,00,00,00,00,00,00,00", rt::Dword));
    ASSERT_EQ(boxes.unansweredCount(), 0u);
    EXPECT_EQ(boxes.shown().back().text,
              "The value \"quad\" of HKEY_LOCAL_MACHINE\\Software\\Odd cannot be pasted: a double word is "
              "written as "
              "0x and eight hexadecimal digits, such as 0x0000002a.");
    boxes.answer(1);
    EXPECT_FALSE(pane->fu_paste_from_regview(3, "", "v", "x", rt::Sz));
    EXPECT_EQ(boxes.shown().back().text,
              "The value \"v\" of HKEY_LOCAL_MACHINE cannot be pasted: its key is empty: a value cannot be "
              "written to "
              "a root key itself.");
    EXPECT_EQ(dw().rowCount(), 1);

    // A caret would be read as a string variable: pasted, with a word of warning.
    boxes.answer(1);
    EXPECT_TRUE(pane->fu_paste_from_regview(2, "Software\\Odd", "caret", "a^b", rt::Sz));
    ASSERT_EQ(boxes.unansweredCount(), 0u);
    EXPECT_EQ(boxes.shown().back().text,
              "The value \"caret\" of HKEY_CURRENT_USER\\Software\\Odd holds \"^\": Setup reads the text "
              "between two "
              "\"^\" as a string variable and drops a \"^\" on its own. Check the entry before you build the "
              "product.");
    EXPECT_EQ(dw().rowCount(), 2);
    const size_t shown = boxes.shown().size();
    EXPECT_TRUE(pane->fu_paste_from_regview(2, "Software\\Odd", "binary", "5e,5e", rt::Binary));
    EXPECT_EQ(boxes.shown().size(), shown);
}

INSTANTIATE_DATABASE_TEST_SUITE_P(ProjectRegistryTest);

}  // namespace

namespace {

int visibleColumnsWidth(const runtime::DataWindow& dw) {
    int sum = 0;
    for (const runtime::ColumnLayout& c : const_cast<runtime::DataWindow&>(dw).store().layout().columns) {
        auto visible = c.attributes.find("visible");
        if (visible == c.attributes.end() || visible->second != "0") sum += std::stoi(c.attributes.at("width"));
    }
    return sum;
}

}  // namespace

// The columns fit the list at the frame's size, with nothing to scroll sideways, and follow the
// pane when it grows.
TEST_P(ProjectRegistryTest, TheColumnsFitTheListAndFollowItsWidth) {
    auto* area = static_cast<QAbstractScrollArea*>(dw().widget());
    core_test::settle();
    const int before = visibleColumnsWidth(dw());
    EXPECT_LE(runtime::units::toPixelsX(before), area->viewport()->width());
    EXPECT_EQ(area->horizontalScrollBar()->maximum(), 0);
    // Every heading and root name is whole at the frame's size.
    EXPECT_EQ(editing_test::clippedGridTexts(dw(), {{"rootkey", {"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER",
                                                                 "HKEY_LOCAL_MACHINE", "HKEY_USERS"}}}),
              std::vector<std::string>{});
    editing_test::screenshot(project->widget(), "project-registry-frame-size");
    pane->resize(pane->width() + 2000, pane->height());
    core_test::settle();
    const int after = visibleColumnsWidth(dw());
    EXPECT_GT(after, before + 1500);
    EXPECT_LE(runtime::units::toPixelsX(after), area->viewport()->width());
    EXPECT_EQ(area->horizontalScrollBar()->maximum(), 0);
}

// Tab walks the row's cells in their order, the type's drop-down included.
TEST_P(ProjectRegistryTest, TabMovesFromTheTypeToTheData) {
    chooseFromMenu(1, 0);
    dw().setColumn("stringvar_valuename");
    core_test::settle();
    QWidget* field = dw().editField();
    ASSERT_NE(field, nullptr);
    field->setFocus();
    core_test::settle();
    // The key goes to the cell's field, as the focus would take it there.
    auto tab = [this](Qt::Key key) {
        QWidget* focus = dw().editField();
        ASSERT_NE(focus, nullptr);
        ASSERT_TRUE(focus->isVisible());
        QTest::keyClick(focus, key);
        core_test::settle();
    };
    tab(Qt::Key_Tab);
    ASSERT_EQ(dw().getColumnName(), "valuetype");
    tab(Qt::Key_Tab);
    EXPECT_EQ(dw().getColumnName(), "stringvar_regdata");
    tab(Qt::Key_Backtab);
    EXPECT_EQ(dw().getColumnName(), "valuetype");
    tab(Qt::Key_Backtab);
    EXPECT_EQ(dw().getColumnName(), "stringvar_valuename");
}
