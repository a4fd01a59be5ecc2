// The transaction object against real databases through unixODBC: SQLite and PostgreSQL.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "runtime/db/Transaction.h"
#include "support/ProjectDatabase.h"
#include "support/TempFolder.h"

using runtime::SqlCell;
using runtime::SqlRow;
using runtime::Transaction;
using runtime::Value;

namespace {

class TransactionTest : public ::testing::TestWithParam<testing_support::DatabaseSystem> {
protected:
    void SetUp() override {
        // A source of its own per test, so that the tests also pass when run in one process.
        source = testing_support::addProjectDataSource(GetParam());
        if (!source) GTEST_SKIP() << source.unavailable;
        setUpTransaction(sqlca);
        ASSERT_EQ(sqlca.connect(), 0) << sqlca.sqlErrText;
        sqlca.autoCommit = true;
        ASSERT_EQ(sqlca.executeImmediate("CREATE TABLE FILE (ID DECIMAL(10,0) PRIMARY KEY, PATH VARCHAR(8000))"),
                  0)
            << sqlca.sqlErrText;
        ASSERT_EQ(sqlca.executeImmediate("INSERT INTO FILE VALUES (1, 'a.exe')"), 0) << sqlca.sqlErrText;
        ASSERT_EQ(sqlca.executeImmediate("INSERT INTO FILE VALUES (2, 'b.dll')"), 0);
        sqlca.autoCommit = false;
    }

    void setUpTransaction(Transaction& t) const {
        t.dbms = "ODBC";
        t.dbParm = source.dbParm();
    }

    // Rows of FILE as seen through a second connection (only committed work).
    long committedRows() {
        Transaction other;
        setUpTransaction(other);
        EXPECT_EQ(other.connect(), 0) << other.sqlErrText;
        long n = 0;
        other.query("SELECT ID FROM FILE", {}, [&](SqlRow&&) { ++n; });
        other.disconnect();
        return n;
    }

