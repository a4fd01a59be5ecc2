#include "runtime/db/Transaction.h"

#include <sql.h>
#include <sqlext.h>

#include <algorithm>
#include <cctype>
#include <cstring>

namespace runtime {
namespace {

std::string_view trim(std::string_view s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
    return s;
}

bool equalsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

bool startsWithNoCase(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && equalsNoCase(s.substr(0, prefix.size()), prefix);
}

// The words of a statement text, split at blanks (at most `max`).
std::vector<std::string_view> words(std::string_view s, size_t max) {
    std::vector<std::string_view> out;
    s = trim(s);
    while (!s.empty() && out.size() < max) {
        size_t end = 0;
        while (end < s.size() && !std::isspace(static_cast<unsigned char>(s[end]))) ++end;
        out.push_back(s.substr(0, end));
        s = trim(s.substr(end));
    }
    if (!s.empty()) out.push_back(s);  // the rest, unsplit
    return out;
}

// The first word of a statement text; row after row, a save asks this of each statement.
std::string_view firstWord(std::string_view s) {
    s = trim(s);
    size_t end = 0;
    while (end < s.size() && !std::isspace(static_cast<unsigned char>(s[end]))) ++end;
    return s.substr(0, end);
}

// A statement text without its closing semicolon.
std::string_view withoutSemicolon(std::string_view s) {
    s = trim(s);
    if (!s.empty() && s.back() == ';') s = trim(s.substr(0, s.size() - 1));
    return s;
}

bool isIdentifier(std::string_view s) {
    if (s.empty()) return false;
    return std::all_of(s.begin(), s.end(),
                       [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; });
}

// One parameter as it is bound.
struct Param {
    enum Kind { Null, Integer, Real, Text } kind = Null;
    SQLBIGINT integer = 0;
    double real = 0;
    std::string text;
    SQLLEN indicator = 0;
};

std::vector<Param> paramsFromCells(std::span<const SqlCell> cells) {
    std::vector<Param> out(cells.size());
    for (size_t i = 0; i < cells.size(); ++i) {
        if (cells[i]) {
            out[i].kind = Param::Text;
            out[i].text = *cells[i];
        }
    }
    return out;
}

std::vector<Param> paramsFromValues(std::span<const Value> values) {
    std::vector<Param> out(values.size());
    for (size_t i = 0; i < values.size(); ++i) {
        const Value& v = values[i];
        if (v.isNull()) continue;
        if (v.isInt() || v.isBool()) {
            out[i].kind = Param::Integer;
            out[i].integer = v.toInt();
        } else if (v.isReal()) {
            out[i].kind = Param::Real;
            out[i].real = v.toReal();
        } else {
            out[i].kind = Param::Text;
            out[i].text = v.toText();
        }
    }
    return out;
}

// Frees a statement handle on every path out.
struct Statement {
    SQLHSTMT h = SQL_NULL_HSTMT;
    Statement() = default;
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    ~Statement() {
        if (h != SQL_NULL_HSTMT) {
            SQLFreeStmt(h, SQL_CLOSE);
            SQLFreeHandle(SQL_HANDLE_STMT, h);
        }
    }
};

bool succeeded(SQLRETURN rc) { return rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO; }

bool getDataOnBoundColumns(SQLHDBC dbc);
bool isPostgres(SQLHDBC dbc);

}  // namespace

struct Transaction::Impl {
    SQLHENV env = SQL_NULL_HENV;
    SQLHDBC dbc = SQL_NULL_HDBC;
    bool connected = false;
    bool appliedAutoCommit = false;
    bool boundGetData = false;  // SQLGetData works on bound columns, in any order
    bool postgres = false;      // the server compacts one table at a time
    bool pendingWork = false;   // statements sent since the last commit or rollback that may write
    int reading = 0;            // reads under way (a row's handler may read again)
    // The last statement with parameters that changed rows, kept prepared: saving a row set runs
    // the same INSERT or UPDATE text row after row. Dropped at the end of a transaction and
    // before any other kind of statement.
    std::string preparedSql;
    SQLHSTMT prepared = SQL_NULL_HSTMT;
    // The parameters bound to `prepared`, whose buffers the next row reuses.
    std::vector<Param> preparedParams;

    ~Impl() { freeHandles(); }

    void dropPrepared() {
        if (prepared != SQL_NULL_HSTMT) {
            SQLFreeHandle(SQL_HANDLE_STMT, prepared);
            prepared = SQL_NULL_HSTMT;
        }
        preparedSql.clear();
        preparedParams.clear();
    }

