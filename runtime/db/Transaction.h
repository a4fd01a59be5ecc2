#pragma once
// The transaction object: one ODBC connection through unixODBC's C API, with the host runtime's
// result protocol (sqlCode 0 success, 100 no row, -1 error; sqlErrText and sqlDbCode read straight
// after the failing call).
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/Value.h"

namespace runtime {

// One cell as the driver gives it: text, or nullopt for NULL.
using SqlCell = std::optional<std::string>;
using SqlRow = std::vector<SqlCell>;
// A cell seen in the driver's buffer, valid only during the row's callback.
using SqlCellView = std::optional<std::string_view>;

class Transaction {
public:
    Transaction();
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    // Connection properties, set before connect().
    std::string dbms;    // "ODBC"
    std::string dbParm;  // "Connectstring='DSN=<name>'"
    bool autoCommit = false;

    // Added on a line of its own to the error text when another connection holds the lock that a
    // statement needs (after SQLite's busy timeout, or a server's lock timeout, has run out).
    static constexpr const char* busyAdvice =
        "Another program is using the project database and holds it locked. Wait until it has "
        "finished, or close it, then try again.";

    // Results of the last call.
    long sqlCode = 0;
    long sqlDbCode = 0;
    long sqlNRows = 0;  // rows touched by the last execute / fetched by the last query
    std::string sqlErrText;

    // Hears every statement sent through executeImmediate() with its result code (for tests).
    std::function<void(std::string_view statement, long sqlCode)> statementTrace;

    // Each returns the new sqlCode.
    long connect();
    long disconnect();  // commits an open transaction first
    bool isConnected() const;

    // With automatic commit off, work that may write (any statement but a SELECT) stays open for
    // commit() or rollback(); a read with no such work before it ends its transaction at once, so
    // that no lock or open transaction is held while the program waits for its user.
    // A statement that fails undoes only itself: the work before it stays open for commit() or
    // rollback(). (psqlODBC's default does so with a savepoint per statement; only for text that
    // it cannot take for a statement at all does it roll back the whole transaction.)
    long executeImmediate(std::string_view sql);  // also "PACK <table>"
    long commit();                                // through the driver's end-transaction call
    long rollback();
    // A one-row SELECT: fills `into` with the first row's cells; 100 and `into` unchanged when
    // there is no row.
    long selectInto(std::string_view sql, std::span<const SqlCell> params, SqlRow& into);
    // Runs a statement with bound parameters (NULL for nullopt); an UPDATE or DELETE that touches
    // no row answers 100.
    long execute(std::string_view sql, std::span<const SqlCell> params = {});
    // Runs a query with bound parameters and hands each row to `onRow` in order.
    long query(std::string_view sql, std::span<const SqlCell> params,
               const std::function<void(SqlRow&&)>& onRow);

    // The fastest form: each row's cells as views into the fetch buffers, valid only during the
    // call (no copy is made; the caller keeps what it needs).
    long queryViews(std::string_view sql, std::span<const SqlCell> params,
                    const std::function<void(std::span<const SqlCellView>)>& onRow);

    // The same with typed parameters: numbers are bound as numbers (so that a DELETE with a bound
    // number compares numerically whatever the column's declared type), texts as texts, null as NULL.
    long selectIntoValues(std::string_view sql, std::span<const Value> params, SqlRow& into);
    long executeValues(std::string_view sql, std::span<const Value> params);
    long queryValues(std::string_view sql, std::span<const Value> params,
                     const std::function<void(SqlRow&&)>& onRow);
    long queryValueViews(std::string_view sql, std::span<const Value> params,
                         const std::function<void(std::span<const SqlCellView>)>& onRow);

    // Validates DBParm and returns the data source name, or nullopt with the reason in `error`.
    static std::optional<std::string> parseDataSource(std::string_view dbParm, std::string& error);

    struct Impl;  // the ODBC handles; opaque

private:
    long sendImmediate(std::string_view sql);
    std::unique_ptr<Impl> impl_;
};

}  // namespace runtime
