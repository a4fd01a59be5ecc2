// The row set against real databases through unixODBC, SQLite and PostgreSQL: retrieve and update.
#include "DataStoreFixture.h"

#include "runtime/core/Application.h"
#include "runtime/db/Transaction.h"
#include "support/runtime/RuntimeDoubles.h"
#include "support/ProjectDatabase.h"

#include <gtest/gtest.h>

#include <map>

using namespace runtime;
using rowset_fixture::fileLayout;
using rowset_fixture::ids;

namespace {

class DataStoreDatabaseTest : public ::testing::TestWithParam<testing_support::DatabaseSystem> {
protected:
    void SetUp() override {
        // A data source per test, so that the tests also pass when run in one process.
        source = testing_support::addProjectDataSource(GetParam());
        if (!source) GTEST_SKIP() << source.unavailable;
        sqlca.dbms = "ODBC";
        sqlca.dbParm = source.dbParm();
        ASSERT_EQ(sqlca.connect(), 0) << sqlca.sqlErrText;
        // VARCHAR, not CHAR: PostgreSQL pads CHAR(n) with blanks, SQLite keeps the text as given.
        exec("CREATE TABLE FILE (ID DECIMAL(10,0) NOT NULL, PRODID DECIMAL(10,0) NOT NULL, "
             "FILEGRPID DECIMAL(10,0), PATH VARCHAR(254), EXE NUMERIC, LINKTEXT VARCHAR(64), "
             "PRIMARY KEY (ID, PRODID))");
        // Stored as text by an older writer: the layout's types decide what the row set holds.
        exec("INSERT INTO FILE VALUES (1, 1, 10, 'C:\\a.exe', 1, 'A       ')");
        exec("INSERT INTO FILE VALUES (2, 1, '20', 'C:\\b.dll', '0', NULL)");
        exec("INSERT INTO FILE VALUES (3, 1, 10, 'C:\\O''Brien.txt', 0, 'Empty')");
        exec("INSERT INTO FILE VALUES (1, 2, 30, 'C:\\other.exe', 0, 'B')");
        ASSERT_EQ(sqlca.commit(), 0) << sqlca.sqlErrText;
        ds.setTransObject(&sqlca);
        ds.on("retrieveend", [this](Args args) {
            retrieveEnds.push_back(args[0].toInt());
            return Value();
        });
        ds.on("updateend", [this](Args args) {
            updateEnds.push_back({args[0].toInt(), args[1].toInt(), args[2].toInt()});
            return Value();
        });
    }
    void TearDown() override { sqlca.disconnect(); }

    void exec(const std::string& sql) { ASSERT_EQ(sqlca.executeImmediate(sql), 0) << sql << ": " << sqlca.sqlErrText; }

    // The table's rows as "id/prodid: path, linktext" by key, read through the transaction.
    std::map<std::string, std::string> tableRows() {
        std::map<std::string, std::string> rows;
        sqlca.query("SELECT ID, PRODID, PATH, LINKTEXT FROM FILE", {}, [&](SqlRow&& r) {
            rows[r[0].value_or("null") + "/" + r[1].value_or("null")] = r[2].value_or("null") + ", " + r[3].value_or("null");
        });
        return rows;
    }

    long retrieve(long prodid) {
        Value arg(prodid);
        return ds.retrieve(std::span<const Value>(&arg, 1));
    }