    void freeHandles() {
        dropPrepared();
        if (dbc != SQL_NULL_HDBC) {
            SQLFreeHandle(SQL_HANDLE_DBC, dbc);
            dbc = SQL_NULL_HDBC;
        }
        if (env != SQL_NULL_HENV) {
            SQLFreeHandle(SQL_HANDLE_ENV, env);
            env = SQL_NULL_HENV;
        }
    }
};

Transaction::Transaction() : impl_(std::make_unique<Impl>()) {}

Transaction::~Transaction() {
    if (impl_->connected) disconnect();
}

bool Transaction::isConnected() const { return impl_->connected; }

namespace {

// Whether the database refused because another connection holds a lock: SQLite's busy or locked
// (after the driver's busy timeout has run out), or a server's lock or serialization conflict.
bool heldByAnother(std::string_view state, SQLINTEGER native, std::string_view text) {
    if (state == "55P03" || state == "40001" || state == "40P01") return true;
    if (text.find("database is locked") != std::string_view::npos ||
        text.find("database table is locked") != std::string_view::npos)
        return true;
    return state == "HY000" && (native == 5 || native == 6) && text.find("locked") != std::string_view::npos;
}

// Fills the result fields from the diagnostics of a handle, straight after the failing call.
long fail(Transaction& t, SQLSMALLINT type, SQLHANDLE handle, std::string_view fallback) {
    t.sqlCode = -1;
    t.sqlDbCode = -1;
    t.sqlErrText.clear();
    if (handle != nullptr) {
        SQLCHAR state[6] = {};
        SQLINTEGER native = 0;
        SQLCHAR message[1024] = {};
        SQLSMALLINT length = 0;
        SQLRETURN rc = SQLGetDiagRec(type, handle, 1, state, &native, message, sizeof message, &length);
        if (succeeded(rc)) {
            t.sqlDbCode = native;
            t.sqlErrText = reinterpret_cast<const char*>(message);
            if (t.sqlErrText.empty()) t.sqlErrText = reinterpret_cast<const char*>(state);
            if (heldByAnother(reinterpret_cast<const char*>(state), native, t.sqlErrText))
                t.sqlErrText += std::string("\n") + Transaction::busyAdvice;
        }
    }
    if (t.sqlErrText.empty()) t.sqlErrText = std::string(fallback);
    return t.sqlCode;
}

long refuse(Transaction& t, std::string text) {
    t.sqlCode = -1;
    t.sqlDbCode = -1;
    t.sqlErrText = std::move(text);
    return t.sqlCode;
}

}  // namespace

std::optional<std::string> Transaction::parseDataSource(std::string_view dbParm, std::string& error) {
    const std::string shape = "expected Connectstring='DSN=<name>'";
    std::string_view s = trim(dbParm);
    constexpr std::string_view key = "Connectstring";
    if (!startsWithNoCase(s, key)) {
        error = "Malformed database parameter: " + shape;
        return std::nullopt;
    }
    s = trim(s.substr(key.size()));
    if (s.empty() || s.front() != '=') {
        error = "Malformed database parameter: " + shape;
        return std::nullopt;
    }
    s = trim(s.substr(1));
    if (s.size() < 2 || s.front() != '\'' || s.back() != '\'') {
        error = "Malformed database parameter: " + shape;
        return std::nullopt;
    }
    s = trim(s.substr(1, s.size() - 2));
    if (!startsWithNoCase(s, "DSN")) {
        error = "Malformed database parameter: " + shape;
        return std::nullopt;
    }
    s = trim(s.substr(3));
    if (s.empty() || s.front() != '=') {
        error = "Malformed database parameter: " + shape;
        return std::nullopt;
    }
    std::string_view name = trim(s.substr(1));
    if (name.empty()) {
        error = "The data source name is empty";
        return std::nullopt;
    }
    if (name.size() > SQL_MAX_DSN_LENGTH) {
        error = "The data source name \"" + std::string(name) + "\" is longer than " +
                std::to_string(SQL_MAX_DSN_LENGTH) + " characters";
        return std::nullopt;
    }
    // Characters that ODBC forbids in a data source name; ';' and quotes would add attributes.
    constexpr std::string_view forbidden = "[]{}(),;?*=!@\\'\"";
    for (char c : name) {
        if (static_cast<unsigned char>(c) < 32 || forbidden.find(c) != std::string_view::npos) {
            error =
                "The data source name \"" + std::string(name) + "\" holds a character that is not allowed";
            return std::nullopt;
        }
    }
    return std::string(name);
}

namespace {
void resetResult(Transaction& t) {
    t.sqlCode = 0;
    t.sqlDbCode = 0;
    t.sqlNRows = 0;
    t.sqlErrText.clear();
}
}  // namespace

long Transaction::connect() {
    resetResult(*this);
    if (impl_->connected) return refuse(*this, "Transaction already connected");
    std::string_view system = trim(dbms);
    if (!equalsNoCase(system, "ODBC"))
        return refuse(*this, "Database system \"" + std::string(system) + "\" is not supported; use ODBC");
    std::string error;
    std::optional<std::string> dsn = parseDataSource(dbParm, error);
    if (!dsn) return refuse(*this, error);

    Impl& d = *impl_;
    if (!succeeded(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &d.env)))
        return refuse(*this, "Cannot allocate the ODBC environment");
    SQLSetEnvAttr(d.env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    if (!succeeded(SQLAllocHandle(SQL_HANDLE_DBC, d.env, &d.dbc))) {
        long rc = fail(*this, SQL_HANDLE_ENV, d.env, "Cannot allocate the ODBC connection");
        d.freeHandles();
        return rc;
    }
    std::string in = "DSN=" + *dsn + ";";
    SQLCHAR out[1024];
    SQLSMALLINT outLength = 0;
    SQLRETURN rc = SQLDriverConnect(d.dbc, nullptr, reinterpret_cast<SQLCHAR*>(in.data()), SQL_NTS, out,
                                    sizeof out, &outLength, SQL_DRIVER_NOPROMPT);
    if (!succeeded(rc)) {
        long code = fail(*this, SQL_HANDLE_DBC, d.dbc, "Cannot connect to data source " + *dsn);
        d.freeHandles();
        return code;
    }
    d.connected = true;
    d.pendingWork = false;
    d.reading = 0;
    rc = SQLSetConnectAttr(d.dbc, SQL_ATTR_AUTOCOMMIT,
                           reinterpret_cast<SQLPOINTER>(autoCommit ? SQL_AUTOCOMMIT_ON : SQL_AUTOCOMMIT_OFF),
                           0);
    if (!succeeded(rc)) {
        long code = fail(*this, SQL_HANDLE_DBC, d.dbc, "Cannot set automatic commit");
        SQLDisconnect(d.dbc);
        d.connected = false;
        d.freeHandles();
        return code;
    }
    d.appliedAutoCommit = autoCommit;
    d.boundGetData = getDataOnBoundColumns(d.dbc);
    d.postgres = isPostgres(d.dbc);
    // A server waits for another's row lock as long as it is held: as SQLite's driver does with its
    // busy timeout, give up after a while and say why, rather than freeze the program.
    if (d.postgres) {
        {
            Statement st;
            if (succeeded(SQLAllocHandle(SQL_HANDLE_STMT, d.dbc, &st.h))) {
                SQLCHAR set[] = "SET lock_timeout = 5000";
                SQLExecDirect(st.h, set, SQL_NTS);
            } else {
                st.h = SQL_NULL_HSTMT;
            }
        }
        if (!d.appliedAutoCommit) SQLEndTran(SQL_HANDLE_DBC, d.dbc, SQL_COMMIT);
    }
    return sqlCode;
}

long Transaction::disconnect() {
    resetResult(*this);
    Impl& d = *impl_;
    if (!d.connected) return refuse(*this, "Transaction not connected");
    d.dropPrepared();
    // The driver refuses to disconnect inside a transaction; work saved through this connection
    // is kept, so the open transaction is committed first.
    if (!d.appliedAutoCommit) {
        SQLRETURN rc = SQLEndTran(SQL_HANDLE_DBC, d.dbc, SQL_COMMIT);
        if (!succeeded(rc)) return fail(*this, SQL_HANDLE_DBC, d.dbc, "Commit before disconnecting failed");
    }
    SQLRETURN rc = SQLDisconnect(d.dbc);
    if (!succeeded(rc)) return fail(*this, SQL_HANDLE_DBC, d.dbc, "Disconnect failed");
    d.connected = false;
    d.freeHandles();
    return sqlCode;
}

namespace {

// Applies a change of AutoCommit made after connecting (switching it on commits, as ODBC does).
bool syncAutoCommit(Transaction& t, Transaction::Impl& d, bool wanted) {
    if (d.appliedAutoCommit == wanted) return true;
    SQLRETURN rc =
        SQLSetConnectAttr(d.dbc, SQL_ATTR_AUTOCOMMIT,
                          reinterpret_cast<SQLPOINTER>(wanted ? SQL_AUTOCOMMIT_ON : SQL_AUTOCOMMIT_OFF), 0);
    if (!succeeded(rc)) {
        fail(t, SQL_HANDLE_DBC, d.dbc, "Cannot set automatic commit");
        return false;
    }
    d.appliedAutoCommit = wanted;
    if (wanted) d.pendingWork = false;  // switching it on committed the work
    return true;
}

}  // namespace

// Binds one parameter (number `n`) to a prepared statement; it must live until it has run.
static bool bindParam(Transaction& t, SQLHSTMT h, SQLUSMALLINT n, Param& p) {
    SQLRETURN rc;
    switch (p.kind) {
        case Param::Null:
            p.indicator = SQL_NULL_DATA;
            rc = SQLBindParameter(h, n, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 1, 0, nullptr, 0,
                                  &p.indicator);
            break;
        case Param::Integer:
            p.indicator = 0;
            rc = SQLBindParameter(h, n, SQL_PARAM_INPUT, SQL_C_SBIGINT, SQL_BIGINT, 0, 0, &p.integer, 0,
                                  &p.indicator);
            break;
        case Param::Real:
            p.indicator = 0;
            rc = SQLBindParameter(h, n, SQL_PARAM_INPUT, SQL_C_DOUBLE, SQL_DOUBLE, 0, 0, &p.real, 0,
                                  &p.indicator);
            break;
        case Param::Text:
        default:
            p.indicator = static_cast<SQLLEN>(p.text.size());
            rc = SQLBindParameter(h, n, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR,
                                  std::max<SQLULEN>(p.text.size(), 1), 0, p.text.data(),
                                  static_cast<SQLLEN>(p.text.size() + 1), &p.indicator);
            break;
    }
    if (!succeeded(rc)) {
        fail(t, SQL_HANDLE_STMT, h, "Cannot bind a parameter");
        return false;
    }
    return true;
}

// Binds the parameters to a prepared statement; they must live until it has run.
static bool bindParams(Transaction& t, SQLHSTMT h, std::vector<Param>& params) {
    for (size_t i = 0; i < params.size(); ++i)
        if (!bindParam(t, h, static_cast<SQLUSMALLINT>(i + 1), params[i])) return false;
    return true;
}

// Puts the next row's parameters into the buffers bound last time, binding again only the ones
// whose kind or length differs: row after row, a save then costs no calls but the execution.
static bool rebindChanged(Transaction& t, SQLHSTMT h, std::vector<Param>& bound, std::vector<Param>& next) {
    if (bound.size() != next.size()) {
        bound = std::move(next);
        return bindParams(t, h, bound);
    }
    for (size_t i = 0; i < next.size(); ++i) {
        Param& b = bound[i];
        Param& p = next[i];
        const bool same = b.kind == p.kind && (p.kind != Param::Text || b.text.size() == p.text.size());
        if (same) {
            switch (p.kind) {
                case Param::Integer:
                    b.integer = p.integer;
                    break;
                case Param::Real:
                    b.real = p.real;
                    break;
                case Param::Text:
                    std::memcpy(b.text.data(), p.text.data(), p.text.size());
                    break;
                case Param::Null:
                    break;
            }
            continue;
        }
        b = std::move(p);
        if (!bindParam(t, h, static_cast<SQLUSMALLINT>(i + 1), b)) return false;
    }
    return true;
}

// Runs one statement (with parameters) on a fresh statement handle; answers the handle for a
// caller that fetches, or fills the result fields and leaves `st.h` set only on success.
static bool run(Transaction& t, Transaction::Impl& d, Statement& st, std::string_view sql,
                std::vector<Param>& params) {
    if (!d.connected) {
        refuse(t, "Transaction not connected");
        return false;
    }
    if (!syncAutoCommit(t, d, t.autoCommit)) return false;
    if (!succeeded(SQLAllocHandle(SQL_HANDLE_STMT, d.dbc, &st.h))) {
        st.h = SQL_NULL_HSTMT;
        fail(t, SQL_HANDLE_DBC, d.dbc, "Cannot allocate a statement");
        return false;
    }
    std::string text(sql);
    SQLRETURN rc;
    if (params.empty()) {
        rc = SQLExecDirect(st.h, reinterpret_cast<SQLCHAR*>(text.data()),
                           static_cast<SQLINTEGER>(text.size()));
    } else {
        rc = SQLPrepare(st.h, reinterpret_cast<SQLCHAR*>(text.data()), static_cast<SQLINTEGER>(text.size()));
        if (!succeeded(rc)) {
            fail(t, SQL_HANDLE_STMT, st.h, "Cannot prepare the statement");
            return false;
        }
        if (!bindParams(t, st.h, params)) return false;
        rc = SQLExecute(st.h);
    }
    if (rc == SQL_NO_DATA) return true;  // a searched UPDATE or DELETE that touched no row
    if (!succeeded(rc)) {
        fail(t, SQL_HANDLE_STMT, st.h, "The statement failed");
        return false;
    }
    return true;
}

namespace {

// Reads every column of the current row as text (nullopt for NULL).
bool readRow(Transaction& t, SQLHSTMT h, SQLSMALLINT columns, SqlRow& row, std::string& scratch) {
    row.resize(static_cast<size_t>(columns));
    char buffer[512];
    for (SQLSMALLINT c = 1; c <= columns; ++c) {
        SQLLEN indicator = 0;
        SQLRETURN rc =
            SQLGetData(h, static_cast<SQLUSMALLINT>(c), SQL_C_CHAR, buffer, sizeof buffer, &indicator);
        if (rc == SQL_NO_DATA) {
            row[c - 1] = std::string();
            continue;
        }
        if (!succeeded(rc)) {
            fail(t, SQL_HANDLE_STMT, h, "Cannot read a column");
            return false;
        }
        if (indicator == SQL_NULL_DATA) {
            row[c - 1].reset();
            continue;
        }
        if (rc == SQL_SUCCESS) {
            size_t n = indicator >= 0 ? std::min<size_t>(static_cast<size_t>(indicator), sizeof buffer - 1)
                                      : std::strlen(buffer);
            row[c - 1].emplace(buffer, n);
            continue;
        }
        // Longer than the buffer: gather the parts.
        scratch.assign(buffer, std::strlen(buffer));
        for (;;) {
            rc = SQLGetData(h, static_cast<SQLUSMALLINT>(c), SQL_C_CHAR, buffer, sizeof buffer, &indicator);
            if (rc == SQL_NO_DATA) break;
            if (!succeeded(rc)) {
                fail(t, SQL_HANDLE_STMT, h, "Cannot read a column");
                return false;
            }
            size_t n = indicator >= 0 ? std::min<size_t>(static_cast<size_t>(indicator), sizeof buffer - 1)
                                      : std::strlen(buffer);
            scratch.append(buffer, n);
            if (rc == SQL_SUCCESS) break;
        }
        row[c - 1] = scratch;
    }
    return true;
}

enum class Verb { Other, Update, Delete, Insert };

Verb verbOf(std::string_view sql) {
    const std::string_view w = firstWord(sql);
    if (equalsNoCase(w, "UPDATE")) return Verb::Update;
    if (equalsNoCase(w, "DELETE")) return Verb::Delete;
    if (equalsNoCase(w, "INSERT")) return Verb::Insert;
    return Verb::Other;
}

}  // namespace

// Runs an INSERT, UPDATE or DELETE with parameters on the statement kept prepared for its text,
// preparing it first when the text is another.
static bool runPrepared(Transaction& t, Transaction::Impl& d, std::string_view sql, std::vector<Param>& params) {
    if (!d.connected) {
        refuse(t, "Transaction not connected");
        return false;
    }
    if (!syncAutoCommit(t, d, t.autoCommit)) return false;
    if (d.prepared == SQL_NULL_HSTMT || d.preparedSql != sql) {
        d.dropPrepared();
        if (!succeeded(SQLAllocHandle(SQL_HANDLE_STMT, d.dbc, &d.prepared))) {
            d.prepared = SQL_NULL_HSTMT;
            fail(t, SQL_HANDLE_DBC, d.dbc, "Cannot allocate a statement");
            return false;
        }
        std::string text(sql);
        if (!succeeded(SQLPrepare(d.prepared, reinterpret_cast<SQLCHAR*>(text.data()),
                                  static_cast<SQLINTEGER>(text.size())))) {
            fail(t, SQL_HANDLE_STMT, d.prepared, "Cannot prepare the statement");
            d.dropPrepared();
            return false;
        }
        d.preparedSql = std::move(text);
        d.preparedParams.clear();
    }
    if (!rebindChanged(t, d.prepared, d.preparedParams, params)) {
        d.dropPrepared();
        return false;
    }
    SQLRETURN rc = SQLExecute(d.prepared);
    if (rc != SQL_NO_DATA && !succeeded(rc)) {
        fail(t, SQL_HANDLE_STMT, d.prepared, "The statement failed");
        d.dropPrepared();
        return false;
    }
    SQLLEN count = 0;
    if (rc != SQL_NO_DATA && succeeded(SQLRowCount(d.prepared, &count))) t.sqlNRows = count < 0 ? 0 : static_cast<long>(count);
    SQLFreeStmt(d.prepared, SQL_CLOSE);
    return true;
}

static long sendStatement(Transaction& t, Transaction::Impl& d, std::string_view sql,
                          std::vector<Param> params) {
    resetResult(t);
    const Verb verb = verbOf(sql);
    if (!params.empty() && verb != Verb::Other) {
        if (!runPrepared(t, d, sql, params)) return t.sqlCode;
        if (verb != Verb::Insert && t.sqlNRows == 0) t.sqlCode = 100;
        return t.sqlCode;
    }
    d.dropPrepared();
    Statement st;
    if (!run(t, d, st, sql, params)) return t.sqlCode;
    SQLLEN count = 0;
    if (succeeded(SQLRowCount(st.h, &count))) t.sqlNRows = count < 0 ? 0 : static_cast<long>(count);
    if ((verb == Verb::Update || verb == Verb::Delete) && t.sqlNRows == 0) t.sqlCode = 100;
    return t.sqlCode;
}

static long selectRow(Transaction& t, Transaction::Impl& d, std::string_view sql, std::vector<Param> params,
                      SqlRow& into) {
    resetResult(t);
    Statement st;
    if (!run(t, d, st, sql, params)) return t.sqlCode;
    SQLSMALLINT columns = 0;
    SQLNumResultCols(st.h, &columns);
    if (columns <= 0) return refuse(t, "The statement returns no columns");
    SQLRETURN rc = SQLFetch(st.h);
    if (rc == SQL_NO_DATA) {
        t.sqlCode = 100;
        return t.sqlCode;
    }
    if (!succeeded(rc)) return fail(t, SQL_HANDLE_STMT, st.h, "Fetch failed");
    SqlRow row;
    std::string scratch;
    if (!readRow(t, st.h, columns, row, scratch)) return t.sqlCode;
    rc = SQLFetch(st.h);
    if (succeeded(rc)) return refuse(t, "Select returned more than one row");
    if (rc != SQL_NO_DATA) return fail(t, SQL_HANDLE_STMT, st.h, "Fetch failed");
    into = std::move(row);
    t.sqlNRows = 1;
    return t.sqlCode;
}

namespace {

// Fetches with every column bound to a buffer sized from the column's declared size, so that a
// row costs one driver call; a value longer than its buffer is read again whole with SQLGetData.
class BoundRows {
public:
    bool bind(Transaction& t, SQLHSTMT h, SQLSMALLINT columns) {
        columns_.resize(static_cast<size_t>(columns));
        for (SQLSMALLINT c = 0; c < columns; ++c) {
            SQLCHAR name[8];
            SQLSMALLINT nameLength = 0, type = 0, digits = 0, nullable = 0;
            SQLULEN size = 0;
            Column& col = columns_[static_cast<size_t>(c)];
            if (!succeeded(SQLDescribeCol(h, static_cast<SQLUSMALLINT>(c + 1), name, sizeof name, &nameLength,
                                          &type, &size, &digits, &nullable)))
                size = 0;
            col.width = static_cast<SQLLEN>(std::clamp<SQLULEN>(size + 2, 64, 4096));
            col.buffer.resize(static_cast<size_t>(col.width));
            if (!succeeded(SQLBindCol(h, static_cast<SQLUSMALLINT>(c + 1), SQL_C_CHAR, col.buffer.data(),
                                      col.width, &col.indicator))) {
                fail(t, SQL_HANDLE_STMT, h, "Cannot bind a column");
                return false;
            }
        }
        return true;
    }

