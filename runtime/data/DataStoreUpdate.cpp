// The row set against its database: retrieve and update, and the report of their errors.
#include "runtime/data/DataStore.h"

#include "runtime/core/Application.h"
#include "runtime/data/DataStoreRows.h"
#include "runtime/data/QuietDatabaseErrors.h"
#include "runtime/db/Transaction.h"
#include "runtime/services/MessageBox.h"

#include <algorithm>
#include <cctype>

namespace runtime {

// ---- Retrieve and update -----------------------------------------------------------------------

namespace {

// Replaces ":n" outside quotes by "?" and lists the argument numbers in the order they appear.
bool bindArguments(std::string_view select, std::string& sql, std::vector<int>& order) {
    char quote = 0;
    for (std::size_t i = 0; i < select.size(); ++i) {
        char c = select[i];
        if (quote) {
            sql += c;
            if (c == quote) quote = 0;
            continue;
        }
        if (c == '\'' || c == '"') {
            quote = c;
            sql += c;
            continue;
        }
        if (c == ':' && i + 1 < select.size() && std::isdigit(static_cast<unsigned char>(select[i + 1]))) {
            int n = 0;
            std::size_t j = i + 1;
            while (j < select.size() && std::isdigit(static_cast<unsigned char>(select[j])))
                n = n * 10 + (select[j++] - '0');
            order.push_back(n);
            sql += '?';
            i = j - 1;
            continue;
        }
        sql += c;
    }
    return quote == 0;
}


}  // namespace

namespace {
int g_quiet = 0;  // the user-interface thread's count of live QuietDatabaseErrors
}  // namespace

QuietDatabaseErrors::QuietDatabaseErrors() { ++g_quiet; }
QuietDatabaseErrors::~QuietDatabaseErrors() { --g_quiet; }
bool QuietDatabaseErrors::active() { return g_quiet > 0; }

void DataStore::reportDatabaseError(long dbCode, const std::string& statement, Buffer buffer, long row) {
    const int bufferCode = buffer == Buffer::Primary ? 0 : buffer == Buffer::Delete ? 1 : 2;
    Ref<DataStore> self(this);
    Value handled = trigger("dberror", {dbCode, lastError_, statement, bufferCode, row});
    if (!self || handled.toInt() == 1 || QuietDatabaseErrors::active()) return;
    Application* app = Application::instance();
    messageBox(app ? app->dwMessageTitle() : Application::defaultDwMessageTitle(), lastError_, MessageIcon::StopSign);
}

long DataStore::retrieve(std::span<const Value> arguments) {
    lastError_.clear();
    if (!transaction_ || !transaction_->isConnected()) {
        lastError_ = "the row set has no connected transaction";
        return -1;
    }
    if (trimmed(layout_.select).empty()) {
        lastError_ = "the layout has no retrieve statement";
        return -1;
    }
    std::string sql;
    std::vector<int> order;
    if (!bindArguments(layout_.select, sql, order)) {
        lastError_ = "the retrieve statement has an unclosed quote";
        return -1;
    }
    std::vector<Value> params;
    for (int n : order) {
        if (n < 1 || static_cast<std::size_t>(n) > arguments.size()) {
            lastError_ = "retrieve argument :" + std::to_string(n) + " was not given";
            return -1;
        }
        params.push_back(arguments[static_cast<std::size_t>(n - 1)]);
    }
    const std::size_t columns = layout_.columns.size();
    std::vector<Row> fetched;
    // Each cell becomes its typed value straight from the driver's buffer.
    long code = transaction_->queryValueViews(sql, params, [&](std::span<const SqlCellView> cells) {
        Row& r = fetched.emplace_back();
        r.values.resize(columns);
        const std::size_t n = std::min(columns, cells.size());
        for (std::size_t c = 0; c < n; ++c)
            if (cells[c]) r.values[c] = fromCell(static_cast<int>(c), *cells[c]);
        r.order = fetched.size() - 1;
    });
    if (code < 0) {
        lastError_ = transaction_->sqlErrText;
        reportDatabaseError(transaction_->sqlDbCode, sql, Buffer::Primary, 0);
        return -1;
    }
    storage_->primary = std::move(fetched);
    storage_->filtered.clear();
    storage_->deleted.clear();
    storage_->nextOrder = storage_->primary.size();
    applyFilter();
    if (!sortKeys_.empty()) applySort();
    notify(RowSetObserver::Change::Reset, 0, 0);
    long count = rowCount();
    trigger("retrieveend", {Value(count)});
    return count;
}

long DataStore::update(bool resetFlags) {
    lastError_.clear();
    if (!transaction_ || !transaction_->isConnected()) {
        lastError_ = "the row set has no connected transaction";
        return -1;
    }
    std::string table(trimmed(layout_.updateTable));
    if (table.empty()) {
        lastError_ = "the layout has no update table";
        return -1;
    }
    const std::size_t columns = layout_.columns.size();
    std::vector<std::string> names(columns);
    std::vector<std::size_t> keys;
    for (std::size_t c = 0; c < columns; ++c) {
        const ColumnLayout& col = layout_.columns[c];
        std::string name = col.dbName.empty() ? col.name : col.dbName;
        if (name.size() > table.size() + 1 && name[table.size()] == '.' &&
            iequals(std::string_view(name).substr(0, table.size()), table))
            name = name.substr(table.size() + 1);
        names[c] = name;
        if (col.key) keys.push_back(c);
    }

    struct Statement {
        std::string sql;
        std::vector<Value> params;
        bool mustTouch;  // an UPDATE or DELETE that touches no row means the row changed
        Buffer buffer = Buffer::Primary;
        long row = 0;  // in `buffer`, for the error report
        const std::string* shared = nullptr;  // the text, when it is the one every insert shares
        const std::string& text() const { return shared ? *shared : sql; }
    };
    std::vector<Statement> statements;
    long inserted = 0, updated = 0, deleted = 0;
    bool needsKeys = false;

    auto where = [&](const Row& r, Statement& s) {
        for (std::size_t i = 0; i < keys.size(); ++i) {
            const Value& v = r.stored(keys[i]);
            s.sql += i == 0 ? " WHERE " : " AND ";
            s.sql += names[keys[i]];
            if (v.isNull()) {
                s.sql += " IS NULL";
            } else {
                s.sql += " = ?";
                s.params.push_back(v);
            }
        }
    };

    long deletedRow = 0;
    for (const Row& r : storage_->deleted) {
        ++deletedRow;
        if (r.isNew()) continue;
        needsKeys = true;
        Statement s{"DELETE FROM " + table, {}, true, Buffer::Delete, deletedRow};
        where(r, s);
        statements.push_back(std::move(s));
        ++deleted;
    }
    // Every new row writes the same columns: one text for all, built once.
    std::vector<std::size_t> written;
    std::string insert = "INSERT INTO " + table + " (", values;
    for (std::size_t c = 0; c < columns; ++c) {
        if (!layout_.columns[c].updatable && !layout_.columns[c].key) continue;
        insert += (written.empty() ? "" : ", ") + names[c];
        values += written.empty() ? "?" : ", ?";
        written.push_back(c);
    }
    insert += ") VALUES (" + values + ")";
    std::size_t changed = storage_->deleted.size();
    for (auto* buffer : {&storage_->primary, &storage_->filtered})
        for (const Row& r : *buffer) changed += r.status == ItemStatus::NewModified || r.status == ItemStatus::DataModified;
    statements.reserve(changed);
    for (auto* buffer : {&storage_->primary, &storage_->filtered}) {
        Buffer which = buffer == &storage_->primary ? Buffer::Primary : Buffer::Filter;
        long row = 0;
        for (const Row& r : *buffer) {
            ++row;
            if (r.status != ItemStatus::NewModified || written.empty()) continue;  // nothing to write
            Statement s{{}, {}, false, which, row, &insert};
            s.params.reserve(written.size());
            for (std::size_t c : written) s.params.push_back(r.values[c]);
            statements.push_back(std::move(s));
            ++inserted;
        }
    }
    for (auto* buffer : {&storage_->primary, &storage_->filtered}) {
        Buffer which = buffer == &storage_->primary ? Buffer::Primary : Buffer::Filter;
        long row = 0;
        for (const Row& r : *buffer) {
            ++row;
            if (r.status != ItemStatus::DataModified) continue;
            Statement s{"UPDATE " + table + " SET ", {}, true, which, row};
            bool first = true;
            for (std::size_t c = 0; c < columns; ++c) {
                if (!layout_.columns[c].updatable || !r.columnModified(c)) continue;
                s.sql += (first ? "" : ", ") + names[c] + " = ?";
                s.params.push_back(r.values[c]);
                first = false;
            }
            if (first) continue;  // only columns that are not written changed
            needsKeys = true;
            where(r, s);
            statements.push_back(std::move(s));
            ++updated;
        }
    }
    if (needsKeys && keys.empty()) {
        lastError_ = "the layout has no key columns to find its rows by";
        return -1;
    }
    for (const Statement& s : statements) {
        long code = transaction_->executeValues(s.text(), s.params);
        if (code < 0) {
            lastError_ = transaction_->sqlErrText;
            reportDatabaseError(transaction_->sqlDbCode, s.text(), s.buffer, s.row);
            return -1;
        }
        if (code == 100 && s.mustTouch) {
            lastError_ = "Row changed between retrieve and update.";
            reportDatabaseError(0, s.text(), s.buffer, s.row);
            return -1;
        }
    }
    if (resetFlags) resetUpdate();
    trigger("updateend", {Value(inserted), Value(updated), Value(deleted)});
    return 1;
}

}  // namespace runtime
