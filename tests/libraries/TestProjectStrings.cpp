// The project window's string variables: added through the context menu, typed, saved with the
// product and read back; names that are empty, reserved or used twice are refused before anything
// is written; a deleted variable is gone after the save; expansions use the saved values.
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QTimer>
#include <QtTest/QTest>

#include <string>

#include "ProjectTabFixture.h"
#include "libraries/project/uo_project_strings.h"

namespace {

using editing_test::ProjectTabFixture;
using pakomo::uo_project_strings;
using runtime::Value;

class ProjectStringsTest : public ProjectTabFixture<uo_project_strings> {
protected:
    ProjectStringsTest() : ProjectTabFixture("uo_strings", true) {}
    void SetUp() override {
        EditingFixture::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        executeSql(everyTable(1));  // one variable: NAME = "value"
        openFrame();
        open();
        if (HasFatalFailure()) return;
        ASSERT_EQ(pane->dw_strings->rowCount(), 1);
    }

    // Right-clicks row `row` of the grid and chooses the menu's entry at `position` (0: "&Add").
    void chooseFromMenu(long row, int position) {
        QTimer::singleShot(0, [position] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            ASSERT_NE(menu, nullptr);
            for (int i = 0; i <= position; ++i) QTest::keyClick(menu, Qt::Key_Down);
            QTest::keyClick(menu, Qt::Key_Return);
        });
        pane->dw_strings->trigger("rbuttondown", {0, 0, row});
        core_test::settle();
    }
    // Types `text` into column `column` of the current row as the user would.
    void type(const std::string& column, const std::string& text) {
        auto& dw = *pane->dw_strings;
        dw.setColumn(column);
        dw.setText(text);
        ASSERT_EQ(dw.acceptText(), 1);
        core_test::settle();
    }
    long stored(const std::string& where = "") {
        return count("STRINGS WHERE PRODID = 1" + where);
    }
    std::string text(const std::string& sql) {
        runtime::SqlRow row;
        EXPECT_EQ(application().sqlca.selectInto(sql, {}, row), 0) << application().sqlca.sqlErrText;
        return row.empty() || !row[0] ? std::string("<null>") : *row[0];
    }
};

TEST_P(ProjectStringsTest, AVariableAddedThroughTheMenuIsSavedAndExpandsWithItsNewValue) {
    chooseFromMenu(1, 0);
    auto& dw = *pane->dw_strings;
    ASSERT_EQ(dw.rowCount(), 2);
    EXPECT_EQ(dw.getRow(), 2);
    EXPECT_EQ(dw.getColumnName(), "name");  // the cursor waits in the new row's name
    EXPECT_EQ(dw.store().getItem(2, "id").toInt(), 2);
    EXPECT_TRUE(project->fw_is_modified());
    type("name", " greeting ");
    type("stringvar_value", "Hello ^NAME^");
    dw.setRow(1);
    type("stringvar_value", "world");

    project->cb_save->click();
    application().sqlca.rollback();  // committed: nothing to take back
    EXPECT_EQ(text("SELECT NAME || '=' || VALUE FROM STRINGS WHERE PRODID = 1 AND ID = 2"), "GREETING=Hello ^NAME^");
    EXPECT_EQ(text("SELECT VALUE FROM STRINGS WHERE PRODID = 1 AND ID = 1"), "world");
    EXPECT_FALSE(project->fw_is_modified());
    EXPECT_EQ(service().fnv_evaluate_string(std::string("^GREETING^!")), "Hello world!");

    // Saved rows are updated, not inserted again, on the next save.
    dw.setRow(2);
    type("stringvar_value", "Bye");
    project->cb_save->click();
    application().sqlca.rollback();
    EXPECT_EQ(stored(), 2);
    EXPECT_EQ(service().fnv_evaluate_string(std::string("^GREETING^")), "Bye");
}