    testing_support::ProjectDataSource source;
    Transaction sqlca;
    DataStore ds{fileLayout()};
    std::vector<int64_t> retrieveEnds;
    std::vector<std::vector<int64_t>> updateEnds;
};

INSTANTIATE_DATABASE_TEST_SUITE_P(DataStoreDatabaseTest);

TEST_P(DataStoreDatabaseTest, RetrieveReplacesTheRowsWithTheLayoutsTypes) {
    ds.insertRow(0);
    EXPECT_EQ(retrieve(1), 3);
    EXPECT_EQ(retrieveEnds, (std::vector<int64_t>{3}));
    EXPECT_EQ(ids(ds), (std::vector<long>{1, 2, 3}));
    EXPECT_EQ(ds.getItem(2, "filegrpid"), Value(20));  // stored as text, read as the layout says
    EXPECT_EQ(ds.getItem(2, "exe"), Value(0.0));
    EXPECT_TRUE(ds.getItem(2, "linktext").isNull());
    EXPECT_EQ(ds.getItem(1, "linktext"), Value("A       "));  // trimming is the caller's affair
    EXPECT_EQ(ds.getItem(3, "path"), Value("C:\\O'Brien.txt"));
    EXPECT_EQ(ds.modifiedCount(), 0);
    EXPECT_EQ(ds.getItemStatus(1, 0), ItemStatus::NotModified);
    EXPECT_EQ(retrieve(2), 1);
    EXPECT_EQ(retrieve(3), 0);
    EXPECT_EQ(retrieveEnds, (std::vector<int64_t>{3, 1, 0}));
}

TEST_P(DataStoreDatabaseTest, RetrieveReappliesTheFilterAndSortsAndClearsDeletions) {
    ASSERT_EQ(ds.setFilter("filegrpid = 10"), 1);
    ASSERT_EQ(ds.setSort("id D"), 1);
    // The event sees the rows as the caller will.
    ds.on("retrieveend", [this](Args) {
        retrieveEnds.push_back(ds.filteredCount());
        return Value();
    });
    EXPECT_EQ(retrieve(1), 2);
    EXPECT_EQ(ids(ds), (std::vector<long>{3, 1}));
    EXPECT_EQ(ids(ds, Buffer::Filter), (std::vector<long>{2}));
    EXPECT_EQ(retrieveEnds, (std::vector<int64_t>{1}));
    ds.deleteRow(1);
    EXPECT_EQ(retrieve(1), 2);
    EXPECT_EQ(ds.deletedCount(), 0);
}

TEST_P(DataStoreDatabaseTest, RetrieveEndCanTrimEveryBufferWithoutLeavingChanges) {
    // What a row set ancestor does after each retrieve: trim its text columns, in the visible
    // rows and in the filtered ones, and mark the rows not modified.
    ds.on("retrieveend", [this](Args) {
        for (Buffer buffer : {Buffer::Primary, Buffer::Filter}) {
            for (long r = 1; r <= ds.rowCount(buffer); ++r) {
                for (int c = 1; c <= ds.columnCount(); ++c) {
                    if (ds.describe("#" + std::to_string(c) + ".coltype").rfind("char", 0) != 0) continue;
                    std::string text = ds.getItemString(r, c, buffer);
                    text.erase(text.find_last_not_of(' ') + 1);
                    ds.setItem(r, c, Value(text), buffer);
                }
                ds.setItemStatus(r, 0, buffer, ItemStatus::NotModified);
            }
        }
        return Value();
    });
    ASSERT_EQ(ds.setFilter("filegrpid = 20"), 1);
    ASSERT_EQ(retrieve(1), 1);
    EXPECT_EQ(ds.modifiedCount(), 0);
    ds.setFilter("");
    ds.filter();
    EXPECT_EQ(ds.find("linktext = 'A'", 1, ds.rowCount()), 1);
    EXPECT_EQ(ds.getItem(2, "linktext"), Value(""));  // null became the empty text
    EXPECT_EQ(ds.getItem(1, "linktext", Buffer::Primary, true), Value("A"));
    ASSERT_EQ(ds.update(), 1);
    EXPECT_EQ(tableRows().at("1/1"), "C:\\a.exe, A       ");  // nothing was written
}

TEST_P(DataStoreDatabaseTest, FailedRetrieveKeepsTheRows) {
    ASSERT_EQ(retrieve(1), 3);
    DataLayout broken = *fileLayout();
    broken.select = "SELECT NOSUCH FROM FILE WHERE PRODID = :1";
    DataStore other(std::make_shared<const DataLayout>(broken));
    other.setTransObject(&sqlca);
    Value arg(1);
    EXPECT_EQ(other.retrieve(std::span<const Value>(&arg, 1)), -1);
    EXPECT_FALSE(other.lastError().empty());
    EXPECT_EQ(ds.retrieve(), -1);  // argument :1 not given
    EXPECT_EQ(ds.rowCount(), 3);
    DataStore unbound(fileLayout());
    EXPECT_EQ(unbound.retrieve(std::span<const Value>(&arg, 1)), -1);
    EXPECT_EQ(retrieveEnds.size(), 1u);
}

TEST_P(DataStoreDatabaseTest, UpdateWritesDeletesInsertsAndUpdates) {
    ASSERT_EQ(retrieve(1), 3);
    ds.deleteRow(2);                                   // 2/1 goes
    ds.setItem(2, "linktext", Value("It's"));          // 3/1 changes
    ds.setItem(1, "id", Value(7));                     // 1/1 becomes 7/1, found by its stored key
    long row = ds.insertRow(0);                        // 4/1 comes
    ds.setItem(row, "id", Value(4));
    ds.setItem(row, "path", Value("C:\\new.txt"));
    ds.insertRow(0);                                   // never given a value: not written
    ASSERT_EQ(ds.update(), 1) << ds.lastError();
    EXPECT_EQ(updateEnds, (std::vector<std::vector<int64_t>>{{1, 2, 1}}));
    EXPECT_EQ(tableRows(), (std::map<std::string, std::string>{
                               {"7/1", "C:\\a.exe, A       "},
                               {"3/1", "C:\\O'Brien.txt, It's"},
                               {"4/1", "C:\\new.txt, Empty"},
                               {"1/2", "C:\\other.exe, B"}}));
    EXPECT_EQ(ds.modifiedCount(), 0);
    EXPECT_EQ(ds.deletedCount(), 0);
    EXPECT_EQ(ds.getItem(1, "id", Buffer::Primary, true), Value(7));  // stored = current
    EXPECT_EQ(ds.getItemStatus(3, 0), ItemStatus::NotModified);
    // Nothing is committed by the row set.
    ASSERT_EQ(sqlca.rollback(), 0);
    EXPECT_EQ(tableRows().count("2/1"), 1u);
}

TEST_P(DataStoreDatabaseTest, UpdateWritesNullsAndFindsRowsByNullKeys) {
    exec("CREATE TABLE NOTES (K VARCHAR(8), N VARCHAR(8))");
    exec("INSERT INTO NOTES VALUES (NULL, 'a')");
    DataLayout l;
    l.name = "d_notes";
    for (const char* name : {"k", "n"}) {
        ColumnLayout c;
        c.name = name;
        c.type = "char(8)";
        c.key = c.name == "k";
        c.updatable = true;
        l.columns.push_back(c);
    }
    l.select = "SELECT K, N FROM NOTES";
    l.updateTable = "NOTES";
    DataStore notes(std::make_shared<const DataLayout>(l));
    notes.setTransObject(&sqlca);
    ASSERT_EQ(notes.retrieve(), 1);
    notes.setItem(1, "n", Value());
    ASSERT_EQ(notes.update(), 1) << notes.lastError();
    long nulls = 0;
    sqlca.query("SELECT COUNT(*) FROM NOTES WHERE K IS NULL AND N IS NULL", {}, [&](SqlRow&& r) { nulls = std::stol(*r[0]); });
    EXPECT_EQ(nulls, 1);
}

TEST_P(DataStoreDatabaseTest, FailedUpdateKeepsEveryChangeForARetry) {
    ASSERT_EQ(retrieve(1), 3);
    ds.deleteRow(3);
    ds.setItem(1, "path", Value("C:\\changed.exe"));
    long row = ds.insertRow(0);
    ds.setItem(row, "id", Value(2));  // 2/1 exists: the INSERT fails
    ASSERT_EQ(ds.update(), -1);
    EXPECT_FALSE(ds.lastError().empty());
    EXPECT_TRUE(updateEnds.empty());
    EXPECT_EQ(ds.deletedCount(), 1);
    EXPECT_EQ(ds.modifiedCount(), 2);
    EXPECT_EQ(ds.getItemStatus(row, 0), ItemStatus::NewModified);
    EXPECT_EQ(ds.getItemStatus(1, 0), ItemStatus::DataModified);
    EXPECT_EQ(ds.getItem(1, "path", Buffer::Primary, true), Value("C:\\a.exe"));

    // The caller rolls back (the statements before the failing one are undone too), mends the
    // row and tries again.
    ASSERT_EQ(sqlca.rollback(), 0);
    EXPECT_EQ(tableRows(), (std::map<std::string, std::string>{
                               {"1/1", "C:\\a.exe, A       "},
                               {"2/1", "C:\\b.dll, null"},
                               {"3/1", "C:\\O'Brien.txt, Empty"},
                               {"1/2", "C:\\other.exe, B"}}));
    ds.setItem(row, "id", Value(9));
    ASSERT_EQ(ds.update(), 1) << ds.lastError();
    ASSERT_EQ(sqlca.commit(), 0);
    EXPECT_EQ(tableRows(), (std::map<std::string, std::string>{
                               {"1/1", "C:\\changed.exe, A       "},
                               {"2/1", "C:\\b.dll, null"},
                               {"9/1", "null, Empty"},
                               {"1/2", "C:\\other.exe, B"}}));
}

// Texts where the two databases could differ go in and come back unchanged, and each is found by
// itself; a text longer than the column is refused by the row set before the database sees it.
TEST_P(DataStoreDatabaseTest, TextsComeBackAsWrittenAndAreFoundByThemselves) {
    exec("CREATE TABLE TEXTS (ID DECIMAL(10,0) PRIMARY KEY, T VARCHAR(8))");
    ASSERT_EQ(sqlca.commit(), 0);
    DataLayout l;
    l.name = "d_texts";
    for (const char* name : {"id", "t"}) {
        ColumnLayout c;
        c.name = name;
        c.type = c.name == "id" ? "decimal(0)" : "char(8)";
        c.key = c.name == "id";
        c.updatable = true;
        l.columns.push_back(c);
    }
    l.select = "SELECT ID, T FROM TEXTS ORDER BY ID";
    l.updateTable = "TEXTS";
    auto layout = std::make_shared<const DataLayout>(l);

    struct Case {
        const char* name;
        Value text;
        bool accepted;
    };
    const Case cases[] = {
        {"an apostrophe", Value("O'Brien"), true},
        {"the empty text", Value(""), true},
        {"null", Value(), true},
        {"exactly the width", Value("12345678"), true},
        {"trailing blanks", Value("a   "), true},
        {"the same without them", Value("a"), true},
        {"upper case", Value("ABC"), true},
        {"lower case", Value("abc"), true},
        {"one longer than the width", Value("123456789"), false},
    };
    DataStore written(layout);
    written.setTransObject(&sqlca);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        long row = written.insertRow(0);
        ASSERT_EQ(written.setItem(row, "id", Value(row)), 1);
        EXPECT_EQ(written.setItem(row, "t", c.text), c.accepted ? 1 : -1);
        if (!c.accepted) {
            EXPECT_TRUE(written.getItem(row, "t").isNull());
        }
    }
    std::vector<long> nullRows;
    for (long row = 1; row <= written.rowCount(); ++row)
        if (written.getItem(row, "t").isNull()) nullRows.push_back(row);
    ASSERT_EQ(nullRows, (std::vector<long>{3, 9}));
    ASSERT_EQ(written.update(), 1) << written.lastError();
    ASSERT_EQ(sqlca.commit(), 0);