    testing_support::ProjectDataSource source;
    Transaction sqlca;
};

INSTANTIATE_DATABASE_TEST_SUITE_P(TransactionTest);

TEST(TransactionConnect, RefusesBadParametersBeforeTheDriver) {
    struct Case {
        std::string dbms, dbParm, textPart;
    };
    const Case cases[] = {
        {"ODBC", "Connectstring='DSN='", "data source name is empty"},
        {"ODBC", "Connectstring='DSN=  '", "data source name is empty"},
        {"ODBC", "", "Malformed"},
        {"ODBC", "DSN=rux_project", "Malformed"},
        {"ODBC", "Connectstring=DSN=rux_project", "Malformed"},
        {"ODBC", "Connectstring='Database=/tmp/x.db'", "Malformed"},
        {"ODBC", "Connectstring='DSN=a;Database=/tmp/stray.db'", "not allowed"},
        {"ODBC", "Connectstring='DSN=a'b'", "not allowed"},
        {"ODBC", "Connectstring='DSN=" + std::string(33, 'n') + "'", "longer than 32"},
        {"", "Connectstring='DSN=rux_project'", "not supported"},
    };
    testing_support::TempFolder cwd("cwd");
    std::filesystem::current_path(cwd.path());
    for (const Case& c : cases) {
        Transaction t;
        t.dbms = c.dbms;
        t.dbParm = c.dbParm;
        EXPECT_EQ(t.connect(), -1) << c.dbParm;
        EXPECT_EQ(t.sqlCode, -1);
        EXPECT_NE(t.sqlErrText.find(c.textPart), std::string::npos) << c.dbParm << ": " << t.sqlErrText;
        EXPECT_FALSE(t.isConnected());
    }
    // Nothing reached the driver, so no stray database appeared.
    EXPECT_TRUE(std::filesystem::is_empty(cwd.path()));
    EXPECT_FALSE(std::filesystem::exists("/tmp/stray.db"));
}

TEST(TransactionConnect, UnknownDataSourceGivesTheDriverManagersText) {
    Transaction t;
    t.dbms = "odbc";
    t.dbParm = "Connectstring='DSN=no_such_source'";
    EXPECT_EQ(t.connect(), -1);
    EXPECT_FALSE(t.sqlErrText.empty());
    EXPECT_FALSE(t.isConnected());
    EXPECT_EQ(t.disconnect(), -1);
    EXPECT_EQ(t.sqlErrText, "Transaction not connected");
}

TEST_P(TransactionTest, PackCompactsForTablesThatExist) {
    struct Case {
        bool autoCommit;
        std::string statement;
        long code;
        std::string textPart;
    };
    const Case cases[] = {
        {true, "PACK File", 0, ""},
        {true, "pack FILE;", 0, ""},
        {true, "PACK Wfinish", -1, "no table named Wfinish"},
        {true, "PACK", -1, ""},
        {false, "PACK File", -1, "AutoCommit"},
    };
    for (const Case& c : cases) {
        sqlca.autoCommit = c.autoCommit;
        EXPECT_EQ(sqlca.executeImmediate(c.statement), c.code) << c.statement << ": " << sqlca.sqlErrText;
        EXPECT_NE(sqlca.sqlErrText.find(c.textPart), std::string::npos)
            << c.statement << ": " << sqlca.sqlErrText;
    }
    // The rows survive the compaction.
    EXPECT_EQ(committedRows(), 2);
}

// SQLite compacts only the database as a whole; PostgreSQL compacts the one table.
class PostgresTransactionTest : public TransactionTest {};
INSTANTIATE_TEST_SUITE_P(, PostgresTransactionTest, ::testing::Values(testing_support::DatabaseSystem::PostgreSQL),
                         [](const auto&) { return std::string("PostgreSQL"); });

TEST_P(PostgresTransactionTest, PackVacuumsOnlyThatTable) {
    sqlca.autoCommit = true;
    ASSERT_EQ(sqlca.executeImmediate("CREATE TABLE WFINISH (ID DECIMAL(10,0))"), 0) << sqlca.sqlErrText;
    ASSERT_EQ(sqlca.executeImmediate("PACK File"), 0) << sqlca.sqlErrText;
    std::vector<SqlRow> vacuumed;
    ASSERT_EQ(sqlca.query("SELECT relname, vacuum_count FROM pg_stat_user_tables ORDER BY relname", {},
                          [&](SqlRow&& r) { vacuumed.push_back(std::move(r)); }),
              0)
        << sqlca.sqlErrText;
    EXPECT_EQ(vacuumed, (std::vector<SqlRow>{{SqlCell("file"), SqlCell("1")}, {SqlCell("wfinish"), SqlCell("0")}}));
}

TEST_P(TransactionTest, EndsTransactionsThroughTheDriverAlsoWhenSentAsText) {
    struct Case {
        std::string end;
        long rowsAfter;
    };
    const Case cases[] = {
        {"ROLLBACK", 2}, {"COMMIT", 3},        {"rollback work;", 3}, {"Commit Transaction", 4},
        {"", 5},         {"exec:ROLLBACK", 5}, {"exec:COMMIT", 6},
    };
    long id = 10;
    for (const Case& c : cases) {
        ASSERT_EQ(sqlca.executeValues("INSERT INTO FILE VALUES (?, 'x')", std::vector<Value>{Value(id++)}), 0)
            << sqlca.sqlErrText;
        if (c.end.empty())
            EXPECT_EQ(sqlca.commit(), 0);
        else if (c.end.rfind("exec:", 0) == 0)
            EXPECT_EQ(sqlca.execute(c.end.substr(5)), 0) << c.end << ": " << sqlca.sqlErrText;
        else
            EXPECT_EQ(sqlca.executeImmediate(c.end), 0) << c.end << ": " << sqlca.sqlErrText;
        EXPECT_EQ(committedRows(), c.rowsAfter) << c.end;
    }
    // The connection still works after text COMMITs and ROLLBACKs.
    EXPECT_EQ(sqlca.executeImmediate("UPDATE FILE SET PATH = 'c' WHERE ID = 1"), 0) << sqlca.sqlErrText;
    EXPECT_EQ(sqlca.rollback(), 0);
}

TEST_P(TransactionTest, StatementsThatTouchNoRowAnswer100) {
    struct Case {
        std::string sql;
        std::vector<Value> params;
        long code;
        long rows;
    };
    const std::vector<Case> cases = {
        {"UPDATE FILE SET PATH = 'z' WHERE ID = 99", {}, 100, 0},
        {"DELETE FROM FILE WHERE ID = 99", {}, 100, 0},
        {"DELETE FROM FILE WHERE ID = ?", {Value(99)}, 100, 0},
        {"UPDATE FILE SET PATH = ? WHERE ID = ?", {Value("y"), Value(1)}, 0, 1},
        {"DELETE FROM FILE WHERE ID = ?", {Value(2)}, 0, 1},
        {"INSERT INTO FILE VALUES (?, ?)", {Value(3), Value(nullptr)}, 0, 1},
        {"DELETE FROM FILE WHERE ID = ?", {Value(2)}, 100, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(sqlca.executeValues(c.sql, c.params), c.code) << c.sql << ": " << sqlca.sqlErrText;
        EXPECT_EQ(sqlca.sqlNRows, c.rows) << c.sql;
    }
    SqlRow row;
    ASSERT_EQ(sqlca.selectInto("SELECT PATH FROM FILE WHERE ID = 3", {}, row), 0) << sqlca.sqlErrText;
    ASSERT_EQ(row.size(), 1u);
    EXPECT_FALSE(row[0].has_value());
}

// Saving a row set sends one statement text row after row: each run answers for itself, also
// after a failed one, a commit, or a table dropped and made again under the same name.
TEST_P(TransactionTest, OneStatementSentRowAfterRowAnswersEachTime) {
    const std::string insert = "INSERT INTO FILE (ID, PATH) VALUES (?, ?)";
    const std::string update = "UPDATE FILE SET PATH = ? WHERE ID = ?";
    struct Case {
        std::string sql;
        std::vector<Value> params;
        long code;
    };
    const std::vector<Case> cases = {
        {insert, {Value(3), Value("c.txt")}, 0},  {insert, {Value(4), Value(nullptr)}, 0},
        {insert, {Value(3), Value("again")}, -1}, {insert, {Value(5), Value("e.txt")}, 0},
        {update, {Value("x"), Value(99)}, 100},   {update, {Value("d.txt"), Value(4)}, 0},
        {update, {Value("y"), Value(98)}, 100},   {insert, {Value(6), Value("f.txt")}, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(sqlca.executeValues(c.sql, c.params), c.code) << c.sql << ": " << sqlca.sqlErrText;
        if (c.code >= 0) {
            EXPECT_EQ(sqlca.sqlNRows, c.code == 0 ? 1 : 0) << c.sql;
        }
    }
    ASSERT_EQ(sqlca.commit(), 0) << sqlca.sqlErrText;
    EXPECT_EQ(sqlca.executeValues(insert, std::vector<Value>{Value(7), Value("g.txt")}), 0)
        << sqlca.sqlErrText;
    ASSERT_EQ(sqlca.commit(), 0) << sqlca.sqlErrText;
    EXPECT_EQ(committedRows(), 7);
    SqlRow row;
    ASSERT_EQ(sqlca.selectInto("SELECT PATH FROM FILE WHERE ID = 4", {}, row), 0) << sqlca.sqlErrText;
    EXPECT_EQ(row, (SqlRow{SqlCell("d.txt")}));

    const std::string copy = "INSERT INTO COPY_OF_FILE (ID) VALUES (?)";
    for (int round = 0; round < 2; ++round) {
        ASSERT_EQ(sqlca.executeImmediate("CREATE TABLE COPY_OF_FILE (ID DECIMAL(10,0))"), 0)
            << sqlca.sqlErrText;
        EXPECT_EQ(sqlca.executeValues(copy, std::vector<Value>{Value(round)}), 0) << sqlca.sqlErrText;
        ASSERT_EQ(sqlca.selectInto("SELECT ID FROM COPY_OF_FILE", {}, row), 0) << sqlca.sqlErrText;
        EXPECT_EQ(row, (SqlRow{SqlCell(std::to_string(round))}));
        EXPECT_EQ(sqlca.executeImmediate("DROP TABLE COPY_OF_FILE"), 0) << sqlca.sqlErrText;
    }
    EXPECT_EQ(sqlca.commit(), 0) << sqlca.sqlErrText;
}

// Row after row the statement keeps its parameters bound and only puts the next values in: each
// row is stored as given whether its values change kind, length or neither.
TEST_P(TransactionTest, OneStatementRowAfterRowStoresEachRowAsGiven) {
    const std::string insert = "INSERT INTO FILE (ID, PATH) VALUES (?, ?)";
    const std::string longer(700, 'L');
    const std::vector<std::pair<long, Value>> rows = {
        {10, Value("abc")},  {11, Value("xyz")},  {12, Value(nullptr)},
        {13, Value("abcd")}, {14, Value("ab")},   {15, Value(nullptr)},
        {16, Value("")},     {17, Value(longer)}, {18, Value(std::string(700, 'M'))},
        {19, Value("q")},    {20, Value("r")},
    };
    for (const auto& [id, path] : rows)
        ASSERT_EQ(sqlca.executeValues(insert, std::vector<Value>{Value(id), path}), 0)
            << id << ": " << sqlca.sqlErrText;
    const std::string update = "UPDATE FILE SET PATH = ? WHERE ID = ?";
    EXPECT_EQ(sqlca.executeValues(update, std::vector<Value>{Value("one"), Value(10)}), 0)
        << sqlca.sqlErrText;
    EXPECT_EQ(sqlca.executeValues(update, std::vector<Value>{Value("two"), Value(99)}), 100);
    EXPECT_EQ(sqlca.executeValues(update, std::vector<Value>{Value("six"), Value(11)}), 0)
        << sqlca.sqlErrText;
    ASSERT_EQ(sqlca.commit(), 0) << sqlca.sqlErrText;

    std::vector<std::pair<std::string, SqlCell>> stored;
    sqlca.query("SELECT ID, PATH FROM FILE WHERE ID >= 10 ORDER BY ID", {},
                [&](SqlRow&& r) { stored.emplace_back(r[0].value_or(""), r[1]); });
    ASSERT_EQ(stored.size(), rows.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        const long id = rows[i].first;
        SqlCell expected = rows[i].second.isNull() ? SqlCell() : SqlCell(rows[i].second.toText());
        if (id == 10) expected = "one";
        if (id == 11) expected = "six";
        EXPECT_EQ(std::stol(stored[i].first), id);
        EXPECT_EQ(stored[i].second, expected) << id;
    }
}

TEST_P(TransactionTest, SelectIntoLeavesValuesAloneWhenNoRowMatches) {
    SqlRow into = {SqlCell("kept"), std::nullopt};
    const SqlCell missing[] = {SqlCell("99")};
    EXPECT_EQ(sqlca.selectInto("SELECT ID, PATH FROM FILE WHERE ID = ?", missing, into), 100);
    EXPECT_EQ(into, (SqlRow{SqlCell("kept"), std::nullopt}));

    const SqlCell first[] = {SqlCell("1")};
    EXPECT_EQ(sqlca.selectInto("SELECT ID, PATH FROM FILE WHERE ID = ?", first, into), 0) << sqlca.sqlErrText;
    EXPECT_EQ(into, (SqlRow{SqlCell("1"), SqlCell("a.exe")}));

    into = {SqlCell("kept")};
    EXPECT_EQ(sqlca.selectInto("SELECT ID FROM FILE", {}, into), -1);
    EXPECT_EQ(into, (SqlRow{SqlCell("kept")}));
}

TEST_P(TransactionTest, ErrorTextIsReadStraightAfterTheFailingCall) {
    EXPECT_EQ(sqlca.executeImmediate("SELEC nonsense"), -1);
    EXPECT_FALSE(sqlca.sqlErrText.empty());
    EXPECT_NE(sqlca.sqlDbCode, 0);
    ASSERT_EQ(sqlca.executeImmediate("INSERT INTO FILE VALUES (5, 'before.txt')"), 0) << sqlca.sqlErrText;
    EXPECT_EQ(sqlca.query("SELECT * FROM NO_TABLE", {}, [](SqlRow&&) {}), -1);
    EXPECT_EQ(sqlca.executeImmediate("INSERT INTO FILE VALUES (1, 'duplicate')"), -1);
    std::string text = sqlca.sqlErrText;
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    EXPECT_NE(text.find("unique"), std::string::npos) << sqlca.sqlErrText;
    EXPECT_EQ(sqlca.executeImmediate("UPDATE FILE SET PATH = 'q' WHERE ID = 1"), 0);
    EXPECT_EQ(sqlca.sqlErrText, "");
    EXPECT_EQ(sqlca.sqlDbCode, 0);
    // A failed statement undoes only itself, on PostgreSQL as on SQLite: the work before and after
    // it is still there to commit.
    ASSERT_EQ(sqlca.commit(), 0) << sqlca.sqlErrText;
    EXPECT_EQ(committedRows(), 3);
    SqlRow row;
    EXPECT_EQ(sqlca.selectInto("SELECT PATH FROM FILE WHERE ID = 1", {}, row), 0);
    EXPECT_EQ(row, (SqlRow{SqlCell("q")}));
}

TEST_P(TransactionTest, DisconnectWithAnOpenTransactionKeepsTheWork) {
    ASSERT_EQ(sqlca.executeImmediate("INSERT INTO FILE VALUES (7, 'open.txt')"), 0) << sqlca.sqlErrText;
    ASSERT_EQ(sqlca.executeImmediate("DELETE FROM FILE WHERE ID = 1"), 0);
    EXPECT_EQ(sqlca.disconnect(), 0) << sqlca.sqlErrText;
    EXPECT_FALSE(sqlca.isConnected());
    // The shut-down order: reconnect with automatic commit on, pack, disconnect.
    sqlca.autoCommit = true;
    ASSERT_EQ(sqlca.connect(), 0) << sqlca.sqlErrText;
    EXPECT_EQ(sqlca.executeImmediate("PACK File"), 0) << sqlca.sqlErrText;
    SqlRow row;
    EXPECT_EQ(sqlca.selectInto("SELECT PATH FROM FILE WHERE ID = 7", {}, row), 0);
    EXPECT_EQ(sqlca.selectInto("SELECT PATH FROM FILE WHERE ID = 1", {}, row), 100);
    EXPECT_EQ(sqlca.disconnect(), 0);
    EXPECT_EQ(committedRows(), 2);
}

TEST_P(TransactionTest, QueryHandsOverEveryRowInOrder) {
    const std::string longText(5000, 'x');  // longer than any fetch buffer
    ASSERT_EQ(sqlca.execute("INSERT INTO FILE VALUES (?, ?)",
                            std::vector<SqlCell>{SqlCell("3"), SqlCell(longText)}),
              0)
        << sqlca.sqlErrText;
    ASSERT_EQ(sqlca.execute("INSERT INTO FILE VALUES (4, NULL)"), 0);
    std::vector<SqlRow> rows;
    const SqlCell above[] = {SqlCell("1")};
    EXPECT_EQ(sqlca.query("SELECT ID, PATH FROM FILE WHERE ID > ? ORDER BY ID", above,
                          [&](SqlRow&& r) { rows.push_back(std::move(r)); }),
              0)
        << sqlca.sqlErrText;
    EXPECT_EQ(sqlca.sqlNRows, 3);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0], (SqlRow{SqlCell("2"), SqlCell("b.dll")}));
    EXPECT_EQ(rows[1], (SqlRow{SqlCell("3"), SqlCell(longText)}));
    EXPECT_EQ(rows[2], (SqlRow{SqlCell("4"), std::nullopt}));

    // The same rows as views into the fetch buffers.
    std::vector<SqlRow> viewed;
    EXPECT_EQ(sqlca.queryViews("SELECT ID, PATH FROM FILE WHERE ID > ? ORDER BY ID", above,
                               [&](std::span<const runtime::SqlCellView> cells) {
                                   SqlRow r;
                                   for (const auto& c : cells)
                                       r.push_back(c ? SqlCell(std::string(*c)) : std::nullopt);
                                   viewed.push_back(std::move(r));
                               }),
              0);
    EXPECT_EQ(viewed, rows);

    EXPECT_EQ(sqlca.query("SELECT * FROM NO_TABLE", {}, [](SqlRow&&) {}), -1);
    EXPECT_FALSE(sqlca.sqlErrText.empty());
}

}  // namespace

