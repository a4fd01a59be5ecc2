// Retrieves 100,000 rows of a FILE-like table through a row set and through a bare ODBC fetch
// loop of the same SELECT, and prints the ratio of the two times; then filters and sorts those
// rows and prints the time per row.
//
// Usage: bench_rowset_retrieve [rows]   (a temporary SQLite database and data source are made)
#include "runtime/data/DataStore.h"
#include "runtime/db/Transaction.h"

#include <sql.h>
#include <sqlext.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

const char* kDsn = "rux_bench_rowsets";
const char* kSelect =
    "SELECT FILE.ID, FILE.PRODID, FILE.FILEGRPID, FILE.PATH, FILE.README, FILE.EXE, FILE.LINKTEXT, "
    "FILE.SHARED FROM FILE WHERE FILE.PRODID = ? ORDER BY FILE.ID";

double seconds(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double>(b - a).count(); }

[[noreturn]] void die(const std::string& what) {
    std::fprintf(stderr, "rowset_retrieve: %s\n", what.c_str());
    std::exit(1);
}

std::shared_ptr<const runtime::DataLayout> fileLayout() {
    runtime::DataLayout l;
    l.name = "d_bench_file";
    auto col = [&](const char* name, const char* type, bool key) {
        runtime::ColumnLayout c;
        c.name = name;
        c.dbName = std::string("FILE.") + name;
        c.type = type;
        c.key = key;
        c.updatable = true;
        l.columns.push_back(std::move(c));
    };
    col("id", "decimal(0)", true);
    col("prodid", "decimal(0)", true);
    col("filegrpid", "decimal(0)", false);
    col("path", "char(254)", false);
    col("readme", "number", false);
    col("exe", "number", false);
    col("linktext", "char(64)", false);
    col("shared", "number", false);
    l.computed.push_back({"c_max_id", "max(  id  for all )"});
    std::string select = kSelect;
    select.replace(select.find('?'), 1, ":1");
    l.select = select;
    l.updateTable = "FILE";
    return std::make_shared<const runtime::DataLayout>(std::move(l));
}

// The same SELECT with nothing but the driver's calls: every cell read as text.
long bareFetch(long prodid, std::size_t& bytes) {
    SQLHENV env = SQL_NULL_HENV;
    SQLHDBC dbc = SQL_NULL_HDBC;
    SQLHSTMT st = SQL_NULL_HSTMT;
    SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env);
    SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc);
    std::string conn = std::string("DSN=") + kDsn;
    if (!SQL_SUCCEEDED(SQLDriverConnect(dbc, nullptr, (SQLCHAR*)conn.c_str(), SQL_NTS, nullptr, 0, nullptr,
                                        SQL_DRIVER_NOPROMPT)))
        die("bare connect failed");
    SQLAllocHandle(SQL_HANDLE_STMT, dbc, &st);
    SQLINTEGER arg = static_cast<SQLINTEGER>(prodid);
    SQLBindParameter(st, 1, SQL_PARAM_INPUT, SQL_C_SLONG, SQL_INTEGER, 0, 0, &arg, 0, nullptr);
    if (!SQL_SUCCEEDED(SQLExecDirect(st, (SQLCHAR*)kSelect, SQL_NTS))) die("bare select failed");
    SQLSMALLINT columns = 0;
    SQLNumResultCols(st, &columns);
    char buffer[512];
    long rows = 0;
    while (SQL_SUCCEEDED(SQLFetch(st))) {
        for (SQLUSMALLINT c = 1; c <= static_cast<SQLUSMALLINT>(columns); ++c) {
            SQLLEN indicator = 0;
            SQLGetData(st, c, SQL_C_CHAR, buffer, sizeof buffer, &indicator);
            if (indicator > 0) bytes += static_cast<std::size_t>(indicator);
        }
        ++rows;
    }
    SQLFreeHandle(SQL_HANDLE_STMT, st);
    SQLDisconnect(dbc);
    SQLFreeHandle(SQL_HANDLE_DBC, dbc);
    SQLFreeHandle(SQL_HANDLE_ENV, env);
    return rows;
}

}  // namespace