    DataStore read(layout);
    read.setTransObject(&sqlca);
    ASSERT_EQ(read.retrieve(), static_cast<long>(std::size(cases)));
    for (long row = 1; row <= read.rowCount(); ++row) {
        const Case& c = cases[row - 1];
        SCOPED_TRACE(c.name);
        const Value stored = c.accepted ? c.text : Value();
        EXPECT_EQ(read.getItem(row, "t").isNull(), stored.isNull());
        EXPECT_EQ(read.getItem(row, "t").toText(), stored.toText());
        // Found by an equal text, by null as null; no other row matches.
        std::vector<long> found;
        const SqlCell param[] = {stored.isNull() ? SqlCell() : SqlCell(stored.toText())};
        long code = stored.isNull()
                        ? sqlca.query("SELECT ID FROM TEXTS WHERE T IS NULL ORDER BY ID", {},
                                      [&](SqlRow&& r) { found.push_back(std::stol(*r[0])); })
                        : sqlca.query("SELECT ID FROM TEXTS WHERE T = ? ORDER BY ID", param,
                                      [&](SqlRow&& r) { found.push_back(std::stol(*r[0])); });
        ASSERT_EQ(code, 0) << sqlca.sqlErrText;
        EXPECT_EQ(found, stored.isNull() ? nullRows : std::vector<long>{row});
    }
}