// While the program waits for its user it holds nothing of the database: every kind of read ends
// its transaction at once, so that a second program writes without waiting and a server shows no
// open transaction. Work sent but not committed stays open for its commit, also across a read;
// another writer that meets it is refused once the driver's retries run out, and told what to do.
TEST_P(TransactionTest, ReadsHoldNoLockButUnsavedWorkStaysOpenUntilItsCommit) {
    const bool postgres = GetParam() == testing_support::DatabaseSystem::PostgreSQL;
    Transaction other;
    setUpTransaction(other);
    other.autoCommit = true;
    ASSERT_EQ(other.connect(), 0) << other.sqlErrText;
    // The server waits for a row lock as long as it is held; SQLite's driver for its Timeout.
    if (postgres) {
        ASSERT_EQ(other.executeImmediate("SET lock_timeout = '300ms'"), 0) << other.sqlErrText;
    }
    auto idleInTransaction = [&]() -> std::string {
        if (!postgres) return "-";
        SqlRow row;
        EXPECT_EQ(other.selectInto("SELECT COUNT(*) FROM pg_stat_activity WHERE datname = current_database() "
                                   "AND state LIKE 'idle in transaction%'",
                                   {}, row),
                  0)
            << other.sqlErrText;
        return row.empty() ? "" : row[0].value_or("");
    };

    struct Read {
        const char* name;
        std::function<long()> run;
    };
    SqlRow row;
    const std::vector<Read> reads = {
        {"selectInto", [&] { return sqlca.selectInto("SELECT PATH FROM FILE WHERE ID = 1", {}, row); }},
        {"query", [&] { return sqlca.query("SELECT ID FROM FILE", {}, [](SqlRow&&) {}); }},
        {"queryValueViews",
         [&] {
             const Value id[] = {Value(1)};
             return sqlca.queryValueViews("SELECT PATH FROM FILE WHERE ID = ?", id, [](auto) {});
         }},
        {"a SELECT as a statement", [&] { return sqlca.executeImmediate("SELECT ID FROM FILE"); }},
        {"a read inside a read",
         [&] {
             return sqlca.query("SELECT ID FROM FILE", {}, [&](SqlRow&&) {
                 sqlca.selectInto("SELECT PATH FROM FILE WHERE ID = 2", {}, row);
             });
         }},
        {"a failing read",
         [&] { return sqlca.query("SELECT * FROM NO_TABLE", {}, [](SqlRow&&) {}) == -1 ? 0 : 1; }},
    };
    int n = 0;
    for (const Read& read : reads) {
        SCOPED_TRACE(read.name);
        EXPECT_EQ(read.run(), 0) << sqlca.sqlErrText;
        EXPECT_EQ(idleInTransaction(), postgres ? "0" : "-");
        const std::string path = "other " + std::to_string(++n);
        EXPECT_EQ(
            other.executeValues("UPDATE FILE SET PATH = ? WHERE ID = 2", std::vector<Value>{Value(path)}), 0)
            << other.sqlErrText;
    }

    ASSERT_EQ(sqlca.executeImmediate("UPDATE FILE SET PATH = 'mine' WHERE ID = 1"), 0) << sqlca.sqlErrText;
    ASSERT_EQ(sqlca.selectInto("SELECT PATH FROM FILE WHERE ID = 1", {}, row), 0) << sqlca.sqlErrText;
    EXPECT_EQ(row, (SqlRow{SqlCell("mine")}));
    EXPECT_EQ(idleInTransaction(), postgres ? "1" : "-");
    EXPECT_EQ(other.executeImmediate("UPDATE FILE SET PATH = 'late' WHERE ID = 1"), -1);
    EXPECT_NE(other.sqlErrText.find(Transaction::busyAdvice), std::string::npos) << other.sqlErrText;
    ASSERT_EQ(sqlca.commit(), 0) << sqlca.sqlErrText;
    EXPECT_EQ(idleInTransaction(), postgres ? "0" : "-");
    ASSERT_EQ(other.selectInto("SELECT PATH FROM FILE WHERE ID = 1", {}, row), 0) << other.sqlErrText;
    EXPECT_EQ(row, (SqlRow{SqlCell("mine")}));
    other.disconnect();
}
