// The product copy: every row of a product's tables under a new product id and a full product
// name of its own, in one transaction; a failure at any table leaves the database as it was.
#include <algorithm>
#include <cctype>

#include "LibraryFixture.h"
#include "libraries/duplicate/nv_duplicate.h"

namespace {

using namespace library_test;

const std::vector<std::string> AllTables = {
    "PRODUCT",  "STRINGS",  "PROGGRP", "FILEGRP", "FILE",    "REGKEYS", "WINDOWS", "WMAIN",
    "MAINTEXT", "WWELCOME", "WLICAGR", "WUSER",   "WFINISH", "WCREGRP", "README",  "PROGRESS"};

class ProductCopyTest : public LibraryDatabaseFixture {
protected:
    void SetUp() override {
        LibraryDatabaseFixture::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        pakomo::register_duplicate_library();
        std::vector<std::string> sql = {
            "INSERT INTO PRODUCT VALUES (1, 'Alpha', '1.00.00', 1, 1, 0, 1, '^PROGRAMFILESDIR^\\Alpha', "
            "'Empty')",
            "INSERT INTO PRODUCT VALUES (2, 'Other', '2', 0, 1, 0, 0, 'C:\\Other', 'Empty')",
            // The plain copy's full name is taken already, in other letter case.
            "INSERT INTO PRODUCT VALUES (5, 'alpha', '1.00.00', 0, 1, 0, 0, 'C:\\x', 'COPY')",
            "INSERT INTO STRINGS VALUES (1, 1, 'MAKER', 'Maker Ltd')",
            "INSERT INTO STRINGS VALUES (2, 1, 'EMPTY', NULL)",
            "INSERT INTO PROGGRP VALUES (1, 1, 'Main', '^SETUPPATH^', 0, 0, 1, 3, 'The program.', 1)",
            "INSERT INTO PROGGRP VALUES (2, 1, 'Docs', '^SETUPPATH^\\Docs', 1, 1, 0, 1, NULL, 0)",
            "INSERT INTO FILEGRP VALUES (1, 1, 'Program', 1)",
            "INSERT INTO FILEGRP VALUES (2, 1, 'Loose', 0)",
            "INSERT INTO FILE VALUES (1, 1, 1, 'C:\\src\\a.exe', 0, 1, 'A', 0)",
            "INSERT INTO FILE VALUES (2, 1, 1, 'C:\\src\\b.dll', 0, 0, NULL, 1)",
            "INSERT INTO FILE VALUES (3, 1, 2, 'C:\\src\\readme.txt', 1, 0, '', 0)",
            "INSERT INTO REGKEYS VALUES (1, 1, 1, 3, 'Software\\Maker', 'Path', '^SETUPPATH^', 1)",
            "INSERT INTO REGKEYS VALUES (2, 1, 0, 2, 'Software\\Maker', 'N', '0x00000001', 4)",
            "INSERT INTO STRINGS VALUES (1, 2, 'OTHER', 'other')",
            "INSERT INTO FILE VALUES (1, 2, 1, 'C:\\src\\other.exe', 0, 0, '', 0)",
        };
        for (auto& s : pageRows(1)) sql.push_back(s);
        for (auto& s : pageRows(2, "Other's title")) sql.push_back(s);
        executeSql(sql);
        application().gi_prod_id = 1;
    }

    int16_t duplicate() {
        auto d = runtime::createByName("nv_duplicate").as<pakomo::nv_duplicate>();
        int16_t id = d->ii_new_prod_id;
        runtime::destroy(d);
        return id;
    }

    // A table's column names, in upper case.
    std::vector<std::string> columns(const std::string& table) {
        const bool sqlite = GetParam() == testing_support::DatabaseSystem::SQLite;
        std::vector<std::string> names;
        application().sqlca.query(
            sqlite ? "SELECT name FROM pragma_table_info('" + table + "')"
                   : "SELECT column_name FROM information_schema.columns WHERE table_name = '" +
                         lower(table) + "' ORDER BY ordinal_position",
            {}, [&](runtime::SqlRow&& row) { names.push_back(upper(row[0].value_or(""))); });
        return names;
    }
    static std::string lower(std::string s) {
        for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return s;
    }
    static std::string upper(std::string s) {
        for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        return s;
    }

    // A product's rows of a table, sorted, each as its cells but the product id (and for
    // PRODUCT the label); null cells show as <null>.
    std::vector<std::string> rowsOf(const std::string& table, int prodId) {
        const bool product = table == "PRODUCT";
        std::string select;
        for (const std::string& c : columns(table)) {
            if (c == (product ? "ID" : "PRODID") || (product && c == "LABEL")) continue;
            select += (select.empty() ? "" : ", ") + c;
        }
        std::vector<std::string> rows;
        const runtime::SqlCell id[] = {std::to_string(prodId)};
        application().sqlca.query(
            "SELECT " + select + " FROM " + table + " WHERE " + (product ? "ID" : "PRODID") + " = ?", id,
            [&](runtime::SqlRow&& row) {
                std::string line;
                for (const auto& cell : row) line += cell.value_or("<null>") + "|";
                rows.push_back(line);
            });
        std::sort(rows.begin(), rows.end());
        return rows;
    }

