#pragma once
// The host runtime's row set: rows described by a layout, retrieved through a transaction, held
// in a primary buffer (rows that pass the filter), a filter buffer (rows filtered out) and a
// delete buffer (rows deleted since the last update), each row with its current and stored
// values and its row and column statuses; written back by update().
//
// Rows and columns are numbered from 1. A row or column that does not exist is a runtime error
// (RuntimeError); a value that a column cannot take (a text too long for char(n), a text in a
// number column) makes setItem() answer -1 and changes nothing.
//
// Events, raised at once (triggered) before the call that causes them returns:
//   retrieveend (rows in the primary buffer), updateend (rows inserted, updated, deleted),
//   dberror (database code, error text, statement, buffer, row) when the database refuses a
//   retrieve or update: unless the script answers 1, the error is shown in a message box titled
//   with the application's dwMessageTitle().
#include "runtime/Value.h"
#include "runtime/core/Object.h"
#include "runtime/data/DataLayout.h"
#include "runtime/data/Expression.h"

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace runtime {

class Transaction;

enum class Buffer { Primary, Filter, Delete };

// Status of a row, or of one column of a row.
enum class ItemStatus { NotModified, DataModified, New, NewModified };

// What a view of the rows (a data-window control) hears about changes of the shared rows.
class RowSetObserver {
public:
    enum class Change {
        Reset,         // rows replaced, filtered, sorted, shared or imported: read everything again
        RowInserted,   // `row` of the primary buffer is new
        RowDeleted,    // `row` of the primary buffer went away
        ItemChanged,   // `row`, `column` of the primary buffer has a new value or status
    };
    virtual ~RowSetObserver() = default;
    virtual void rowsChanged(Change change, long row, int column) = 0;
};

class RowStorage;

class DataStore : public Object {
public:
    // `className` is the runtime class name of a descendant ("u_ds_a"); "datastore" by default.
    explicit DataStore(std::string className = "datastore");
    explicit DataStore(std::shared_ptr<const DataLayout> layout);
    ~DataStore() override;
    DataStore(const DataStore&) = delete;
    DataStore& operator=(const DataStore&) = delete;

    // --- Layout -------------------------------------------------------------------------------
    // Sets the layout (by its registered name); the rows are dropped. RuntimeError for an
    // unknown name.
    void setDataObject(std::string_view layoutName);
    void setLayout(std::shared_ptr<const DataLayout> layout);
    const std::string& dataObject() const;
    // The layout in force, with what Modify changed.
    const DataLayout& layout() const { return layout_; }
    int columnCount() const { return static_cast<int>(layout_.columns.size()); }
    // Column number (1-based) of a stored column, without regard to case; 0 when there is none.
    int columnNumber(std::string_view name) const;

    // --- Retrieve and update ----------------------------------------------------------------
    void setTransObject(Transaction* transaction) { transaction_ = transaction; }
    Transaction* transObject() const { return transaction_; }
    // Replaces all rows by the SELECT's (arguments bound to :1, :2, ...), applies the filter
    // and the sort criteria, raises retrieveEnd, and answers the number of rows in the primary
    // buffer; -1 (rows unchanged, lastError() tells why) on failure.
    long retrieve(std::span<const Value> arguments = {});
    // Writes the changes: deletes, then inserts, then updates, each row found by its key
    // columns' stored values. No commit. Success: 1, statuses cleared, stored values = current,
    // delete buffer emptied, updateEnd raised. Failure: -1, lastError() tells why, every row,
    // value and status kept so that the caller can roll back and try again.
    long update(bool resetFlags = true);
    // Clears every status, makes the stored values the current ones and empties the delete buffer.
    void resetUpdate();
    const std::string& lastError() const { return lastError_; }

    // --- Rows -------------------------------------------------------------------------------
    // Inserts a row with the layout's initial values before `row` (0: at the end); answers its
    // number. Its status is New.
    long insertRow(long row);
    // Moves a row to the delete buffer (a New or NewModified row, never stored, is just
    // dropped); later rows move up. Answers 1.
    long deleteRow(long row);
    // Drops every row of every buffer (nothing is deleted in the database).
    void reset();

    long rowCount() const;       // primary buffer
    long filteredCount() const;  // filter buffer
    long deletedCount() const;   // delete buffer
    long modifiedCount() const;  // DataModified and NewModified rows of primary and filter
    long rowCount(Buffer buffer) const;

    // --- Values -----------------------------------------------------------------------------
    // The current value, or with `original` the stored one (as retrieved or last updated; null
    // for a row that was never stored). A computed column is read by name.
    Value getItem(long row, int column, Buffer buffer = Buffer::Primary, bool original = false) const;
    Value getItem(long row, std::string_view column, Buffer buffer = Buffer::Primary,
                  bool original = false) const;
    std::string getItemString(long row, std::string_view column, Buffer buffer = Buffer::Primary,
                              bool original = false) const;  // null: the empty text
    double getItemNumber(long row, std::string_view column, Buffer buffer = Buffer::Primary,
                         bool original = false) const;  // null: 0
    std::string getItemString(long row, int column, Buffer buffer = Buffer::Primary,
                              bool original = false) const;
    double getItemNumber(long row, int column, Buffer buffer = Buffer::Primary,
                         bool original = false) const;
    // 1 set; -1 when the column cannot take the value (nothing changes).
    long setItem(long row, int column, const Value& value, Buffer buffer = Buffer::Primary);
    long setItem(long row, std::string_view column, const Value& value,
                 Buffer buffer = Buffer::Primary);

    // A block of current values: rows firstRow..lastRow, columns firstColumn..lastColumn.
    std::vector<std::vector<Value>> getBlock(long firstRow, int firstColumn, long lastRow, int lastColumn,
                                             Buffer buffer = Buffer::Primary) const;
    // Writes a block into the primary buffer from (firstRow, firstColumn) on, inserting rows at
    // the end where it reaches past the last row, as setItem() does value by value. 1, or -1
    // when a column cannot take one of the values (nothing changes then).
    long setBlock(long firstRow, int firstColumn, const std::vector<std::vector<Value>>& block);

    // Rewrites the values of `columns` in the primary and filter buffers as if the database had
    // held them so (`rewrite` answers the new value, or nothing to keep the old one): a row that
    // is as stored stays so, with the new values stored. Other rows get them through setItem()
    // and are then marked NotModified. A value a column cannot take leaves the old one. The views
    // hear one Reset.
    void rewriteStored(std::span<const int> columns,
                       const std::function<std::optional<Value>(const Value&)>& rewrite);

    // Column 0 stands for the whole row.
    ItemStatus getItemStatus(long row, int column, Buffer buffer = Buffer::Primary) const;
    // 1 done; -1 for a change that the statuses do not allow (a New row made NotModified...).
    long setItemStatus(long row, int column, Buffer buffer, ItemStatus status);
    // The next DataModified or NewModified row after `row` in `buffer`; 0 when there is none.
    long getNextModified(long row, Buffer buffer = Buffer::Primary) const;

    // --- Filter, sort, find -------------------------------------------------------------------
    // 1 accepted; -1 for a malformed expression (the filter in force stays). "" lets every row
    // through.
    long setFilter(std::string_view expression);
    const std::string& filterText() const { return filterText_; }
    // Applies the filter: failing rows go to the filter buffer, passing ones come back in the
    // order they had. 1, or -1 when no valid filter is set.
    long filter();
    // 1 accepted; -1 malformed ("" means no sort criteria).
    long setSort(std::string_view criteria);
    const std::string& sortText() const { return sortText_; }
    // Stable sort of the primary buffer by the criteria; none keeps the order. 1 or -1.
    long sort();
    // First row from `start` to `end` (backwards when start > end) where the expression is
    // true; 0 when none; -1 for a malformed expression.
    long find(std::string_view expression, long start, long end) const;
    // Number of group levels of the layout, and the first and last row (of the primary buffer) of
    // `row`'s group at `level` (1 = outermost).
    int groupCount() const { return static_cast<int>(groupKeys_.size()); }
    std::pair<long, long> groupRows(long row, int level) const;
    // A compiled expression over this row set's columns (for views that evaluate per row).
    Expression compile(std::string_view expression) const;
    // The expression's value for a primary row, aggregates walking every buffer.
    Value evaluate(const Expression& expression, long row) const;
    // The same on a report's page, for page() and pagecount().
    Value evaluate(const Expression& expression, long row, long page, long pageCount) const;

    // --- Sharing ------------------------------------------------------------------------------
    // `secondary` sees and edits this row set's rows from now on (its own rows are dropped).
    // 1, or -1 when its columns do not have the same types in the same order.
    long shareData(DataStore& secondary);
    // This row set stops sharing and starts with no rows; the others keep theirs.
    long shareDataOff();
    bool sharesWith(const DataStore& other) const;

    // A number that changes whenever the rows, their values or their order change (also when
    // another row set that shares them changes them); equal numbers mean the same rows.
    uint64_t changeStamp() const;

    void addObserver(RowSetObserver* observer);
    void removeObserver(RowSetObserver* observer);

    // --- Import -------------------------------------------------------------------------------
    // Appends a row per line, tab-separated fields in column order (an empty field: null; an
    // empty text for char columns). Answers the rows added; -1 when the file cannot be read,
    // -4 for a value a column cannot take (nothing is added then).
    long importFile(const std::filesystem::path& path);
    long importString(std::string_view text);

    // --- Describe and Modify ------------------------------------------------------------------
    // Answers each blank-separated attribute read with its value, several joined by "\n"; "!" for
    // one that does not exist. See DataStoreAttributes.cpp for the attributes.
    std::string describe(std::string_view attributes) const;
    // Applies "object.attribute = value" settings; "" when all were applied, else an error text
    // and nothing changes.
    std::string modify(std::string_view settings);
    // An attribute of a column for one row: its expression's value there, or its default.
    Value columnAttribute(long row, int column, std::string_view attribute) const;

    struct Row;  // the storage's row, opaque outside the implementation

private:
    // Raises dberror and shows the box unless its script handled it.
    void reportDatabaseError(long dbCode, const std::string& statement, Buffer buffer, long row);
    friend class RowStorage;
    friend class DataStoreAttributes;
    friend class PrimaryRowScope;

    void compileLayout();
    std::optional<ExpressionColumn> resolve(std::string_view name) const;
    std::vector<Row>& rows(Buffer buffer);
    const std::vector<Row>& rows(Buffer buffer) const;
    Row& rowAt(long row, Buffer buffer);
    const Row& rowAt(long row, Buffer buffer) const;
    int checkColumn(int column) const;
    int columnIndex(std::string_view name) const;  // -1: none
    bool convert(int column, const Value& in, Value& out) const;
    Value fromCell(int column, std::string_view text) const;
    bool sameGroup(std::size_t a, std::size_t b, int level) const;
    void applyFilter();
    void applySort();
    void notify(RowSetObserver::Change change, long row, int column);
    void observersChanged(RowSetObserver::Change change, long row, int column);
    long importRows(std::string_view text);

    std::string dataObject_;
    DataLayout layout_;
    std::vector<int> textWidths_;  // per column: n of char(n), -1 when not a text column
    std::vector<ValueKind> kinds_;
    std::vector<bool> integral_;
    std::vector<std::shared_ptr<const Expression>> computed_;
    std::shared_ptr<RowStorage> storage_;
    Transaction* transaction_ = nullptr;
    std::string filterText_;
    Expression filter_;
    std::string sortText_;
    std::vector<std::pair<Expression, bool>> sortKeys_;  // expression, ascending
    std::vector<std::vector<Expression>> groupKeys_;     // per level
    std::vector<RowSetObserver*> observers_;
    std::string lastError_;
    // Compiled attribute expressions by "column.attribute", dropped by modify().
    mutable std::map<std::string, std::shared_ptr<const Expression>> attributeExpressions_;
    // Per computed column that has one value on every row: that value and the rows' change stamp
    // it was worked out for (0: none yet).
    mutable std::vector<std::pair<uint64_t, Value>> sameForEveryRow_;
    std::vector<bool> computedSameForEveryRow_;
};

}  // namespace runtime
