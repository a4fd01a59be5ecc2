// The project database made by the schema script: every layout retrieves on it, a product's
// longest values fit, the program's messages are there, and the statements the program sends
// itself (deletes of a product, the readme look-up, PACK) run on it.
#include "core/CoreFixture.h"

#include "authoring/core/layouts/core_layouts.h"
#include "authoring/core/u_ds_all_products.h"
#include "runtime/services/Text.h"

namespace {

using core_test::CoreDatabaseFixture;

class DatabaseTest : public CoreDatabaseFixture {
protected:
    void SetUp() override {
        CoreDatabaseFixture::SetUp();
        pakomo::registerCoreLayouts();
        connectProjectDatabase();
    }
};

INSTANTIATE_DATABASE_TEST_SUITE_P(DatabaseTest);

TEST_P(DatabaseTest, EveryLayoutRetrievesFromTheTablesItNames) {
    executeSql({
        "INSERT INTO PRODUCT (ID, PRODNAME, PRODVERS, README, SETUPNORM, SETUPMIN, SETUPCUST, BASEPATH, LABEL) "
        "VALUES (1, 'Alpha', '1.0', 0, 1, 0, 1, 'C:\\Alpha', 'Empty')",
        "INSERT INTO PROGGRP (ID, PRODID, NAME, INSTALLPTH, PROGGRPID, REQPROGID) VALUES (1, 1, 'Main', '^SETUPPATH^', 0, 0)",
        "INSERT INTO STRINGS (ID, PRODID, NAME, VALUE) VALUES (1, 1, 'COMPANY', 'Holvane')",
        "INSERT INTO FILE (ID, PRODID, FILEGRPID, PATH, README, EXE, LINKTEXT, SHARED) "
        "VALUES (1, 1, 1, 'C:\\src\\a.exe', 0, 1, 'Alpha', 0)",
    });
    struct Case {
        const char* layout;
        long expectedRows;
        const char* column;
        const char* value;
    } cases[] = {
        {"d_all_products", 1, "prodname", "Alpha"},       {"d_product_stringtable", 1, "basepath", "C:\\Alpha"},
        {"d_proggrp_stringtable", 1, "installpth", "^SETUPPATH^"}, {"d_stringtabel_z", 1, "value", "Holvane"},
        {"d_message_one", 1, "title", "Test product"},   {"d_file_properties", 1, "stringvar_linktext", "Alpha"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.layout);
        runtime::Ref<runtime::DataStore> ds = runtime::create<runtime::DataStore>();
        ds->setDataObject(c.layout);
        ds->setTransObject(&application().sqlca);
        const runtime::Value argument[] = {runtime::Value(std::string(c.layout) == "d_message_one" ? 15 : 1)};
        ASSERT_EQ(ds->retrieve(argument), c.expectedRows) << ds->lastError();
        EXPECT_EQ(runtime::trim(ds->getItemString(1, c.column)), c.value);
        runtime::destroy(ds);
    }
}

TEST_P(DatabaseTest, ANewProductTakesTheInitialValuesAndTheLongestValuesFit) {
    runtime::Ref<pakomo::u_ds_all_products> products = runtime::create<pakomo::u_ds_all_products>();
    ASSERT_EQ(products->retrieve(), 0);
    long row = products->insertRow(0);
    EXPECT_EQ(products->getItemString(row, "prodname"), "<Your productname>");
    EXPECT_EQ(products->getItemString(row, "basepath"), "^PROGRAMFILESDIR^\\^PRODUCTNAME^");
    EXPECT_EQ(products->getItemNumber(row, "setupcust"), 1);
    // An empty row set has no maximum: the first product gets 1.
    runtime::Value max = products->getItem(row, "c_max_id");
    products->setItem(row, "id", runtime::Value((max.isNull() ? 0 : max.toInt()) + 1));
    const std::string name(32, 'N'), version(16, 'V'), base(254, 'B');
    ASSERT_EQ(products->setItem(row, "prodname", runtime::Value(name)), 1);
    ASSERT_EQ(products->setItem(row, "prodvers", runtime::Value(version)), 1);
    ASSERT_EQ(products->setItem(row, "basepath", runtime::Value(base)), 1);
    ASSERT_EQ(products->update(), 1) << products->lastError();
    application().sqlca.commit();

    ASSERT_EQ(products->retrieve(), 1);
    EXPECT_EQ(products->getItemNumber(1, "id"), 1);
    EXPECT_EQ(products->getItemString(1, "prodname"), name);
    EXPECT_EQ(products->getItemString(1, "prodvers"), version);
    EXPECT_EQ(products->getItemString(1, "basepath"), base);
    EXPECT_EQ(products->getItemString(1, "label"), "Empty");
    runtime::destroy(products);
}

TEST_P(DatabaseTest, TheMessagesTheProgramShowsAreThereWithTheLevelsAndButtonsTheirCallersActOn) {
    struct Case {
        int id;
        int level;
        int button;
        bool takesArgument;
    } cases[] = {{1, 99, 3, true}, {5, 1, 1, true}, {11, 99, 2, true}, {14, 1, 1, false}, {15, 99, 3, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        runtime::SqlRow row;
        const runtime::Value id[] = {runtime::Value(c.id)};
        ASSERT_EQ(application().sqlca.selectIntoValues("SELECT TEXT, LEVEL, BUTTON FROM MESSAGE WHERE ID = ?", id, row), 0);
        ASSERT_TRUE(row[0].has_value());
        EXPECT_LE(row[0]->size(), 254u);
        EXPECT_EQ(row[0]->find("%1%") != std::string::npos, c.takesArgument);
        EXPECT_EQ(runtime::Value(*row[1]).toInt(), c.level);
        EXPECT_EQ(runtime::Value(*row[2]).toInt(), c.button);
    }
}

TEST_P(DatabaseTest, TheProgramsOwnStatementsRunOnTheSchema) {
    runtime::Transaction& sqlca = application().sqlca;
    executeSql({
        "INSERT INTO PRODUCT (ID, PRODNAME) VALUES (3, 'Gamma')",
        "INSERT INTO FILEGRP (ID, PRODID, NAME, PROGGRPID) VALUES (1, 3, 'Docs', 1)",
        "INSERT INTO FILEGRP (ID, PRODID, NAME, PROGGRPID) VALUES (2, 3, 'Loose', 0)",
        "INSERT INTO FILE (ID, PRODID, FILEGRPID, PATH, README) VALUES (1, 3, 2, 'C:\\loose.txt', 1)",
        "INSERT INTO FILE (ID, PRODID, FILEGRPID, PATH, README) VALUES (2, 3, 1, 'C:\\readme.txt', 1)",
        "INSERT INTO WMAIN (PRODID, TITLE, BGCOLOR) VALUES (3, 'Gamma', 16711680)",
    });
    // The readme look-up finds only the file of a group that belongs to a component.
    runtime::SqlRow readme;
    const runtime::Value id[] = {runtime::Value(3)};
    ASSERT_EQ(sqlca.selectIntoValues(
                  "SELECT FILE.PATH FROM FILE, FILEGRP WHERE FILE.FILEGRPID = FILEGRP.ID AND FILE.PRODID = ? "
                  "AND FILEGRP.PRODID = ? AND FILEGRP.PROGGRPID > 0 AND FILE.README = 1",
                  std::vector<runtime::Value>{runtime::Value(3), runtime::Value(3)}, readme),
              0)
        << sqlca.sqlErrText;
    EXPECT_EQ(readme[0], "C:\\readme.txt");

    for (const char* table : {"FILE", "FILEGRP", "PROGGRP", "PROGRESS", "README", "REGKEYS", "STRINGS", "WCREGRP",
                              "WFINISH", "WINDOWS", "WLICAGR", "WMAIN", "MAINTEXT", "WUSER", "WWELCOME"}) {
        long code = sqlca.executeValues(std::string("DELETE FROM ") + table + " WHERE " + table + ".PRODID = ?", id);
        EXPECT_TRUE(code == 0 || code == 100) << table << ": " << sqlca.sqlErrText;
    }
    EXPECT_EQ(sqlca.executeValues("DELETE FROM PRODUCT WHERE PRODUCT.ID = ?", id), 0);
    EXPECT_EQ(sqlca.commit(), 0);

    sqlca.disconnect();
    sqlca.autoCommit = true;
    ASSERT_EQ(sqlca.connect(), 0);
    for (const char* table : {"File", "Filegrp", "Maintext", "Product", "Proggrp", "Progress", "Readme", "Regkeys",
                              "Strings", "Wcregrp", "Wfinish", "Windows", "Wlicagr", "Wmain", "Wuser", "Wwelcome"})
        EXPECT_EQ(sqlca.executeImmediate(std::string("PACK ") + table), 0) << table << ": " << sqlca.sqlErrText;
}

}  // namespace
