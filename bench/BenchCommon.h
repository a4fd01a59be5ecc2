#pragma once
// What the benchmarks share: timing, the temporary SQLite data source, the project schema, and a
// connection with nothing but the driver's calls for their baselines.
#include <sql.h>
#include <sqlext.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "runtime/db/Transaction.h"

namespace bench {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// The program's name in front of its failures; each benchmark sets it first thing.
inline const char* programName = "bench";

[[noreturn]] inline void die(const std::string& what) {
    std::fprintf(stderr, "%s: %s\n", programName, what.c_str());
    std::exit(1);
}

inline double seconds(Clock::time_point a, Clock::time_point b) {
    return std::chrono::duration<double>(b - a).count();
}

// An odbc.ini in `folder` naming a fresh SQLite database there as `dsn`, made the one the driver
// manager reads.
inline void useSqliteDataSource(const fs::path& folder, const std::string& dsn) {
    const fs::path db = folder / "bench.db";
    std::ofstream(db).close();
    std::ofstream ini(folder / "odbc.ini");
    ini << "[" << dsn << "]\nDriver=SQLite3\nDatabase=" << db.string() << "\nNoCreat=1\n";
    ini.close();
    setenv("ODBCINI", (folder / "odbc.ini").c_str(), 1);
}

// The schema script's statements: comments dropped, split at semicolons that end a line.
inline std::vector<std::string> statements(const std::string& script) {
    std::vector<std::string> out;
    std::string current;
    std::istringstream in(script);
    for (std::string line; std::getline(in, line);) {
        size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line.compare(first, 2, "--") == 0) continue;
        while (!line.empty() && (line.back() == ' ' || line.back() == '\r')) line.pop_back();
        const bool ends = !line.empty() && line.back() == ';';
        if (ends) line.pop_back();
        current += line + "\n";
        if (ends) {
            out.push_back(current);
            current.clear();
        }
    }
    return out;
}

// Connects `sqlca` to `dsn`.
inline void connect(runtime::Transaction& sqlca, const std::string& dsn) {
    sqlca.dbms = "ODBC";
    sqlca.dbParm = "Connectstring='DSN=" + dsn + "'";
    if (sqlca.connect() != 0) die("connect: " + sqlca.sqlErrText);
}

inline void execute(runtime::Transaction& sqlca, const std::string& sql) {
    if (sqlca.executeImmediate(sql) != 0) die(sql + ": " + sqlca.sqlErrText);
}

// The project database's tables, made from the schema script at `path`, and committed.
inline void createSchema(runtime::Transaction& sqlca, const char* path) {
    std::ifstream file(path);
    if (!file) die(std::string("cannot read ") + path);
    std::stringstream schema;
    schema << file.rdbuf();
    for (const std::string& s : statements(schema.str())) execute(sqlca, s);
    if (sqlca.commit() != 0) die("commit: " + sqlca.sqlErrText);
}

inline std::string diagnostics(SQLSMALLINT type, SQLHANDLE handle) {
    SQLCHAR state[6] = {}, message[1024] = {};
    SQLINTEGER native = 0;
    SQLSMALLINT length = 0;
    if (SQL_SUCCEEDED(SQLGetDiagRec(type, handle, 1, state, &native, message, sizeof message, &length)))
        return reinterpret_cast<const char*>(message);
    return "no diagnostics";
}

// A connection with nothing but the driver's calls, for the baselines.
class Bare {
public:
    explicit Bare(const std::string& dsn, bool autoCommit = false) {
        SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env_);
        SQLSetEnvAttr(env_, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
        SQLAllocHandle(SQL_HANDLE_DBC, env_, &dbc_);
        std::string conn = "DSN=" + dsn + ";";
        if (!SQL_SUCCEEDED(SQLDriverConnect(dbc_, nullptr, (SQLCHAR*)conn.c_str(), SQL_NTS, nullptr, 0,
                                            nullptr, SQL_DRIVER_NOPROMPT)))
            die("bare connect: " + diagnostics(SQL_HANDLE_DBC, dbc_));
        SQLSetConnectAttr(dbc_, SQL_ATTR_AUTOCOMMIT,
                          reinterpret_cast<SQLPOINTER>(autoCommit ? SQL_AUTOCOMMIT_ON : SQL_AUTOCOMMIT_OFF),
                          0);
    }
    ~Bare() {
        SQLEndTran(SQL_HANDLE_DBC, dbc_, SQL_COMMIT);
        SQLDisconnect(dbc_);
        SQLFreeHandle(SQL_HANDLE_DBC, dbc_);
        SQLFreeHandle(SQL_HANDLE_ENV, env_);
    }
    Bare(const Bare&) = delete;
    Bare& operator=(const Bare&) = delete;

    // Every cell read as text; answers the rows, hands each cell of column `keep` on.
    long fetch(const std::string& sql, int keep = 0, const std::function<void(const char*)>& onKept = {}) {
        SQLHSTMT st = SQL_NULL_HSTMT;
        SQLAllocHandle(SQL_HANDLE_STMT, dbc_, &st);
        if (!SQL_SUCCEEDED(SQLExecDirect(st, (SQLCHAR*)sql.c_str(), SQL_NTS)))
            die(sql + ": " + diagnostics(SQL_HANDLE_STMT, st));
        SQLSMALLINT columns = 0;
        SQLNumResultCols(st, &columns);
        char buffer[512];
        long rows = 0;
        while (SQL_SUCCEEDED(SQLFetch(st))) {
            for (SQLUSMALLINT c = 1; c <= static_cast<SQLUSMALLINT>(columns); ++c) {
                SQLLEN indicator = 0;
                SQLGetData(st, c, SQL_C_CHAR, buffer, sizeof buffer, &indicator);
                if (c == keep && onKept && indicator != SQL_NULL_DATA) onKept(buffer);
            }
            ++rows;
        }
        SQLFreeHandle(SQL_HANDLE_STMT, st);
        return rows;
    }
    void execute(const std::string& sql) {
        SQLHSTMT st = SQL_NULL_HSTMT;
        SQLAllocHandle(SQL_HANDLE_STMT, dbc_, &st);
        SQLRETURN rc = SQLExecDirect(st, (SQLCHAR*)sql.c_str(), SQL_NTS);
        if (!SQL_SUCCEEDED(rc) && rc != SQL_NO_DATA) die(sql + ": " + diagnostics(SQL_HANDLE_STMT, st));
        SQLFreeHandle(SQL_HANDLE_STMT, st);
    }
    void commit() {
        if (!SQL_SUCCEEDED(SQLEndTran(SQL_HANDLE_DBC, dbc_, SQL_COMMIT)))
            die("commit: " + diagnostics(SQL_HANDLE_DBC, dbc_));
    }
    SQLHDBC handle() const { return dbc_; }

private:
    SQLHENV env_ = SQL_NULL_HENV;
    SQLHDBC dbc_ = SQL_NULL_HDBC;
};

}  // namespace bench
