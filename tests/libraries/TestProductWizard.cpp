// The product wizard: a new product with a row in every page table, saved at once; an existing
// product renamed (its old settings dropped) or only moved; Cancel, Back and wrong input; a save
// that fails half way leaves nothing behind.
#include <QAbstractButton>

#include <map>
#include <string>
#include <vector>

#include "EditingFixture.h"
#include "authoring/windows/w_datawindow_zoom.h"
#include "libraries/preview/preview_library.h"
#include "support/runtime/UiDoubles.h"

namespace {

using authoring_test::kSettingsRoot;
using editing_test::Chooser;
using editing_test::EditingFixture;
using pakomo::w_product_wizard;
namespace reg = runtime::registry;

class ProductWizardTest : public EditingFixture {
protected:
    w_product_wizard& window(const runtime::Ref<Chooser>& chooser) { return *chooser->inv_wizard->iw_wizard; }

    // Product 1 with its page rows and product 2; product 1's settings say it is built.
    void existingProducts() {
        std::vector<std::string> sql = everyTable(1);
        sql[0] = productRow(1, "Alpha", "1.00.00", "Empty");
        sql.push_back(productRow(2, "Beta", "2", "Pro"));
        executeSql(sql);
        pakomo::nv_create_setup& s = startService();
        ASSERT_EQ(s.fnv_retrieve_product_stringtable(1), 1);
        ASSERT_EQ(settings().fnv_set_compiled(1), 1);
        application().gi_prod_id = 1;
    }
    std::string text(const std::string& sql) {
        runtime::SqlRow row;
        EXPECT_EQ(application().sqlca.selectInto(sql, {}, row), 0)
            << sql << ": " << application().sqlca.sqlErrText;
        return row.empty() || !row[0] ? std::string("<null>") : *row[0];
    }
};

// Alt and a letter must reach one control of the page: "&Next >" and a check box on the same page
// never share theirs.
TEST_P(ProductWizardTest, NoTwoControlsOfAPageShareAnAccessKey) {
    startService();
    auto chooser = startWizard("new");
    ASSERT_TRUE(chooser->inv_wizard.isValid());
    w_product_wizard& w = window(chooser);
    for (int page = 0; page < w_product_wizard::page_count; ++page) {
        w.fw_show_page(page);
        std::map<QChar, QString> keys;
        for (QAbstractButton* b : w.mainWidget()->findChildren<QAbstractButton*>()) {
            if (!b->isVisibleTo(w.mainWidget())) continue;
            const QString t = b->text();
            const qsizetype at = t.indexOf('&');
            if (at < 0 || at + 1 >= t.size()) continue;
            const QChar key = t[at + 1].toLower();
            EXPECT_FALSE(keys.contains(key)) << "page " << page << ": \"" << t.toStdString() << "\" and \""
                                             << keys[key].toStdString() << "\"";
            keys[key] = t;
        }
        EXPECT_TRUE(keys.contains('n') || page + 1 == w_product_wizard::page_count) << page;
    }
    w.cb_cancel->click();
    core_test::settle();
}

TEST_P(ProductWizardTest, NewProductIsSavedWithEveryPageAndEndsTheWizard) {
    startService();
    auto chooser = startWizard("new");
    ASSERT_TRUE(chooser->inv_wizard.isValid());
    w_product_wizard& w = window(chooser);
    EXPECT_EQ(w.sle_prodname->text(), "<Your productname>");          // the catalogue's initial values
    EXPECT_EQ(w.sle_prodname->selectedText(), "<Your productname>");  // typing replaces it
    EXPECT_EQ(w.sle_basepath->text(), "^PROGRAMFILESDIR^\\^PRODUCTNAME^");
    expectHelpTopic(w, w_product_wizard::help_topic);
    // Modal: the chooser cannot start a second wizard while this one runs.
    EXPECT_EQ(w.mainWidget()->windowModality(), Qt::ApplicationModal);
    screenshot(w.mainWidget(), "wizard_page1_product");
    type(*w.sle_prodname, "Alpha");
    type(*w.sle_prodvers, "2.0");
    type(*w.sle_label, "Home");
    for (int page = 1; page < w_product_wizard::page_count; ++page) {
        w.cb_next->click();
        EXPECT_EQ(w.fw_get_page(), page);
        screenshot(w.mainWidget(), "wizard_page" + std::to_string(page + 1));
    }
    w.cbx_setupmin->setChecked(true);
    w.cb_finish->click();
    core_test::settle();

    EXPECT_EQ(chooser->ends, 1);
    EXPECT_FALSE(chooser->inv_wizard.isValid());
    for (runtime::Window* open : runtime::Window::openWindows())
        EXPECT_NE(open->className(), "w_product_wizard");
    // Everything is committed: a rollback takes nothing back.
    application().sqlca.rollback();
    EXPECT_EQ(text("SELECT PRODNAME || '|' || PRODVERS || '|' || LABEL FROM PRODUCT WHERE ID = 1"),
              "Alpha|2.0|Home");
    EXPECT_EQ(
        count("PRODUCT WHERE ID = 1 AND SETUPNORM = 1 AND SETUPMIN = 1 AND SETUPCUST = 1 AND README = 0"), 1);
    EXPECT_EQ(pageRowCounts(1), std::vector<long>(10, 1));
    EXPECT_EQ(text("SELECT TITLE FROM WMAIN WHERE PRODID = 1"), "^PRODUCTNAME^ Setup");
    EXPECT_EQ(text("SELECT PROGTEXT FROM PROGRESS WHERE PRODID = 1"), "Installing ^PRODUCTNAME^ ...");
    EXPECT_EQ(
        count(
            "WINDOWS WHERE WELCOME = 1 AND LICENSE = 1 AND USERINFO = 1 AND FINISHED = 1 AND PROGGROUP = 1"),
        1);
    // The service's catalogue holds the product: the chooser's next refresh shows it.
    EXPECT_EQ(service().ids_all_products->rowCount(), 1);
    EXPECT_EQ(service().ids_all_products->getItemString(1, "prodname"), "Alpha");
}

TEST_P(ProductWizardTest, ANewProductTakesTheNextIdAfterTheOthers) {
    existingProducts();
    auto chooser = startWizard("new");
    type(*window(chooser).sle_prodname, "Gamma");
    window(chooser).cb_finish->click();
    core_test::settle();
    EXPECT_EQ(text("SELECT PRODNAME FROM PRODUCT WHERE ID = 3"), "Gamma");
    EXPECT_EQ(pageRowCounts(3), std::vector<long>(10, 1));
    EXPECT_EQ(pageRowCounts(1), std::vector<long>(10, 1));  // the others' pages are untouched
}

TEST_P(ProductWizardTest, BackAndNextKeepWhatWasTyped) {
    startService();
    auto chooser = startWizard("new");
    w_product_wizard& w = window(chooser);
    EXPECT_FALSE(w.cb_back->enabled());
    type(*w.sle_prodname, "Kept");
    w.cb_next->click();
    w.cbx_license->setChecked(false);
    type(*w.mle_lictext, "Only for testing.");
    w.cb_next->click();
    w.cb_next->click();
    EXPECT_EQ(w.fw_get_page(), 3);
    EXPECT_TRUE(w.sle_title->visible());
    EXPECT_FALSE(w.sle_prodname->visible());
    type(*w.sle_title, "Kept's setup");
    w.ddlb_readmemode->selectItem(2);  // show it after the installation
    w.cb_next->click();
    EXPECT_TRUE(w.iw_stringtable->visible());
    EXPECT_FALSE(w.sle_title->visible());
    w.cb_next->click();
    EXPECT_EQ(w.fw_get_page(), 5);
    EXPECT_FALSE(w.iw_stringtable->visible());
    EXPECT_TRUE(w.iw_regkey->visible());
    EXPECT_FALSE(w.cb_next->enabled());
    EXPECT_EQ(w.defaultButton(), w.cb_finish.get());  // Enter finishes on the last page
    for (int i = 0; i < 5; ++i) w.cb_back->click();
    EXPECT_EQ(w.fw_get_page(), 0);
    EXPECT_EQ(w.defaultButton(), w.cb_next.get());
    EXPECT_TRUE(w.sle_prodname->visible());
    EXPECT_FALSE(w.sle_title->visible());
    EXPECT_EQ(w.sle_prodname->text(), "Kept");
    w.cb_next->click();
    EXPECT_EQ(w.mle_lictext->text(), "Only for testing.");
    w.cb_finish->click();
    core_test::settle();
    EXPECT_EQ(text("SELECT PRODNAME FROM PRODUCT WHERE ID = 1"), "Kept");
    EXPECT_EQ(text("SELECT LICTEXT FROM WLICAGR WHERE PRODID = 1"), "Only for testing.");
    EXPECT_EQ(count("WINDOWS WHERE PRODID = 1 AND LICENSE = 0 AND WELCOME = 1"), 1);
    EXPECT_EQ(text("SELECT TITLE FROM WMAIN WHERE PRODID = 1"), "Kept's setup");
    EXPECT_EQ(count("README WHERE PRODID = 1 AND READMEMODE = 1"), 1);
}

TEST_P(ProductWizardTest, CancelSavesNothing) {
    struct Case {
        const char* action;
        bool byTitleBar;
    };
    for (const Case c : {Case{"new", false}, Case{"new", true}, Case{"existing", false}}) {
        SCOPED_TRACE(std::string(c.action) + (c.byTitleBar ? " closed" : " cancelled"));
        clearProducts();
        if (std::string(c.action) == "existing")
            existingProducts();
        else
            startService();
        const long products = count("PRODUCT");
        auto chooser = startWizard(c.action);
        w_product_wizard& w = window(chooser);
        type(*w.sle_prodname, "Changed");
        w.cb_next->click();
        type(*w.mle_lictext, "Changed");
        if (c.byTitleBar)
            w.close();
        else
            w.cb_cancel->click();
        core_test::settle();
        EXPECT_EQ(chooser->ends, 1);
        EXPECT_FALSE(chooser->inv_wizard.isValid());
        application().sqlca.rollback();
        EXPECT_EQ(count("PRODUCT"), products);
        EXPECT_EQ(count("PRODUCT WHERE PRODNAME = 'Changed'"), 0);
        EXPECT_EQ(count("WLICAGR WHERE LICTEXT = 'Changed'"), 0);
        EXPECT_EQ(service().ids_all_products->rowCount(), products);
        if (products) {
            EXPECT_TRUE(reg::getNumber(kSettingsRoot + "\\Products\\Alpha 1.00.00 Empty", "UpToDate"));
        }
        runtime::destroy(chooser);
    }
}

TEST_P(ProductWizardTest, ExistingProductDropsItsOldSettingsOnlyWhenItsFullNameChanges) {
    struct Case {
        const char* label;
        const char* basepath;
        bool dropped;
    };
    for (const Case c : {Case{"Pro", "C:\\App", true}, Case{"Empty", "D:\\Elsewhere", false},
                         Case{"EMPTY", "C:\\App", true}}) {
        SCOPED_TRACE(c.label);
        clearProducts();
        existingProducts();
        const std::string oldKey = kSettingsRoot + "\\Products\\Alpha 1.00.00 Empty";
        ASSERT_TRUE(reg::getNumber(oldKey, "UpToDate"));

        auto chooser = startWizard("existing");
        w_product_wizard& w = window(chooser);
        // The wizard shows what the database holds.
        EXPECT_EQ(w.sle_prodname->text(), "Alpha");
        EXPECT_EQ(w.sle_label->text(), "Empty");
        EXPECT_EQ(w.mle_lictext->text(), "Licence");
        EXPECT_EQ(w.sle_title->text(), "Title");
        EXPECT_EQ(w.sle_bgcolor->text(), "255");
        EXPECT_TRUE(w.cbx_restart->checked());
        EXPECT_FALSE(w.cbx_userinfo->checked());
        EXPECT_EQ(w.ddlb_readmemode->selectedIndex(), 3);
        type(*w.sle_label, c.label);
        type(*w.sle_basepath, c.basepath);
        type(*w.sle_title, "New title");
        w.cb_finish->click();
        core_test::settle();

        EXPECT_EQ(chooser->ends, 1);
        EXPECT_EQ(!reg::getNumber(oldKey, "UpToDate").has_value(), c.dropped);
        application().sqlca.rollback();
        EXPECT_EQ(text("SELECT LABEL FROM PRODUCT WHERE ID = 1"), c.label);
        EXPECT_EQ(text("SELECT BASEPATH FROM PRODUCT WHERE ID = 1"), c.basepath);
        EXPECT_EQ(text("SELECT TITLE FROM WMAIN WHERE PRODID = 1"), "New title");
        // Page rows are replaced, not added; the other product's stay; the background texts stay.
        EXPECT_EQ(pageRowCounts(1), std::vector<long>(10, 1));
        EXPECT_EQ(text("SELECT TEXTLINE FROM MAINTEXT WHERE PRODID = 1"), "Text");
        EXPECT_EQ(count("FILE WHERE PRODID = 1"), 1);
        // The service's current product follows the new values.
        EXPECT_EQ(service().fnv_get_fullprodname(), std::string("Alpha 1.00.00 ") + c.label);
        runtime::destroy(chooser);
    }
}

TEST_P(ProductWizardTest, WrongInputIsReportedOnItsPageAndNothingIsSaved) {
    struct Case {
        const char* what;
        const char* name;
        const char* version;
        const char* label;
        const char* color;
        bool anySetupType;
        int page;
    };
    const Case cases[] = {
        {"empty name", "   ", "1", "", "0", true, 0},
        {"no setup type", "Gamma", "1", "", "0", false, 0},
        {"another product's full name", "beta", "2", "PRO", "0", true, 0},
        {"colour not a number", "Gamma", "1", "", "blue", true, 3},
        {"colour too large", "Gamma", "1", "", "16777216", true, 3},
    };
    existingProducts();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto chooser = startWizard("new");
        w_product_wizard& w = window(chooser);
        type(*w.sle_prodname, c.name);
        type(*w.sle_prodvers, c.version);
        type(*w.sle_label, c.label);
        type(*w.sle_bgcolor, c.color);
        for (auto* box : {&w.cbx_setupnorm, &w.cbx_setupmin, &w.cbx_setupcust})
            (*box)->setChecked(c.anySetupType);
        w.fw_show_page(c.page == 0 ? 2 : 0);
        boxes.answer(1);
        w.cb_finish->click();
        core_test::settle();
        ASSERT_EQ(boxes.unansweredCount(), 0u);
        EXPECT_EQ(boxes.shown().back().icon, runtime::MessageIcon::StopSign);
        EXPECT_EQ(w.fw_get_page(), c.page);
        EXPECT_EQ(chooser->ends, 0);
        EXPECT_EQ(count("PRODUCT"), 2);
        EXPECT_EQ(service().ids_all_products->rowCount(), 2);
        w.cb_cancel->click();
        core_test::settle();
        runtime::destroy(chooser);
    }
}