    // Views into the buffers, valid until the next fetch.
    bool read(Transaction& t, SQLHSTMT h, std::vector<SqlCellView>& row) {
        row.resize(columns_.size());
        for (size_t c = 0; c < columns_.size(); ++c) {
            Column& col = columns_[c];
            if (col.indicator == SQL_NULL_DATA) {
                row[c].reset();
            } else if (col.indicator >= 0 && col.indicator < col.width) {
                row[c].emplace(col.buffer.data(), static_cast<size_t>(col.indicator));
            } else {
                SqlCell whole;
                if (!readWhole(t, h, static_cast<SQLUSMALLINT>(c + 1), whole, col.longValue)) return false;
                if (whole)
                    row[c].emplace(col.longValue);
                else
                    row[c].reset();
            }
        }
        return true;
    }

private:
    struct Column {
        std::vector<char> buffer;
        std::string longValue;  // a value longer than the buffer
        SQLLEN width = 0;
        SQLLEN indicator = 0;
    };

    static bool readWhole(Transaction& t, SQLHSTMT h, SQLUSMALLINT column, SqlCell& cell,
                          std::string& scratch) {
        scratch.clear();
        char buffer[4096];
        for (;;) {
            SQLLEN indicator = 0;
            SQLRETURN rc = SQLGetData(h, column, SQL_C_CHAR, buffer, sizeof buffer, &indicator);
            if (rc == SQL_NO_DATA) break;
            if (!succeeded(rc)) {
                fail(t, SQL_HANDLE_STMT, h, "Cannot read a column");
                return false;
            }
            if (indicator == SQL_NULL_DATA) {
                cell.reset();
                return true;
            }
            size_t n = indicator >= 0 ? std::min<size_t>(static_cast<size_t>(indicator), sizeof buffer - 1)
                                      : std::strlen(buffer);
            scratch.append(buffer, n);
            if (rc == SQL_SUCCESS) break;
        }
        cell.emplace();  // the text itself stays in `scratch`
        return true;
    }

