// The product wizard's string-variable and registry pages: their context menus reach them, what
// they hold is saved with the product and shown again; a product name that cannot name a folder,
// a background colour that is no colour, and variables or registry entries that cannot be written
// are refused on the page where they are typed; a colour is picked with the colour dialogs.
#include <QApplication>
#include <QMenu>
#include <QTimer>
#include <QtTest/QTest>
#include <string>
#include <vector>

#include "EditingFixture.h"
#include "authoring/windows/w_mdi_frame.h"
#include "standard/w_get_color.h"
#include "support/runtime/UiDoubles.h"

namespace {

using editing_test::Chooser;
using editing_test::EditingFixture;
using pakomo::w_product_wizard;
using runtime::Value;

class WizardPagesTest : public EditingFixture {
protected:
    void SetUp() override {
        EditingFixture::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        pakomo::register_windows();  // the edit popup and the registry browser
        startService();
    }

    w_product_wizard& window(const runtime::Ref<Chooser>& chooser) { return *chooser->inv_wizard->iw_wizard; }

    // Right-clicks row `row` of `dw` and chooses the menu's entry at `position`.
    static void chooseFromMenu(runtime::DataWindow& dw, long row, int position) {
        QTimer::singleShot(0, [position] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            ASSERT_NE(menu, nullptr);
            for (int i = 0; i <= position; ++i) QTest::keyClick(menu, Qt::Key_Down);
            QTest::keyClick(menu, Qt::Key_Return);
        });
        dw.trigger("rbuttondown", {0, 0, row});
        core_test::settle();
    }
    static void typeInto(runtime::DataWindow& dw, const std::string& column, const std::string& text) {
        dw.setColumn(column);
        dw.setText(text);
        ASSERT_EQ(dw.acceptText(), 1);
    }
    std::string text(const std::string& sql) {
        runtime::SqlRow row;
        EXPECT_EQ(application().sqlca.selectInto(sql, {}, row), 0)
            << sql << ": " << application().sqlca.sqlErrText;
        return row.empty() || !row[0] ? std::string("<null>") : *row[0];
    }
};

TEST_P(WizardPagesTest, ThePagesMenusReachTheirWindows) {
    auto chooser = startWizard("new");
    w_product_wizard& w = window(chooser);
    w.fw_show_page(4);
    runtime::DataWindow& strings = *w.iw_stringtable->dw_strings;
    chooseFromMenu(strings, 0, 0);  // "&Add"
    chooseFromMenu(strings, 1, 0);
    ASSERT_EQ(strings.rowCount(), 2);
    EXPECT_EQ(strings.store().getItem(2, "id").toInt(), 2);
    EXPECT_EQ(strings.getColumnName(), "name");
    chooseFromMenu(strings, 1, 1);  // "&Delete"
    ASSERT_EQ(strings.rowCount(), 1);
    EXPECT_EQ(strings.store().getItem(1, "id").toInt(), 2);

    w.fw_show_page(5);
    runtime::DataWindow& entries = *w.iw_regkey->dw_regkeys;
    chooseFromMenu(entries, 0, 0);  // "&Add"
    typeInto(entries, "stringvar_regkey", "Software\\First");
    chooseFromMenu(entries, 1, 1);  // "&Insert" before the entry
    ASSERT_EQ(entries.rowCount(), 2);
    EXPECT_EQ(entries.getRow(), 1);
    EXPECT_EQ(entries.store().getItemString(2, "stringvar_regkey"), "Software\\First");
    chooseFromMenu(entries, 2, 2);  // "&Delete"
    ASSERT_EQ(entries.rowCount(), 1);
    EXPECT_EQ(entries.store().getItemString(1, "stringvar_regkey"), "");
    EXPECT_EQ(editing_test::clippedGridTexts(entries, {{"rootkey", {"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER",
                                                                     "HKEY_LOCAL_MACHINE", "HKEY_USERS"}},
                                                        {"valuetype", {"REG_SZ"}}}),
              std::vector<std::string>{});
    screenshot(w.mainWidget(), "wizard_registry_page");
    w.cb_cancel->click();
    core_test::settle();
}