TEST_P(DataStoreDatabaseTest, ARowChangedBehindTheRowSetFailsTheUpdate) {
    ASSERT_EQ(retrieve(1), 3);
    exec("DELETE FROM FILE WHERE ID = 2 AND PRODID = 1");
    ds.setItem(2, "path", Value("C:\\x"));
    EXPECT_EQ(ds.update(), -1);
    EXPECT_EQ(ds.getItemStatus(2, 0), ItemStatus::DataModified);
}

// A database error that no dberror script handles is shown in a box titled as the application
// says; a script answering 1 handles it silently. The script learns the statement, buffer and row.
TEST_P(DataStoreDatabaseTest, DatabaseErrorsRaiseDbErrorAndShowTheApplicationsTitleUnlessHandled) {
    Application app("pakomo");
    app.setDwMessageTitle("Serious error");
    struct Case {
        const char* name;
        bool hasScript;
        int answer;       // the script's answer
        bool retrieve;    // retrieve with a broken statement, else update
        bool rowChanged;  // the row went away behind the row set
        int bufferCode;
        long row;
        bool boxShown;
    };
    const Case cases[] = {
        {"retrieve, no script", false, 0, true, false, 0, 0, true},
        {"duplicate insert, handled", true, 1, false, false, 0, 4, false},
        {"row changed, not handled", true, 0, false, true, 0, 2, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedMessageBoxes boxes;
        if (c.boxShown) boxes.answer(1);
        DataLayout layout = *fileLayout();
        if (c.retrieve) layout.select = "SELECT NOSUCH FROM FILE WHERE PRODID = :1";
        DataStore rows(std::make_shared<const DataLayout>(layout));
        rows.setTransObject(&sqlca);
        std::vector<Value> seen;
        if (c.hasScript)
            rows.on("DBError", [&](Args a) {
                seen.assign(a.begin(), a.end());
                return Value(c.answer);
            });
        Value arg(1);
        if (c.retrieve) {
            EXPECT_EQ(rows.retrieve(std::span<const Value>(&arg, 1)), -1);
        } else {
            ASSERT_EQ(rows.retrieve(std::span<const Value>(&arg, 1)), 3);
            if (c.rowChanged) {
                exec("DELETE FROM FILE WHERE ID = 2 AND PRODID = 1");
                rows.setItem(2, "path", Value("C:\\x"));
            } else {
                rows.setItem(rows.insertRow(0), "id", Value(2));
            }
            EXPECT_EQ(rows.update(), -1);
        }
        ASSERT_EQ(sqlca.rollback(), 0);  // a failed statement ends PostgreSQL's transaction
        if (c.hasScript) {
            ASSERT_EQ(seen.size(), 5u);
            EXPECT_EQ(seen[1].toText(), rows.lastError());
            EXPECT_NE(seen[2].toText().find(c.retrieve ? "SELECT" : c.rowChanged ? "UPDATE" : "INSERT"),
                      std::string::npos);
            EXPECT_EQ(seen[3].toInt(), c.bufferCode);
            EXPECT_EQ(seen[4].toInt(), c.row);
        }
        ASSERT_EQ(boxes.shown().size(), c.boxShown ? 1u : 0u);
        if (c.boxShown) {
            EXPECT_EQ(boxes.shown()[0].title, "Serious error");
            EXPECT_EQ(boxes.shown()[0].text, rows.lastError());
            EXPECT_EQ(boxes.shown()[0].icon, MessageIcon::StopSign);
        }
    }
}

TEST_P(DataStoreDatabaseTest, UpdateRefusesLayoutsItCannotWrite) {
    struct Case {
        const char* name;
        std::function<void(DataLayout&)> change;
    };
    const std::vector<Case> cases = {
        {"no update table", [](DataLayout& l) { l.updateTable.clear(); }},
        {"no key columns", [](DataLayout& l) { for (auto& c : l.columns) c.key = false; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DataLayout l = *fileLayout();
        c.change(l);
        DataStore other(std::make_shared<const DataLayout>(l));
        other.setTransObject(&sqlca);
        Value arg(1);
        ASSERT_EQ(other.retrieve(std::span<const Value>(&arg, 1)), 3);
        other.setItem(1, "path", Value("C:\\x"));
        EXPECT_EQ(other.update(), -1);
        EXPECT_FALSE(other.lastError().empty());
        EXPECT_EQ(other.modifiedCount(), 1);
    }
    EXPECT_EQ(tableRows().at("1/1"), "C:\\a.exe, A       ");
}

TEST_P(DataStoreDatabaseTest, ChangesOnlyInColumnsNotWrittenAreSkipped) {
    DataLayout l = *fileLayout();
    l.columns[3].updatable = false;  // path
    DataStore other(std::make_shared<const DataLayout>(l));
    other.setTransObject(&sqlca);
    Value arg(1);
    ASSERT_EQ(other.retrieve(std::span<const Value>(&arg, 1)), 3);
    other.setItem(1, "path", Value("C:\\x"));
    EXPECT_EQ(other.update(), 1) << other.lastError();
    EXPECT_EQ(tableRows().at("1/1"), "C:\\a.exe, A       ");
}

TEST_P(DataStoreDatabaseTest, SharedRowSetsSaveOnce) {
    DataStore view(fileLayout());
    ASSERT_EQ(retrieve(1), 3);
    ds.shareData(view);
    view.setItem(1, "path", Value("C:\\via view"));
    EXPECT_EQ(ds.modifiedCount(), 1);
    ASSERT_EQ(ds.update(), 1) << ds.lastError();
    EXPECT_EQ(view.modifiedCount(), 0);
    EXPECT_EQ(tableRows().at("1/1"), "C:\\via view, A       ");
}

}  // namespace
