#include "support/ProjectDatabase.h"

#include <sql.h>
#include <sqlext.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <random>
#include <vector>

#include "support/TempFolder.h"
#include "support/TestEnvironment.h"

namespace fs = std::filesystem;

namespace testing_support {
namespace {

constexpr const char* kDriver = "RUX PostgreSQL";
constexpr const char* kAdminSource = "rux_pg_admin";

std::vector<std::string> g_databases;  // made in the server by this process

// The ANSI driver of psqlODBC: our transaction speaks the narrow ODBC calls in UTF-8.
fs::path postgresDriver() {
    std::error_code ec;
    for (const fs::path& lib : {fs::path("/usr/lib"), fs::path("/usr/lib64"), fs::path("/usr/local/lib")}) {
        for (const fs::path& candidate : {lib / "odbc" / "psqlodbca.so", lib / "psqlodbca.so"})
            if (fs::exists(candidate, ec)) return candidate;
        for (fs::directory_iterator it(lib, ec), end; !ec && it != end; it.increment(ec)) {
            fs::path candidate = it->path() / "odbc" / "psqlodbca.so";
            if (fs::exists(candidate, ec)) return candidate;
        }
    }
    return {};
}

// The server's attributes ("Servername=...;Port=...") as odbc.ini lines.
std::string serverLines(std::string_view attributes) {
    std::string lines;
    while (!attributes.empty()) {
        size_t end = attributes.find(';');
        std::string_view item = attributes.substr(0, end);
        if (!item.empty()) lines.append(item).append("\n");
        if (end == std::string_view::npos) break;
        attributes.remove_prefix(end + 1);
    }
    return lines;
}

void appendDataSource(const std::string& name, const std::string& database, const std::string& server) {
    std::ofstream ini(processFolder() / "odbc.ini", std::ios::app);
    ini << "[" << name << "]\n"
        << "Driver=" << kDriver << "\n"
        << server << "Database=" << database << "\n\n";
}

// Adds our driver to the tests' driver list. psqlODBC also takes its logging from the machine's
// "PostgreSQL ANSI" section (Debian's logs every connection into /tmp), so every section of the
// list logs nothing.
void registerDriver(const fs::path& driver) {
    const fs::path path = processFolder() / "odbcsys" / "odbcinst.ini";
    std::string list;
    {
        std::ifstream in(path);
        for (std::string line; std::getline(in, line);) {
            if (line.starts_with("CommLog") || line.starts_with("Debug")) continue;
            list += line + "\n";
            if (line.starts_with('[') && line != "[ODBC]") list += "CommLog=0\nDebug=0\n";
        }
    }
    list += std::string("\n[") + kDriver + "]\nDriver=" + driver.string() +
            "\nCommLog=0\nDebug=0\nDontDLClose=1\n";
    std::ofstream(path, std::ios::trunc) << list;
}

std::string diagnostics(SQLSMALLINT type, SQLHANDLE handle) {
    SQLCHAR state[6] = {};
    SQLINTEGER native = 0;
    SQLCHAR message[1024] = {};
    SQLSMALLINT length = 0;
    if (SQL_SUCCEEDED(SQLGetDiagRec(type, handle, 1, state, &native, message, sizeof message, &length)))
        return reinterpret_cast<const char*>(message);
    return "no diagnostics";
}

// Runs statements on the server's maintenance database, each committed on its own. Answers an
// empty text, or what went wrong.
std::string administer(const std::vector<std::string>& statements) {
    SQLHENV env = SQL_NULL_HENV;
    SQLHDBC dbc = SQL_NULL_HDBC;
    std::string error;
    SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env);
    SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc);
    std::string in = std::string("DSN=") + kAdminSource + ";";
    SQLRETURN rc = SQLDriverConnect(dbc, nullptr, reinterpret_cast<SQLCHAR*>(in.data()), SQL_NTS, nullptr, 0,
                                    nullptr, SQL_DRIVER_NOPROMPT);
    if (!SQL_SUCCEEDED(rc)) {
        error = "cannot connect to the PostgreSQL test server: " + diagnostics(SQL_HANDLE_DBC, dbc);
    } else {
        for (const std::string& sql : statements) {
            SQLHSTMT st = SQL_NULL_HSTMT;
            SQLAllocHandle(SQL_HANDLE_STMT, dbc, &st);
            std::string text = sql;
            rc = SQLExecDirect(st, reinterpret_cast<SQLCHAR*>(text.data()), SQL_NTS);
            if (!SQL_SUCCEEDED(rc) && error.empty()) error = sql + ": " + diagnostics(SQL_HANDLE_STMT, st);
            SQLFreeHandle(SQL_HANDLE_STMT, st);
        }
        SQLDisconnect(dbc);
    }
    SQLFreeHandle(SQL_HANDLE_DBC, dbc);
    SQLFreeHandle(SQL_HANDLE_ENV, env);
    return error;
}

void dropDatabases() {
    std::vector<std::string> drops;
    for (const std::string& name : g_databases) drops.push_back("DROP DATABASE IF EXISTS " + name + " WITH (FORCE)");
    if (!drops.empty()) administer(drops);
    g_databases.clear();
}

ProjectDataSource addPostgres() {
    ProjectDataSource source;
    source.system = DatabaseSystem::PostgreSQL;
    const char* attributes = std::getenv("RUX_TEST_POSTGRES");
    if (!attributes || !*attributes) {
        source.unavailable =
            "no PostgreSQL server for the tests (RUX_TEST_POSTGRES is not set; scripts/test.sh starts one)";
        return source;
    }
    static fs::path driver = postgresDriver();
    if (driver.empty()) {
        source.unavailable = "the PostgreSQL ODBC driver (psqlodbca.so, package odbc-postgresql) is not installed";
        return source;
    }
    const std::string server = serverLines(attributes);
    static bool registered = false;
    if (!registered) {
        registerDriver(driver);
        appendDataSource(kAdminSource, "postgres", server);
        std::atexit(dropDatabases);  // runs before the test folder goes
        registered = true;
    }
    static int count = 0;
    // Unique also among test runs of several machines that share one server.
    static const unsigned run = std::random_device{}();
    std::string database = "rux_test_" + std::to_string(::getpid()) + "_" + std::to_string(run) + "_" +
                           std::to_string(++count);
    if (std::string error = administer({"CREATE DATABASE " + database}); !error.empty())
        throw std::runtime_error(error);
    g_databases.push_back(database);
    source.dsn = "rux_pg_" + std::to_string(count);
    appendDataSource(source.dsn, database, server);
    return source;
}

ProjectDataSource addSqlite() {
    static int count = 0;
    ProjectDataSource source;
    source.dsn = "rux_sqlite_" + std::to_string(++count);
    fs::path database = processFolder() / "databases" / (source.dsn + ".db");
    writeFile(database, "");  // an empty file is an empty database (the source has NoCreat=1)
    addSqliteDataSource(source.dsn, database);
    return source;
}

}  // namespace

std::string_view databaseSystemName(DatabaseSystem system) {
    return system == DatabaseSystem::PostgreSQL ? "PostgreSQL" : "SQLite";
}

ProjectDataSource addProjectDataSource(DatabaseSystem system) {
    return system == DatabaseSystem::PostgreSQL ? addPostgres() : addSqlite();
}

}  // namespace testing_support
