// The SQL statement writer: the statements it makes for a row set's changes, and what they do
// to a real database through ODBC, failures included.
#include "core/CoreFixture.h"

#include "authoring/core/layouts/core_layouts.h"
#include "authoring/core/nv_sql.h"
#include "authoring/core/u_ds_all_products.h"

namespace {

using core_test::CoreDatabaseFixture;
using runtime::Buffer;
using runtime::Value;

class SqlWriterTest : public CoreDatabaseFixture {
protected:
    void SetUp() override {
        CoreDatabaseFixture::SetUp();
        pakomo::registerCoreLayouts();
        connectProjectDatabase();
        if (IsSkipped()) return;
        executeSql({
            "INSERT INTO PRODUCT (ID, PRODNAME, PRODVERS, README, SETUPNORM, SETUPMIN, SETUPCUST, BASEPATH, LABEL) "
            "VALUES (1, 'One', '1', 0, 1, 0, 1, 'C:\\One', 'L1')",
            "INSERT INTO PRODUCT (ID, PRODNAME, PRODVERS, README, SETUPNORM, SETUPMIN, SETUPCUST, BASEPATH, LABEL) "
            "VALUES (2, 'Two', '2', 0, 1, 0, 1, 'C:\\Two', 'L2')",
            "INSERT INTO PRODUCT (ID, PRODNAME, PRODVERS, README, SETUPNORM, SETUPMIN, SETUPCUST, BASEPATH, LABEL) "
            "VALUES (3, 'Three', '3', 0, 1, 0, 1, 'C:\\Three', 'L3')",
        });
        products = runtime::create<pakomo::u_ds_all_products>();
        products->extend("ue_updateend", [this](runtime::Args args) {
            updateEnds.push_back(args.empty() ? Value() : args[0]);
            return Value();
        });
        ASSERT_EQ(products->retrieve(), 3);
        writer = runtime::create<pakomo::nv_sql>();
    }
    void TearDown() override {
        runtime::destroy(writer);
        runtime::destroy(products);
        CoreDatabaseFixture::TearDown();
    }
    // A column of the database's PRODUCT row, or "<none>" without the row.
    std::string stored(int id, const std::string& column) {
        runtime::SqlRow row;
        const Value key[] = {Value(id)};
        if (application().sqlca.selectIntoValues("SELECT " + column + " FROM PRODUCT WHERE ID = ?", key, row) != 0)
            return "<none>";
        return row[0] ? *row[0] : "<null>";
    }
    void useLayout(const std::function<void(runtime::DataLayout&)>& change) {
        runtime::DataLayout l = pakomo::d_all_products();
        change(l);
        products->setLayout(std::make_shared<const runtime::DataLayout>(std::move(l)));
        ASSERT_EQ(products->retrieve(), 3);
    }