TEST_P(ProductWizardTest, ASaveThatFailsHalfWayLeavesNothingAndTheWizardOpen) {
    startService();
    executeSql({"DROP TABLE PROGRESS"});  // the last page table written
    auto chooser = startWizard("new");
    w_product_wizard& w = window(chooser);
    type(*w.sle_prodname, "Alpha");
    boxes.answer(1);
    w.cb_finish->click();
    core_test::settle();
    ASSERT_EQ(boxes.unansweredCount(), 0u);
    EXPECT_NE(boxes.shown().back().text.find("could not be saved"), std::string::npos);
    EXPECT_EQ(chooser->ends, 0);
    ASSERT_TRUE(chooser->inv_wizard.isValid());
    EXPECT_EQ(count("PRODUCT"), 0);
    EXPECT_EQ(count("WINDOWS"), 0);
    EXPECT_EQ(count("WLICAGR"), 0);
    EXPECT_EQ(service().ids_all_products->rowCount(), 0);
    window(chooser).cb_cancel->click();
    core_test::settle();
    EXPECT_EQ(chooser->ends, 1);
    EXPECT_EQ(count("PRODUCT"), 0);
}

TEST_P(ProductWizardTest, AProductThatIsGoneIsReportedAndTheWizardEnds) {
    existingProducts();
    application().gi_prod_id = 7;
    boxes.answer(1);
    auto chooser = startWizard("existing");
    core_test::settle();
    ASSERT_EQ(boxes.unansweredCount(), 0u);
    EXPECT_EQ(chooser->ends, 1);
    EXPECT_FALSE(chooser->inv_wizard.isValid());
    EXPECT_EQ(count("PRODUCT"), 2);
}