TEST_P(WizardPagesTest, VariablesAndEntriesAreSavedWithTheProductAndShownAgain) {
    auto chooser = startWizard("new");
    w_product_wizard& w = window(chooser);
    type(*w.sle_prodname, "Alpha");
    w.fw_show_page(4);
    w.iw_stringtable->trigger("ue_popup_insert");
    typeInto(*w.iw_stringtable->dw_strings, "name", " greeting ");
    typeInto(*w.iw_stringtable->dw_strings, "stringvar_value", "Hello");
    w.fw_show_page(5);
    // As the registry browser hands a value over.
    w.iw_regkey->trigger("ue_paste_from_regview", {3, "Software\\Maker", "Count", "0x0000002a", 4, true});
    w.iw_regkey->trigger("ue_popup_insert");
    typeInto(*w.iw_regkey->dw_regkeys, "stringvar_regkey", "Software\\^GREETING^");
    typeInto(*w.iw_regkey->dw_regkeys, "stringvar_regdata", "^PRODUCTNAME^");
    w.cb_finish->click();
    core_test::settle();
    EXPECT_EQ(chooser->ends, 1);
    application().sqlca.rollback();  // committed: nothing to take back
    EXPECT_EQ(text("SELECT NAME || '=' || VALUE FROM STRINGS WHERE PRODID = 1"), "GREETING=Hello");
    EXPECT_EQ(
        text("SELECT ROOTKEY || ' ' || REGKEY || ' ' || VALUENAME || ' ' || VALUETYPE || ' ' || REGDATA FROM "
             "REGKEYS WHERE PRODID = 1 AND ID = 1"),
        "3 Software\\Maker Count 4 0x0000002a");
    EXPECT_EQ(text("SELECT ROOTKEY || ' ' || REGKEY || ' ' || VALUETYPE || ' ' || REGDATA FROM REGKEYS WHERE "
                   "PRODID = 1 "
                   "AND ID = 2"),
              "2 Software\\^GREETING^ 1 ^PRODUCTNAME^");

    // The wizard over the saved product shows them; a change is saved in place.
    application().gi_prod_id = 1;
    runtime::destroy(chooser);
    chooser = startWizard("existing");
    w_product_wizard& again = window(chooser);
    ASSERT_EQ(again.iw_stringtable->dw_strings->rowCount(), 1);
    ASSERT_EQ(again.iw_regkey->dw_regkeys->rowCount(), 2);
    again.fw_show_page(4);
    typeInto(*again.iw_stringtable->dw_strings, "stringvar_value", "Bye");
    again.fw_show_page(5);
    again.iw_regkey->dw_regkeys->setRow(1);
    again.iw_regkey->trigger("ue_popup_delete");
    again.cb_finish->click();
    core_test::settle();
    EXPECT_EQ(chooser->ends, 1);
    application().sqlca.rollback();
    EXPECT_EQ(text("SELECT COUNT(*) || VALUE FROM STRINGS WHERE PRODID = 1 GROUP BY VALUE"), "1Bye");
    EXPECT_EQ(text("SELECT COUNT(*) FROM REGKEYS WHERE PRODID = 1"), "1");
}