    runtime::Ref<pakomo::u_ds_all_products> products;
    runtime::Ref<pakomo::nv_sql> writer;
    std::vector<Value> updateEnds;
};

INSTANTIATE_DATABASE_TEST_SUITE_P(SqlWriterTest);

TEST_P(SqlWriterTest, StatementsForEachKindOfChange) {
    struct Case {
        const char* name;
        std::function<long()> change;  // answers the row to write
        std::string sql;
        int id;
        const char* column;
        const char* after;
    } cases[] = {
        {"apostrophe doubled",
         [&] { products->setItem(1, "prodname", Value("O'Brien")); return 1L; },
         "UPDATE PRODUCT SET PRODNAME = 'O''Brien'  WHERE ID = 1", 1, "PRODNAME", "O'Brien"},
        {"two apostrophes",
         [&] { products->setItem(2, "prodname", Value("''")); return 2L; },
         "UPDATE PRODUCT SET PRODNAME = ''''''  WHERE ID = 2", 2, "PRODNAME", "''"},
        {"empty text",
         [&] { products->setItem(3, "label", Value("")); return 3L; },
         "UPDATE PRODUCT SET LABEL = ''  WHERE ID = 3", 3, "LABEL", ""},
        {"null set",
         [&] { products->setItem(1, "label", Value()); return 1L; },
         "UPDATE PRODUCT SET LABEL = NULL  WHERE ID = 1", 1, "LABEL", "<null>"},
        {"changed key found by its stored value",
         [&] { products->setItem(2, "id", Value(9)); products->setItem(2, "readme", Value(1)); return 2L; },
         "UPDATE PRODUCT SET ID = 9, README = 1  WHERE ID = 2", 9, "PRODVERS", "2"},
        {"new row without a label",
         [&] {
             long r = products->insertRow(0);
             products->setItem(r, "id", Value(7));
             products->setItem(r, "prodname", Value("Alpha"));
             products->setItem(r, "label", Value());
             return r;
         },
         "INSERT INTO PRODUCT( ID, PRODNAME, PRODVERS, README, SETUPNORM, SETUPMIN, SETUPCUST, BASEPATH ) "
         "VALUES ( 7, 'Alpha', '1.00.00', 0, 1, 0, 1, '^PROGRAMFILESDIR^\\^PRODUCTNAME^' )",
         7, "LABEL", "<null>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(products->retrieve(), 3);
        long row = c.change();
        writer->fnv_init(*products);
        EXPECT_EQ(writer->fnv_get_sql(row, Buffer::Primary), c.sql);
        updateEnds.clear();
        ASSERT_EQ(writer->fnv_update(*products), 1) << application().sqlca.sqlErrText;
        EXPECT_EQ(stored(c.id, c.column), c.after);
        EXPECT_FALSE(products->fu_is_modified());
        EXPECT_EQ(updateEnds, std::vector<Value>{Value(true)});
    }
}

TEST_P(SqlWriterTest, DeletesFindTheirRowByTheStoredKeyAndANewRowDeletedSendsNothing) {
    products->setItem(2, "id", Value(20));
    products->deleteRow(2);
    long r = products->insertRow(0);
    products->setItem(r, "id", Value(2));
    products->deleteRow(r);
    writer->fnv_init(*products);
    EXPECT_EQ(writer->fnv_get_where_clause(1, Buffer::Delete), " WHERE ID = 2");
    ASSERT_EQ(writer->fnv_update(*products), 1) << application().sqlca.sqlErrText;
    EXPECT_EQ(stored(2, "PRODNAME"), "<none>");
    EXPECT_EQ(stored(1, "PRODNAME"), "One");
    EXPECT_EQ(products->deletedCount(), 0);
}

TEST_P(SqlWriterTest, DeletesGoFirstThenFilteredOutRowsThenVisibleOnesEachInRowOrder) {
    products->setItem(3, "label", Value("V3"));
    products->setItem(2, "label", Value("F2"));
    products->setFilter("id <> 2");
    products->filter();
    products->deleteRow(1);
    std::vector<std::string> sent;
    application().sqlca.statementTrace = [&](std::string_view statement, long) { sent.emplace_back(statement); };
    ASSERT_EQ(writer->fnv_update(*products), 1) << application().sqlca.sqlErrText;
    EXPECT_EQ(sent, (std::vector<std::string>{"DELETE FROM PRODUCT WHERE ID = 1",
                                              "UPDATE PRODUCT SET LABEL = 'F2'  WHERE ID = 2",
                                              "UPDATE PRODUCT SET LABEL = 'V3'  WHERE ID = 3"}));
    // A row never stored has no stored key: its WHERE clause says so instead of vanishing.
    long fresh = products->insertRow(0);
    writer->fnv_init(*products);
    EXPECT_EQ(writer->fnv_get_where_clause(fresh, Buffer::Primary), " WHERE ID IS NULL");
}

TEST_P(SqlWriterTest, NothingToSaveSendsNothingAndRaisesNothing) {
    EXPECT_EQ(writer->fnv_update(*products), 1);
    EXPECT_TRUE(updateEnds.empty());
}

TEST_P(SqlWriterTest, AChangeOnlyInColumnsThatAreNotWrittenIsSkipped) {
    useLayout([](runtime::DataLayout& l) { l.columns[8].updatable = false; });
    products->setItem(1, "label", Value("Other"));
    writer->fnv_init(*products);
    EXPECT_EQ(writer->fnv_get_sql(1, Buffer::Primary), "");
    EXPECT_EQ(writer->fnv_update(*products), 1);
    EXPECT_EQ(stored(1, "LABEL"), "L1");
}

TEST_P(SqlWriterTest, ALayoutWithoutKeyColumnsIsRefused) {
    useLayout([](runtime::DataLayout& l) { l.columns[0].key = false; });
    products->setItem(1, "label", Value("Other"));
    EXPECT_EQ(writer->fnv_update(*products), -1);
    EXPECT_EQ(stored(1, "LABEL"), "L1");
    EXPECT_EQ(stored(2, "LABEL"), "L2");
    EXPECT_TRUE(products->fu_is_modified());
    EXPECT_TRUE(updateEnds.empty());
}

TEST_P(SqlWriterTest, AFailureAtTheSecondOfThreeStatementsStopsThereAndKeepsTheFlags) {
    products->deleteRow(1);                        // 1: DELETE of product 1
    products->setItem(1, "id", Value(3));          // 2: product 2 takes an id that exists: refused
    products->setItem(2, "label", Value("Late"));  // 3: never sent
    EXPECT_EQ(writer->fnv_update(*products), -1);
    EXPECT_EQ(stored(1, "PRODNAME"), "<none>") << "the statement before the failure stays sent";
    EXPECT_EQ(stored(3, "LABEL"), "L3");
    EXPECT_TRUE(products->fu_is_modified());
    EXPECT_EQ(products->deletedCount(), 1);
    EXPECT_TRUE(updateEnds.empty());
    application().sqlca.rollback();
    EXPECT_EQ(stored(1, "PRODNAME"), "One");
}

TEST_P(SqlWriterTest, WithoutResettingTheFlagsTheChangesStayAndTheHookStillHearsTrue) {
    products->setItem(1, "label", Value("Kept"));
    EXPECT_EQ(writer->fnv_update(*products, false), 1);
    EXPECT_EQ(stored(1, "LABEL"), "Kept");
    EXPECT_TRUE(products->fu_is_modified());
    EXPECT_EQ(updateEnds, std::vector<Value>{Value(true)});
}

TEST_P(SqlWriterTest, ValuesAsLiteralsByColumnType) {
    writer->fnv_init(*products);
    EXPECT_EQ(writer->is_dbnames.get(2), "PRODNAME");
    EXPECT_EQ(writer->is_coltype.get(1), "decim");
    EXPECT_EQ(writer->fnv_get_value(1, 1, Buffer::Primary, false), "1");
    EXPECT_EQ(writer->fnv_get_value(1, 2, Buffer::Primary, false), "'One'");
    products->setItem(1, "readme", Value(0.5));
    EXPECT_EQ(writer->fnv_get_value(1, 4, Buffer::Primary, false), "0.5");
    EXPECT_EQ(writer->fnv_get_value(1, 4, Buffer::Primary, true), "0");
    products->setItem(1, "label", Value());
    EXPECT_EQ(writer->fnv_get_value(1, 9, Buffer::Primary, false), std::nullopt);
    // A whole-number column of another type is a number too.
    useLayout([](runtime::DataLayout& l) { l.columns[0].type = "int"; });
    writer->fnv_init(*products);
    EXPECT_EQ(writer->fnv_get_value(2, 1, Buffer::Primary, false), "2");
    EXPECT_EQ(writer->fnv_execute_sql(""), 1);
    EXPECT_EQ(writer->fnv_execute_sql("UPDATE NOSUCHTABLE SET X = 1"), -1);
}

}  // namespace