    std::map<std::string, std::string> totals() {
        std::map<std::string, std::string> t;
        for (const std::string& table : AllTables) {
            runtime::SqlRow row;
            application().sqlca.selectInto("SELECT COUNT(*) FROM " + table, {}, row);
            t[table] = row.empty() ? "?" : row[0].value_or("?");
        }
        return t;
    }

    std::string labelOf(int id) {
        runtime::SqlRow row;
        const runtime::SqlCell param[] = {std::to_string(id)};
        application().sqlca.selectInto("SELECT LABEL FROM PRODUCT WHERE ID = ?", param, row);
        return row.empty() ? "<none>" : row[0].value_or("<null>");
    }
};

TEST_P(ProductCopyTest, EveryTableIsCopiedUnderANewIdWithAFullNameOfItsOwn) {
    const auto before = totals();
    EXPECT_EQ(duplicate(), 6);
    EXPECT_EQ(labelOf(6), "Copy 2");  // "Alpha 1.00.00 Copy" is taken, whatever its letter case
    EXPECT_EQ(rowsOf("PRODUCT", 6), rowsOf("PRODUCT", 1));
    for (const char* table : pakomo::product_tables) {
        SCOPED_TRACE(table);
        EXPECT_FALSE(rowsOf(table, 1).empty());
        EXPECT_EQ(rowsOf(table, 6), rowsOf(table, 1));
    }
    // Only the copy's rows were added: the other products are untouched.
    const auto after = totals();
    for (const std::string& table : AllTables) {
        SCOPED_TRACE(table);
        const size_t copied = table == "PRODUCT" ? 1 : rowsOf(table, 1).size();
        EXPECT_EQ(std::stoul(after.at(table)), std::stoul(before.at(table)) + copied);
    }
    EXPECT_EQ(rowsOf("FILE", 2).size(), 1u);

    // Committed: another connection sees the copy.
    runtime::Transaction other;
    other.dbms = "ODBC";
    other.dbParm = application().sqlca.dbParm;
    ASSERT_EQ(other.connect(), 0) << other.sqlErrText;
    runtime::SqlRow row;
    EXPECT_EQ(other.selectInto("SELECT LABEL FROM PRODUCT WHERE ID = 6", {}, row), 0);
    other.disconnect();

    // A second copy takes the next free label.
    EXPECT_EQ(duplicate(), 7);
    EXPECT_EQ(labelOf(7), "Copy 3");
}

// The database refuses the copy's rows of one table (a row of the new id is in the way): nothing
// of the copy remains, the box names the table, and the next copy works on the same connection.
TEST_P(ProductCopyTest, ARefusedTableRollsEveryTableBack) {
    const struct {
        const char* table;
        const char* blocker;
    } cases[] = {
        {"STRINGS", "INSERT INTO STRINGS VALUES (1, 6, 'IN_THE_WAY', '')"},
        {"FILE", "INSERT INTO FILE VALUES (2, 6, 1, 'C:\\in\\the\\way', 0, 0, '', 0)"},
        {"PROGRESS", "INSERT INTO PROGRESS VALUES (6, 'in the way', 0)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.table);
        executeSql({c.blocker});
        const auto before = totals();
        const size_t shown = boxes.shown().size();
        boxes.answer(1);
        EXPECT_EQ(duplicate(), -1);
        ASSERT_EQ(boxes.shown().size(), shown + 1);
        const runtime::MessageBoxRequest& box = boxes.shown().back();
        EXPECT_EQ(box.title, "Duplicate product");
        EXPECT_NE(box.text.find(std::string("the table ") + c.table), std::string::npos) << box.text;
        EXPECT_NE(box.text.find("nothing was changed"), std::string::npos);
        EXPECT_EQ(totals(), before);
        EXPECT_EQ(labelOf(6), "<none>");
        executeSql({std::string("DELETE FROM ") + c.table + " WHERE PRODID = 6"});
    }
    EXPECT_EQ(duplicate(), 6);
    for (const char* table : pakomo::product_tables) EXPECT_EQ(rowsOf(table, 6), rowsOf(table, 1)) << table;
}

TEST_P(ProductCopyTest, AProductThatIsGoneIsReported) {
    application().gi_prod_id = 4;
    boxes.answer(1);
    EXPECT_EQ(duplicate(), -1);
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_NE(boxes.shown()[0].text.find("does not exist"), std::string::npos);
    EXPECT_EQ(labelOf(6), "<none>");
}

INSTANTIATE_DATABASE_TEST_SUITE_P(ProductCopyTest);

}  // namespace