TEST_P(WizardPagesTest, WrongInputIsRefusedOnThePageWhereItIsTyped) {
    struct Case {
        int page;
        std::function<void(w_product_wizard&)> enter;
        std::string message;
    };
    auto name = [](const char* text) {
        return [text](w_product_wizard& w) { w.sle_prodname->setText(text); };
    };
    const std::vector<Case> cases = {
        {0, name("<Your productname>"),
         "The product name \"<Your productname>\" cannot be part of a folder name: it holds the character <. "
         "Type "
         "another product name."},
        {0, name("A:B"),
         "The product name \"A:B\" cannot be part of a folder name: it holds the character :. Type another "
         "product "
         "name."},
        {0, name("con"),
         "The product name \"con\" cannot be part of a folder name: it is the name of the device CON. Type "
         "another "
         "product name."},
        {0, [](w_product_wizard& w) { w.sle_prodvers->setText("1/2"); },
         "The version \"1/2\" cannot be part of a folder name: it holds the character /. Type another "
         "version."},
        {0, [](w_product_wizard& w) { w.sle_label->setText("Pro."); },
         "The label \"Pro.\" cannot be part of a folder name: it ends in a point. Type another label."},
        {3, [](w_product_wizard& w) { w.sle_bgcolor->setText("blue"); },
         "The background colour \"blue\" is no colour: type a number from 0 to 16777215 (red + 256 x green + "
         "65536 x "
         "blue), or choose one with Colour..."},
        {3, [](w_product_wizard& w) { w.sle_bgcolor->setText("16777216"); },
         "The background colour \"16777216\" is no colour: type a number from 0 to 16777215 (red + 256 x "
         "green + "
         "65536 x blue), or choose one with Colour..."},
        {4,
         [](w_product_wizard& w) {
             w.iw_stringtable->trigger("ue_popup_insert");
             w.iw_stringtable->dw_strings->store().setItem(1, "name", Value("productname"));
         },
         "\"productname\" is a reserved name. Choose another name for the string variable."},
        {5,
         [](w_product_wizard& w) {
             w.iw_regkey->trigger("ue_popup_insert");
             w.iw_regkey->dw_regkeys->store().setItem(1, "stringvar_regkey", Value("A\\\\B"));
         },
         "Registry entry 1 (HKEY_CURRENT_USER\\A\\\\B, value (default)): the key holds an empty key name "
         "(two "
         "backslashes in a row)."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        auto chooser = startWizard("new");
        w_product_wizard& w = window(chooser);
        type(*w.sle_prodname, "Gamma");
        w.fw_show_page(c.page);
        c.enter(w);
        boxes.answer(1);
        if (c.page < 5)
            w.cb_next->click();
        else
            w.cb_finish->click();
        core_test::settle();
        ASSERT_EQ(boxes.unansweredCount(), 0u);
        EXPECT_EQ(boxes.shown().back().text, c.message);
        EXPECT_EQ(w.fw_get_page(), c.page);
        // Finish from another page comes back to it as well.
        w.fw_show_page(c.page == 0 ? 1 : 0);
        boxes.answer(1);
        w.cb_finish->click();
        core_test::settle();
        ASSERT_EQ(boxes.unansweredCount(), 0u);
        EXPECT_EQ(boxes.shown().back().text, c.message);
        EXPECT_EQ(w.fw_get_page(), c.page);
        EXPECT_EQ(chooser->ends, 0);
        EXPECT_EQ(count("PRODUCT"), 0);
        w.cb_cancel->click();
        core_test::settle();
        runtime::destroy(chooser);
    }
}

TEST_P(WizardPagesTest, AColourIsPickedWithTheColourDialogs) {
    auto chooser = startWizard("new");
    w_product_wizard& w = window(chooser);
    w.fw_show_page(3);
    type(*w.sle_bgcolor, "255");
    bool picked = false;
    runtime::whenWindowOpen("w_get_color", [&picked](runtime::Window& dialog) {
        auto& colors = dynamic_cast<pakomo::w_get_color&>(dialog);
        EXPECT_EQ(colors.uo_color->fu_get_color(), 255);  // it starts from the typed colour
        colors.uo_color->fu_set_color(65280);
        picked = true;
        colors.cb_1->click();
    });
    w.cb_bgcolor->click();
    core_test::settle();
    ASSERT_TRUE(picked);
    EXPECT_EQ(w.sle_bgcolor->text(), "65280");
    // Cancel keeps the colour that was there.
    runtime::whenWindowOpen("w_get_color", [](runtime::Window& dialog) {
        dynamic_cast<pakomo::w_get_color&>(dialog).cb_2->click();
    });
    w.cb_bgcolor->click();
    core_test::settle();
    EXPECT_EQ(w.sle_bgcolor->text(), "65280");
    w.cb_cancel->click();
    core_test::settle();
}

INSTANTIATE_DATABASE_TEST_SUITE_P(WizardPagesTest);

}  // namespace