    std::vector<Column> columns_;
};

// Whether the driver lets SQLGetData read a bound column (needed for values longer than their buffer).
bool getDataOnBoundColumns(SQLHDBC dbc) {
    SQLUINTEGER extensions = 0;
    if (!succeeded(SQLGetInfo(dbc, SQL_GETDATA_EXTENSIONS, &extensions, sizeof extensions, nullptr)))
        return false;
    return (extensions & SQL_GD_BOUND) && (extensions & SQL_GD_ANY_COLUMN) && (extensions & SQL_GD_ANY_ORDER);
}

bool isPostgres(SQLHDBC dbc) {
    char name[64] = {};
    SQLSMALLINT length = 0;
    if (!succeeded(SQLGetInfo(dbc, SQL_DBMS_NAME, name, sizeof name, &length))) return false;
    return equalsNoCase(name, "PostgreSQL");
}

}  // namespace

static long queryRows(Transaction& t, Transaction::Impl& d, std::string_view sql, std::vector<Param> params,
                      const std::function<void(std::span<const SqlCellView>)>& onRow) {
    resetResult(t);
    Statement st;
    if (!run(t, d, st, sql, params)) return t.sqlCode;
    SQLSMALLINT columns = 0;
    SQLNumResultCols(st.h, &columns);
    if (columns <= 0) return refuse(t, "The statement returns no columns");
    std::string scratch;
    long rows = 0;
    BoundRows bound;
    bool useBound = d.boundGetData;
    if (useBound && !bound.bind(t, st.h, columns)) return t.sqlCode;
    std::vector<SqlCellView> views;
    SqlRow row;
    for (;;) {
        SQLRETURN rc = SQLFetch(st.h);
        if (rc == SQL_NO_DATA) break;
        if (!succeeded(rc)) return fail(t, SQL_HANDLE_STMT, st.h, "Fetch failed");
        if (useBound) {
            if (!bound.read(t, st.h, views)) return t.sqlCode;
        } else {
            if (!readRow(t, st.h, columns, row, scratch)) return t.sqlCode;
            views.assign(row.begin(), row.end());
        }
        ++rows;
        onRow(views);
    }
    t.sqlNRows = rows;
    return t.sqlCode;
}

namespace {

bool isSelect(std::string_view sql) { return equalsNoCase(firstWord(sql), "SELECT"); }

// With automatic commit off the driver opens a transaction for the first statement, also for a
// read; left open while the program waits for its user, it keeps SQLite's file locked against
// every other writer and shows as idle in transaction on a server. So a read ends it, unless
// work sent since the last commit or rollback waits there for its caller's commit.
void endIdleTransaction(Transaction::Impl& d) {
    if (!d.connected || d.appliedAutoCommit || d.pendingWork || d.reading > 0) return;
    d.dropPrepared();
    SQLEndTran(SQL_HANDLE_DBC, d.dbc, SQL_COMMIT);
}

// Counts a read while it runs (its statement handle freed before the end) and then ends the idle
// transaction, also when a row's handler throws.
struct Read {
    Transaction::Impl& d;
    explicit Read(Transaction::Impl& impl) : d(impl) { ++d.reading; }
    Read(const Read&) = delete;
    Read& operator=(const Read&) = delete;
    ~Read() {
        --d.reading;
        endIdleTransaction(d);
    }
};

}  // namespace

static long executeParams(Transaction& t, Transaction::Impl& d, std::string_view sql,
                          std::vector<Param> params) {
    if (isSelect(sql)) {
        Read read(d);
        return sendStatement(t, d, sql, std::move(params));
    }
    const bool workBefore = d.pendingWork;
    d.pendingWork = true;
    long code = sendStatement(t, d, sql, std::move(params));
    // A failed statement undoes itself: with nothing before it there is nothing to keep open.
    if (code < 0 && !workBefore && d.connected && !d.appliedAutoCommit) {
        d.dropPrepared();
        SQLEndTran(SQL_HANDLE_DBC, d.dbc, SQL_ROLLBACK);
        d.pendingWork = false;
    }
    if (d.appliedAutoCommit) d.pendingWork = false;
    return code;
}

static long selectParams(Transaction& t, Transaction::Impl& d, std::string_view sql,
                         std::vector<Param> params, SqlRow& into) {
    Read read(d);
    return selectRow(t, d, sql, std::move(params), into);
}

static long queryParams(Transaction& t, Transaction::Impl& d, std::string_view sql, std::vector<Param> params,
                        const std::function<void(std::span<const SqlCellView>)>& onRow) {
    Read read(d);
    return queryRows(t, d, sql, std::move(params), onRow);
}

static void copyRow(std::span<const SqlCellView> views, const std::function<void(SqlRow&&)>& onRow) {
    SqlRow row(views.size());
    for (size_t i = 0; i < views.size(); ++i)
        if (views[i]) row[i].emplace(*views[i]);
    onRow(std::move(row));
}

namespace {

enum class End { None, Commit, Rollback };

// COMMIT or ROLLBACK (with WORK or TRANSACTION) given as statement text.
End endOfTransaction(std::string_view sql) {
    const std::string_view first = firstWord(sql);
    if (!startsWithNoCase(first, "COMMIT") && !startsWithNoCase(first, "ROLLBACK")) return End::None;
    std::vector<std::string_view> w = words(withoutSemicolon(sql), 2);
    if (w.empty() || w.size() > 2) return End::None;
    if (w.size() == 2 && !equalsNoCase(w[1], "WORK") && !equalsNoCase(w[1], "TRANSACTION")) return End::None;
    if (equalsNoCase(w[0], "COMMIT")) return End::Commit;
    if (equalsNoCase(w[0], "ROLLBACK")) return End::Rollback;
    return End::None;
}

}  // namespace

long Transaction::execute(std::string_view sql, std::span<const SqlCell> params) {
    // Ending a transaction as statement text would confuse the driver's own transaction state.
    if (End end = endOfTransaction(sql); end != End::None) return end == End::Commit ? commit() : rollback();
    return executeParams(*this, *impl_, sql, paramsFromCells(params));
}

long Transaction::executeValues(std::string_view sql, std::span<const Value> params) {
    if (End end = endOfTransaction(sql); end != End::None) return end == End::Commit ? commit() : rollback();
    return executeParams(*this, *impl_, sql, paramsFromValues(params));
}

long Transaction::selectInto(std::string_view sql, std::span<const SqlCell> params, SqlRow& into) {
    return selectParams(*this, *impl_, sql, paramsFromCells(params), into);
}

long Transaction::selectIntoValues(std::string_view sql, std::span<const Value> params, SqlRow& into) {
    return selectParams(*this, *impl_, sql, paramsFromValues(params), into);
}

long Transaction::query(std::string_view sql, std::span<const SqlCell> params,
                        const std::function<void(SqlRow&&)>& onRow) {
    return queryParams(*this, *impl_, sql, paramsFromCells(params),
                       [&](std::span<const SqlCellView> views) { copyRow(views, onRow); });
}

long Transaction::queryValues(std::string_view sql, std::span<const Value> params,
                              const std::function<void(SqlRow&&)>& onRow) {
    return queryParams(*this, *impl_, sql, paramsFromValues(params),
                       [&](std::span<const SqlCellView> views) { copyRow(views, onRow); });
}

long Transaction::queryValueViews(std::string_view sql, std::span<const Value> params,
                                  const std::function<void(std::span<const SqlCellView>)>& onRow) {
    return queryParams(*this, *impl_, sql, paramsFromValues(params), onRow);
}

long Transaction::queryViews(std::string_view sql, std::span<const SqlCell> params,
                             const std::function<void(std::span<const SqlCellView>)>& onRow) {
    return queryParams(*this, *impl_, sql, paramsFromCells(params), onRow);
}

static long endTransaction(Transaction& t, Transaction::Impl& d, SQLSMALLINT how) {
    resetResult(t);
    if (!d.connected) return refuse(t, "Transaction not connected");
    // Some drivers lose prepared statements when a transaction ends.
    d.dropPrepared();
    SQLRETURN rc = SQLEndTran(SQL_HANDLE_DBC, d.dbc, how);
    if (!succeeded(rc))
        return fail(t, SQL_HANDLE_DBC, d.dbc, how == SQL_COMMIT ? "Commit failed" : "Rollback failed");
    d.pendingWork = false;
    return t.sqlCode;
}

long Transaction::commit() { return endTransaction(*this, *impl_, SQL_COMMIT); }

long Transaction::rollback() { return endTransaction(*this, *impl_, SQL_ROLLBACK); }

namespace {

// Looks a table up without regard to case and answers its name as the catalogue spells it (empty
// when there is none); nullopt when the catalogue cannot be read (the result fields then hold the
// reason).
std::optional<std::string> tableNamed(Transaction& t, SQLHDBC dbc, std::string_view table) {
    Statement st;
    if (!succeeded(SQLAllocHandle(SQL_HANDLE_STMT, dbc, &st.h))) {
        st.h = SQL_NULL_HSTMT;
        fail(t, SQL_HANDLE_DBC, dbc, "Cannot allocate a statement");
        return std::nullopt;
    }
    SQLCHAR types[] = "TABLE";
    SQLRETURN rc = SQLTables(st.h, nullptr, 0, nullptr, 0, nullptr, 0, types, SQL_NTS);
    if (!succeeded(rc)) {
        fail(t, SQL_HANDLE_STMT, st.h, "Cannot list the tables");
        return std::nullopt;
    }
    char name[256];
    for (;;) {
        rc = SQLFetch(st.h);
        if (rc == SQL_NO_DATA) return std::string();
        if (!succeeded(rc)) {
            fail(t, SQL_HANDLE_STMT, st.h, "Cannot list the tables");
            return std::nullopt;
        }
        SQLLEN indicator = 0;
        rc = SQLGetData(st.h, 3, SQL_C_CHAR, name, sizeof name, &indicator);
        if (succeeded(rc) && indicator != SQL_NULL_DATA && equalsNoCase(name, table)) return std::string(name);
    }
}

// A double-quoted identifier (its name holds only letters, digits and underscores).
std::string quoted(std::string_view name) { return "\"" + std::string(name) + "\""; }

}  // namespace

long Transaction::executeImmediate(std::string_view sql) {
    long code = sendImmediate(sql);
    if (statementTrace) statementTrace(sql, code);
    return code;
}

long Transaction::sendImmediate(std::string_view sql) {
    if (End end = endOfTransaction(sql); end != End::None) return end == End::Commit ? commit() : rollback();
    std::vector<std::string_view> w = words(withoutSemicolon(sql), 2);
    if (w.size() == 2 && equalsNoCase(w[0], "PACK")) {
        resetResult(*this);
        Impl& d = *impl_;
        if (!d.connected) return refuse(*this, "Transaction not connected");
        if (!isIdentifier(w[1]))
            return refuse(*this, "PACK needs a table name: \"" + std::string(w[1]) + "\"");
        if (!syncAutoCommit(*this, d, autoCommit)) return sqlCode;
        std::optional<std::string> table = tableNamed(*this, d.dbc, w[1]);
        if (!table) return sqlCode;
        if (table->empty()) return refuse(*this, "PACK: no table named " + std::string(w[1]));
        // Both databases compact only outside a transaction.
        if (!d.appliedAutoCommit) return refuse(*this, "PACK " + std::string(w[1]) + " needs AutoCommit on");
        // PostgreSQL compacts the one table, by its name as the catalogue spells it (folded to lower
        // case when it was created unquoted); SQLite only compacts the database as a whole.
        return executeParams(*this, d, d.postgres ? "VACUUM " + quoted(*table) : "VACUUM", {});
    }
    return executeParams(*this, *impl_, sql, {});
}

}  // namespace runtime