int main(int argc, char** argv) {
    long rowsWanted = argc > 1 ? std::atol(argv[1]) : 100000;
    if (rowsWanted < 1) die("bad row count");

    // A data source of our own over a temporary database.
    fs::path folder = fs::temp_directory_path() / ("rux-bench-" + std::to_string(getpid()));
    fs::create_directories(folder);
    fs::path db = folder / "bench.db";
    std::ofstream(db).close();
    {
        std::ofstream ini(folder / "odbc.ini");
        ini << "[" << kDsn << "]\nDriver=SQLite3\nDatabase=" << db.string() << "\nNoCreat=1\n";
    }
    setenv("ODBCINI", (folder / "odbc.ini").c_str(), 1);

    runtime::Transaction sqlca;
    sqlca.dbms = "ODBC";
    sqlca.dbParm = std::string("Connectstring='DSN=") + kDsn + "'";
    if (sqlca.connect() != 0) die("connect: " + sqlca.sqlErrText);
    auto exec = [&](const std::string& sql) {
        if (sqlca.executeImmediate(sql) != 0) die(sql + ": " + sqlca.sqlErrText);
    };
    exec("CREATE TABLE FILE (ID DECIMAL(10,0) NOT NULL, PRODID DECIMAL(10,0) NOT NULL, FILEGRPID DECIMAL(10,0), "
         "PATH CHAR(254), README NUMERIC, EXE NUMERIC, LINKTEXT CHAR(64), SHARED NUMERIC, PRIMARY KEY (ID, PRODID))");
    exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " + std::to_string(rowsWanted) +
         ") INSERT INTO FILE SELECT i, 1, i % 50, 'C:\\Program Files\\Product\\Folder ' || (i % 97) || "
         "'\\file_' || i || '.dll', 0, i % 7 = 0, 'Shortcut ' || i, i % 3 = 0 FROM n");
    exec("INSERT INTO FILE VALUES (1, 2, 1, 'C:\\other.exe', 0, 0, 'x', 0)");
    if (sqlca.commit() != 0) die("commit: " + sqlca.sqlErrText);

    // Best of several runs each, alternating, so that neither side profits from a warm cache alone.
    const int runs = 5;
    double bestRowSet = 1e30, bestBare = 1e30;
    long rowSetRows = 0, bareRows = 0;
    std::size_t bytes = 0;
    runtime::DataStore ds(fileLayout());
    ds.setTransObject(&sqlca);
    runtime::Value arg(1);
    for (int i = 0; i < runs; ++i) {
        auto t0 = Clock::now();
        bareRows = bareFetch(1, bytes);
        auto t1 = Clock::now();
        rowSetRows = ds.retrieve(std::span<const runtime::Value>(&arg, 1));
        auto t2 = Clock::now();
        bestBare = std::min(bestBare, seconds(t0, t1));
        bestRowSet = std::min(bestRowSet, seconds(t1, t2));
    }
    if (rowSetRows != rowsWanted || bareRows != rowsWanted)
        die("row counts differ: row set " + std::to_string(rowSetRows) + ", bare " + std::to_string(bareRows));

    std::printf("rows: %ld\n", rowsWanted);
    std::printf("bare_fetch_seconds: %.4f\n", bestBare);
    std::printf("rowset_retrieve_seconds: %.4f\n", bestRowSet);
    std::printf("rowset_retrieve_ratio: %.3f\n", bestRowSet / bestBare);

    // Filter, unfilter and sort the rows just retrieved.
    auto perRow = [&](double s) { return s * 1e9 / static_cast<double>(rowsWanted); };
    auto t0 = Clock::now();
    ds.setFilter("filegrpid = 7 and exe = 0");
    ds.filter();
    auto t1 = Clock::now();
    long visible = ds.rowCount();
    ds.setFilter("");
    ds.filter();
    auto t2 = Clock::now();
    ds.setSort("filegrpid D, path A");
    ds.sort();
    auto t3 = Clock::now();
    ds.setSort("upper(linktext) A");
    ds.sort();
    auto t4 = Clock::now();
    long found = ds.find("path = 'C:\\Program Files\\Product\\Folder 0\\file_97.dll'", 1, ds.rowCount());
    auto t5 = Clock::now();
    std::printf("rowset_filter_ns_per_row: %.1f (%ld rows pass)\n", perRow(seconds(t0, t1)), visible);
    std::printf("rowset_unfilter_ns_per_row: %.1f\n", perRow(seconds(t1, t2)));
    std::printf("rowset_sort_two_columns_ns_per_row: %.1f\n", perRow(seconds(t2, t3)));
    std::printf("rowset_sort_expression_ns_per_row: %.1f\n", perRow(seconds(t3, t4)));
    std::printf("rowset_find_ns_per_row: %.1f (row %ld)\n", perRow(seconds(t4, t5)), found);
    std::printf("rowset_max_id: %s\n", ds.getItemString(1, "c_max_id").c_str());

    sqlca.disconnect();
    std::error_code ec;
    fs::remove_all(folder, ec);
    return bytes > 0 ? 0 : 1;
}