TEST_P(ProjectStringsTest, TabMovesFromTheTypedNameToTheValueOfTheSameRow) {
    chooseFromMenu(1, 0);
    auto& dw = *pane->dw_strings;
    ASSERT_EQ(dw.getColumnName(), "name");
    auto* field = qobject_cast<QLineEdit*>(dw.editField());
    ASSERT_NE(field, nullptr);
    field->setFocus();
    QTest::keyClicks(field, "greeting");  // corrected to capitals as it is taken
    QTest::keyClick(field, Qt::Key_Tab);
    core_test::settle();
    EXPECT_EQ(dw.getRow(), 2);
    EXPECT_EQ(dw.getColumnName(), "stringvar_value");
    field = qobject_cast<QLineEdit*>(dw.editField());
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(field->text().toStdString(), "");  // the value's own text, not the name's
    QTest::keyClicks(field, "Hello");
    QTest::keyClick(field, Qt::Key_Backtab);
    core_test::settle();
    EXPECT_EQ(dw.getColumnName(), "name");
    EXPECT_EQ(dw.store().getItem(2, "name").toText(), "GREETING");
    EXPECT_EQ(dw.store().getItem(2, "stringvar_value").toText(), "Hello");
    EXPECT_EQ(qobject_cast<QLineEdit*>(dw.editField())->text().toStdString(), "GREETING");
}

TEST_P(ProjectStringsTest, ATypedNameThatClashesIsRenamedByTheServicesRule) {
    chooseFromMenu(1, 0);
    type("name", "name");
    EXPECT_EQ(pane->dw_strings->store().getItem(2, "name").toText(), "_NAME");
    type("name", "PRODUCTNAME");
    EXPECT_EQ(pane->dw_strings->store().getItem(2, "name").toText(), "_PRODUCTNAME");
}

TEST_P(ProjectStringsTest, EmptyReservedOrRepeatedNamesAreRefusedAndNothingIsSaved) {
    struct Case {
        const char* name;
        const char* message;
    };
    for (const Case c : {Case{"  ", "Type a name for every string variable."},
                         Case{"productname", "\"productname\" is a reserved name. Choose another name for the string variable."},
                         Case{"Name", "There is a string variable called \"Name\" already. Choose another name."}}) {
        SCOPED_TRACE(c.name);
        chooseFromMenu(1, 0);
        auto& dw = *pane->dw_strings;
        dw.store().setItem(2, "name", Value(c.name));  // as a paste would leave it, unchecked
        dw.setRow(1);
        type("stringvar_value", "changed");
        boxes.answer(1);
        project->cb_save->click();
        ASSERT_EQ(boxes.unansweredCount(), 0u);
        EXPECT_EQ(boxes.shown().back().text, c.message);
        EXPECT_EQ(dw.getRow(), 2);  // the cursor shows the name to fix
        application().sqlca.rollback();
        EXPECT_EQ(stored(), 1);
        EXPECT_EQ(text("SELECT VALUE FROM STRINGS WHERE PRODID = 1"), "value");
        EXPECT_TRUE(project->fw_is_modified());
        dw.store().deleteRow(2);
    }
    EXPECT_EQ(pane->dw_strings->store().deletedCount(), 0);
}

TEST_P(ProjectStringsTest, ADeletedVariableIsGoneAfterTheSave) {
    chooseFromMenu(1, 1);  // "&Delete"
    EXPECT_EQ(pane->dw_strings->rowCount(), 0);
    EXPECT_TRUE(project->fw_is_modified());
    EXPECT_EQ(stored(), 1);  // nothing is written before the save
    project->cb_save->click();
    application().sqlca.rollback();
    EXPECT_EQ(stored(), 0);
    EXPECT_EQ(service().ids_stringtable->rowCount(), 0);
    EXPECT_FALSE(project->fw_is_modified());
}

INSTANTIATE_DATABASE_TEST_SUITE_P(ProjectStringsTest);

}  // namespace