// Each page's Preview opens its page over what is typed, before anything is saved.
TEST_P(ProductWizardTest, PreviewShowsThePageAsTyped) {
    existingProducts();
    service().fnv_retrieve_stringtable(1);
    pakomo::register_preview_library();
    application().gnv_win32api = runtime::createByName("nv_winapi");
    auto chooser = startWizard("existing");
    w_product_wizard& w = window(chooser);
    type(*w.sle_prodname, "Typed");
    type(*w.mle_usertext, "Who uses ^NAME^?");
    type(*w.sle_title, "^NAME^ setup");
    const struct {
        runtime::Ref<runtime::CommandButton>& button;
        const char* window;
        const char* object;
        const char* shown;
    } cases[] = {{w.cb_preview_welcome, "w_wwelcome_preview", "t_heading", "Typed"},
                 {w.cb_preview_userinfo, "w_userinfo_preview", "t_pagetext", "Who uses value?"},
                 {w.cb_preview_background, "w_wmain_preview", "t_caption", "value setup"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.window);
        std::string shown;
        runtime::whenWindowOpen(c.window, [&](runtime::Window& open) {
            auto& z = dynamic_cast<pakomo::w_datawindow_zoom&>(open);
            shown = z.dw_1->describe(std::string(c.object) + ".text");
            z.cb_1->trigger("clicked");
        });
        c.button->trigger("clicked");
        EXPECT_NE(shown.find(c.shown), std::string::npos) << shown;
    }
    EXPECT_EQ(text("SELECT PRODNAME FROM PRODUCT WHERE ID = 1"), "Alpha");  // nothing saved
    w.cb_cancel->click();
    core_test::settle();
    runtime::destroy(chooser);
    runtime::destroy(application().gnv_win32api);
}

INSTANTIATE_DATABASE_TEST_SUITE_P(ProductWizardTest);

}  // namespace
