#include "runtime/data/DataStore.h"

#include "runtime/core/Application.h"
#include "runtime/services/MessageBox.h"

#include "runtime/db/Transaction.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <fstream>
#include <mutex>
#include <sstream>

namespace runtime {

// ---- Layout registry -------------------------------------------------------------------------

namespace {

std::string lower(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

bool iequals(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
    return s;
}

struct LayoutRegistry {
    std::mutex mutex;
    std::map<std::string, std::shared_ptr<const DataLayout>> byName;
};
LayoutRegistry& registry() {
    static LayoutRegistry r;
    return r;
}

}  // namespace

void registerLayout(DataLayout layout) {
    auto& r = registry();
    std::lock_guard lock(r.mutex);
    std::string key = lower(layout.name);
    r.byName[key] = std::make_shared<const DataLayout>(std::move(layout));
}

std::shared_ptr<const DataLayout> findLayout(std::string_view name) {
    auto& r = registry();
    std::lock_guard lock(r.mutex);
    auto it = r.byName.find(lower(name));
    return it == r.byName.end() ? nullptr : it->second;
}

// ---- Rows ------------------------------------------------------------------------------------

namespace {

// Values as they were stored and which columns changed since; only rows that changed have them.
struct RowChanges {
    std::vector<Value> stored;
    std::vector<uint8_t> modified;
};

}  // namespace

struct DataStore::Row {
    std::vector<Value> values;
    std::unique_ptr<RowChanges> changes;
    ItemStatus status = ItemStatus::NotModified;
    uint64_t order = 0;  // position among all rows in the order they came; kept ascending per buffer

    bool isNew() const { return status == ItemStatus::New || status == ItemStatus::NewModified; }
    bool isModified() const {
        return status == ItemStatus::DataModified || status == ItemStatus::NewModified;
    }
    RowChanges& ensureChanges() {
        if (!changes) {
            changes = std::make_unique<RowChanges>();
            if (isNew()) changes->stored.assign(values.size(), Value());
            else changes->stored = values;
            changes->modified.assign(values.size(), 0);
        }
        return *changes;
    }
    const Value& stored(std::size_t column) const {
        static const Value null;
        if (changes) return changes->stored[column];
        return isNew() ? null : values[column];
    }
    bool columnModified(std::size_t column) const {
        return changes && changes->modified[column] != 0;
    }
};

// The rows that sharing row sets see together.
class RowStorage {
public:
    std::vector<DataStore::Row> primary, filtered, deleted;
    std::vector<DataStore*> sharers;
    uint64_t nextOrder = 0;

    void detach(DataStore* store) {
        sharers.erase(std::remove(sharers.begin(), sharers.end(), store), sharers.end());
    }
};

namespace {

// Every row held, for aggregates such as max(id for all).
class BufferRows : public ExpressionRows {
public:
    BufferRows(const std::vector<DataStore::Row>* a, const std::vector<DataStore::Row>* b,
               const std::vector<DataStore::Row>* c)
        : parts_{a, b, c} {}
    std::size_t count() const override {
        std::size_t n = 0;
        for (auto* p : parts_)
            if (p) n += p->size();
        return n;
    }
    std::span<const Value> row(std::size_t i) const override {
        for (auto* p : parts_) {
            if (!p) continue;
            if (i < p->size()) return (*p)[i].values;
            i -= p->size();
        }
        return {};
    }

private:
    const std::vector<DataStore::Row>* parts_[3];
};

}  // namespace

// Every row held, seen from one row of the primary buffer, whose groups it knows.
class PrimaryRowScope : public ExpressionRows {
public:
    PrimaryRowScope(const DataStore& store, const RowStorage& storage, std::size_t index)
        : store_(store), all_(&storage.primary, &storage.filtered, &storage.deleted),
          size_(storage.primary.size()), index_(index) {}
    std::size_t count() const override { return all_.count(); }
    std::span<const Value> row(std::size_t i) const override { return all_.row(i); }
    void moveTo(std::size_t index) { index_ = index; }
    bool groupRange(int level, std::size_t& first, std::size_t& last) const override {
        if (level < 1 || level > store_.groupCount() || index_ >= size_) return false;
        first = index_;
        while (first > 0 && store_.sameGroup(first - 1, index_, level)) --first;
        last = index_ + 1;
        while (last < size_ && store_.sameGroup(last, index_, level)) ++last;
        return true;
    }

private:
    const DataStore& store_;
    BufferRows all_;
    std::size_t size_;
    std::size_t index_;
};

// ---- Construction and layout -------------------------------------------------------------------

DataStore::DataStore(std::string className)
    : Object(std::move(className)), storage_(std::make_shared<RowStorage>()) {
    storage_->sharers.push_back(this);
    compileLayout();
}

DataStore::DataStore(std::shared_ptr<const DataLayout> layout) : DataStore() {
    setLayout(std::move(layout));
}

DataStore::~DataStore() { storage_->detach(this); }

void DataStore::setDataObject(std::string_view layoutName) {
    auto layout = findLayout(layoutName);
    if (!layout) throw RuntimeError("layout '" + std::string(layoutName) + "' does not exist");
    setLayout(std::move(layout));
}

void DataStore::setLayout(std::shared_ptr<const DataLayout> layout) {
    if (!layout) throw RuntimeError("no layout");
    layout_ = *layout;
    dataObject_ = layout_.name;
    storage_->detach(this);
    storage_ = std::make_shared<RowStorage>();
    storage_->sharers.push_back(this);
    filterText_.clear();
    filter_ = Expression();
    compileLayout();
    notify(RowSetObserver::Change::Reset, 0, 0);
}

const std::string& DataStore::dataObject() const { return dataObject_; }

void DataStore::compileLayout() {
    const std::size_t n = layout_.columns.size();
    textWidths_.assign(n, -1);
    kinds_.assign(n, ValueKind::Any);
    integral_.assign(n, false);
    for (std::size_t i = 0; i < n; ++i) {
        std::string type = lower(trimmed(layout_.columns[i].type));
        auto arg = [&]() -> long {
            auto open = type.find('('), close = type.find(')');
            if (open == std::string::npos || close == std::string::npos || close < open) return -1;
            return std::strtol(type.c_str() + open + 1, nullptr, 10);
        };
        if (type.rfind("char", 0) == 0 || type.rfind("varchar", 0) == 0) {
            kinds_[i] = ValueKind::Text;
            long w = arg();
            textWidths_[i] = w < 0 ? -1 : static_cast<int>(w);
        } else if (type.rfind("decimal", 0) == 0) {
            kinds_[i] = ValueKind::Number;
            integral_[i] = arg() <= 0;
        } else if (type == "long" || type == "ulong" || type == "int" || type == "integer") {
            kinds_[i] = ValueKind::Number;
            integral_[i] = true;
        } else if (type == "number" || type == "real" || type == "double") {
            kinds_[i] = ValueKind::Number;
        } else {
            kinds_[i] = ValueKind::Text;  // date, datetime, time: their text
        }
    }
    computed_.clear();
    // Computed columns may use one another in layout order.
    for (const ComputedLayout& c : layout_.computed) {
        computed_.push_back(std::make_shared<const Expression>(
            Expression::compile(c.expression, [this](std::string_view name) { return resolve(name); })));
    }
    groupKeys_.clear();
    for (const std::string& group : layout_.groups) {
        auto& keys = groupKeys_.emplace_back();
        std::size_t start = 0;
        for (std::size_t i = 0; i <= group.size(); ++i) {
            if (i < group.size() && group[i] != ',') continue;
            std::string_view item = trimmed(std::string_view(group).substr(start, i - start));
            start = i + 1;
            if (!item.empty()) keys.push_back(compile(item));
        }
    }
    sortText_ = layout_.sort;
    sortKeys_.clear();
    if (!trimmed(sortText_).empty() && setSort(layout_.sort) != 1) {
        sortText_.clear();
        sortKeys_.clear();
    }
}

int DataStore::columnIndex(std::string_view name) const {
    name = trimmed(name);
    if (name.size() > 1 && name[0] == '#') {
        int n = 0;
        auto [p, ec] = std::from_chars(name.data() + 1, name.data() + name.size(), n);
        if (ec == std::errc() && p == name.data() + name.size() && n >= 1 && n <= columnCount())
            return n - 1;
        return -1;
    }
    for (std::size_t i = 0; i < layout_.columns.size(); ++i)
        if (iequals(layout_.columns[i].name, name)) return static_cast<int>(i);
    return -1;
}

int DataStore::columnNumber(std::string_view name) const { return columnIndex(name) + 1; }

std::optional<ExpressionColumn> DataStore::resolve(std::string_view name) const {
    int i = columnIndex(name);
    if (i >= 0) return ExpressionColumn{i, kinds_[i], nullptr};
    for (std::size_t k = 0; k < computed_.size(); ++k)
        if (iequals(layout_.computed[k].name, name))
            return ExpressionColumn{-1, computed_[k]->kind(), computed_[k]};
    return std::nullopt;
}

Expression DataStore::compile(std::string_view expression) const {
    return Expression::compile(expression, [this](std::string_view name) { return resolve(name); });
}

// ---- Buffers -----------------------------------------------------------------------------------

std::vector<DataStore::Row>& DataStore::rows(Buffer buffer) {
    switch (buffer) {
    case Buffer::Primary: return storage_->primary;
    case Buffer::Filter: return storage_->filtered;
    case Buffer::Delete: return storage_->deleted;
    }
    throw RuntimeError("bad buffer");
}

const std::vector<DataStore::Row>& DataStore::rows(Buffer buffer) const {
    return const_cast<DataStore*>(this)->rows(buffer);
}

DataStore::Row& DataStore::rowAt(long row, Buffer buffer) {
    auto& r = rows(buffer);
    if (row < 1 || static_cast<std::size_t>(row) > r.size())
        throw RuntimeError("row " + std::to_string(row) + " does not exist (" +
                          std::to_string(r.size()) + " rows)");
    return r[static_cast<std::size_t>(row - 1)];
}

const DataStore::Row& DataStore::rowAt(long row, Buffer buffer) const {
    return const_cast<DataStore*>(this)->rowAt(row, buffer);
}

int DataStore::checkColumn(int column) const {
    if (column < 1 || column > columnCount())
        throw RuntimeError("column " + std::to_string(column) + " does not exist");
    return column - 1;
}

long DataStore::rowCount() const { return static_cast<long>(storage_->primary.size()); }
long DataStore::filteredCount() const { return static_cast<long>(storage_->filtered.size()); }
long DataStore::deletedCount() const { return static_cast<long>(storage_->deleted.size()); }
long DataStore::rowCount(Buffer buffer) const { return static_cast<long>(rows(buffer).size()); }

long DataStore::modifiedCount() const {
    long n = 0;
    for (const Row& r : storage_->primary) n += r.isModified();
    for (const Row& r : storage_->filtered) n += r.isModified();
    return n;
}

void DataStore::notify(RowSetObserver::Change change, long row, int column) {
    for (DataStore* s : storage_->sharers) s->observersChanged(change, row, column);
}

void DataStore::observersChanged(RowSetObserver::Change change, long row, int column) {
    // A copy: an observer may remove itself while it is told.
    auto observers = observers_;
    for (RowSetObserver* o : observers) o->rowsChanged(change, row, column);
}

void DataStore::addObserver(RowSetObserver* observer) {
    if (observer && std::find(observers_.begin(), observers_.end(), observer) == observers_.end())
        observers_.push_back(observer);
}

void DataStore::removeObserver(RowSetObserver* observer) {
    observers_.erase(std::remove(observers_.begin(), observers_.end(), observer), observers_.end());
}

// ---- Values ------------------------------------------------------------------------------------

namespace {

bool parseNumber(std::string_view text, bool integral, Value& out) {
    text = trimmed(text);
    if (text.empty()) {
        out = Value();
        return true;
    }
    if (integral) {
        int64_t i = 0;
        auto [p, ec] = std::from_chars(text.data(), text.data() + text.size(), i);
        if (ec == std::errc() && p == text.data() + text.size()) {
            out = Value(static_cast<long long>(i));
            return true;
        }
    }
    double d = 0;
    const char* begin = text.data();
    if (!text.empty() && text[0] == '+') ++begin;
    auto [p, ec] = std::from_chars(begin, text.data() + text.size(), d);
    if (ec != std::errc() || p != text.data() + text.size() || !std::isfinite(d)) return false;
    if (integral) {
        double r = std::round(d);
        if (std::fabs(r) > 9.2e18) return false;
        out = Value(static_cast<long long>(r));
    } else {
        out = Value(d);
    }
    return true;
}

}  // namespace

bool DataStore::convert(int column, const Value& in, Value& out) const {
    if (in.isNull()) {
        out = Value();
        return true;
    }
    const auto& s = in.storage();
    if (kinds_[column] == ValueKind::Text) {
        auto text = std::get_if<std::string>(&s);
        if (!text) return false;
        int width = textWidths_[column];
        if (width >= 0 && text->size() > static_cast<std::size_t>(width)) return false;
        out = in;
        return true;
    }
    if (auto text = std::get_if<std::string>(&s)) return parseNumber(*text, integral_[column], out);
    double d;
    if (auto b = std::get_if<bool>(&s)) {
        d = *b ? 1 : 0;
    } else if (auto i = std::get_if<int64_t>(&s)) {
        if (integral_[column]) {
            out = in;
            return true;
        }
        out = Value(static_cast<double>(*i));
        return true;
    } else {
        d = std::get<double>(s);
    }
    if (!std::isfinite(d)) return false;
    if (integral_[column]) {
        double r = std::round(d);
        if (std::fabs(r) > 9.2e18) return false;
        out = Value(static_cast<long long>(r));
    } else {
        out = Value(d);
    }
    return true;
}

Value DataStore::fromCell(int column, std::string&& text) const {
    if (kinds_[column] == ValueKind::Text) return Value(std::move(text));
    const char* b = text.data();
    const char* e = b + text.size();
    if (integral_[column]) {
        int64_t i = 0;
        auto [p, ec] = std::from_chars(b, e, i);
        if (ec == std::errc() && p == e) return Value(static_cast<long long>(i));
    } else {
        double d = 0;
        auto [p, ec] = std::from_chars(b, e, d);
        if (ec == std::errc() && p == e) return Value(d);
    }
    Value v;
    if (parseNumber(text, integral_[column], v)) return v;
    return Value();  // the database holds something that is no number: read as null
}

Value DataStore::getItem(long row, int column, Buffer buffer, bool original) const {
    const Row& r = rowAt(row, buffer);
    int c = checkColumn(column);
    return original ? r.stored(c) : r.values[c];
}

Value DataStore::getItem(long row, std::string_view column, Buffer buffer, bool original) const {
    int c = columnIndex(column);
    if (c >= 0) return getItem(row, c + 1, buffer, original);
    for (std::size_t k = 0; k < computed_.size(); ++k) {
        if (iequals(layout_.computed[k].name, trimmed(column))) {
            const Row& r = rowAt(row, buffer);
            if (buffer == Buffer::Primary) return evaluate(*computed_[k], row);
            BufferRows all(&storage_->primary, &storage_->filtered, &storage_->deleted);
            return computed_[k]->evaluate(r.values, &all);
        }
    }
    throw RuntimeError("column '" + std::string(column) + "' does not exist");
}

std::string DataStore::getItemString(long row, std::string_view column, Buffer buffer,
                                     bool original) const {
    return expressionValueText(getItem(row, column, buffer, original));
}

double DataStore::getItemNumber(long row, std::string_view column, Buffer buffer,
                                bool original) const {
    Value v = getItem(row, column, buffer, original);
    const auto& s = v.storage();
    if (auto i = std::get_if<int64_t>(&s)) return static_cast<double>(*i);
    if (auto d = std::get_if<double>(&s)) return *d;
    if (auto b = std::get_if<bool>(&s)) return *b ? 1 : 0;
    if (auto t = std::get_if<std::string>(&s)) {
        Value n;
        if (parseNumber(*t, false, n) && !n.isNull()) return std::get<double>(n.storage());
    }
    return 0;
}

std::string DataStore::getItemString(long row, int column, Buffer buffer, bool original) const {
    return expressionValueText(getItem(row, column, buffer, original));
}

double DataStore::getItemNumber(long row, int column, Buffer buffer, bool original) const {
    checkColumn(column);
    return getItemNumber(row, "#" + std::to_string(column), buffer, original);
}

std::vector<std::vector<Value>> DataStore::getBlock(long firstRow, int firstColumn, long lastRow,
                                                    int lastColumn, Buffer buffer) const {
    std::vector<std::vector<Value>> block;
    if (lastRow < firstRow || lastColumn < firstColumn) return block;
    rowAt(firstRow, buffer);
    rowAt(lastRow, buffer);
    int first = checkColumn(firstColumn), last = checkColumn(lastColumn);
    const auto& r = rows(buffer);
    for (long i = firstRow; i <= lastRow; ++i) {
        const auto& values = r[static_cast<std::size_t>(i - 1)].values;
        block.emplace_back(values.begin() + first, values.begin() + last + 1);
    }
    return block;
}

long DataStore::setBlock(long firstRow, int firstColumn, const std::vector<std::vector<Value>>& block) {
    if (block.empty()) return 1;
    if (firstRow < 1 || firstRow > rowCount() + 1)
        throw RuntimeError("row " + std::to_string(firstRow) + " does not exist (" +
                           std::to_string(rowCount()) + " rows)");
    int first = checkColumn(firstColumn);
    // Everything is checked before anything is written.
    std::vector<std::vector<Value>> converted;
    for (const auto& line : block) {
        if (first + static_cast<int>(line.size()) > columnCount())
            throw RuntimeError("column " + std::to_string(first + line.size()) + " does not exist");
        auto& out = converted.emplace_back(line.size());
        for (std::size_t c = 0; c < line.size(); ++c)
            if (!convert(first + static_cast<int>(c), line[c], out[c])) return -1;
    }
    for (std::size_t i = 0; i < converted.size(); ++i) {
        long row = firstRow + static_cast<long>(i);
        if (row > rowCount()) insertRow(0);
        for (std::size_t c = 0; c < converted[i].size(); ++c)
            setItem(row, first + static_cast<int>(c) + 1, converted[i][c]);
    }
    return 1;
}

long DataStore::setItem(long row, int column, const Value& value, Buffer buffer) {
    Row& r = rowAt(row, buffer);
    int c = checkColumn(column);
    Value v;
    if (!convert(c, value, v)) return -1;
    RowChanges& ch = r.ensureChanges();
    r.values[c] = std::move(v);
    ch.modified[c] = 1;
    if (r.status == ItemStatus::NotModified) r.status = ItemStatus::DataModified;
    else if (r.status == ItemStatus::New) r.status = ItemStatus::NewModified;
    if (buffer == Buffer::Primary) notify(RowSetObserver::Change::ItemChanged, row, column);
    return 1;
}

long DataStore::setItem(long row, std::string_view column, const Value& value, Buffer buffer) {
    int c = columnIndex(column);
    if (c < 0) throw RuntimeError("column '" + std::string(column) + "' does not exist");
    return setItem(row, c + 1, value, buffer);
}

// ---- Statuses ----------------------------------------------------------------------------------

ItemStatus DataStore::getItemStatus(long row, int column, Buffer buffer) const {
    const Row& r = rowAt(row, buffer);
    if (column == 0) return r.status;
    int c = checkColumn(column);
    return r.columnModified(c) ? ItemStatus::DataModified : ItemStatus::NotModified;
}

long DataStore::setItemStatus(long row, int column, Buffer buffer, ItemStatus status) {
    Row& r = rowAt(row, buffer);
    using S = ItemStatus;
    if (column != 0) {
        int c = checkColumn(column);
        if (status == S::New) return -1;
        if (status == S::NotModified) {
            if (r.changes) {
                r.changes->modified[c] = 0;
                if (!r.isNew()) r.changes->stored[c] = r.values[c];
                if (std::none_of(r.changes->modified.begin(), r.changes->modified.end(),
                                 [](uint8_t m) { return m != 0; })) {
                    if (r.status == S::DataModified) {
                        r.status = S::NotModified;
                        r.changes.reset();
                    } else if (r.status == S::NewModified) {
                        r.status = S::New;
                    }
                }
            }
        } else {
            r.ensureChanges().modified[c] = 1;
            if (r.status == S::NotModified) r.status = S::DataModified;
            else if (r.status == S::New) r.status = S::NewModified;
        }
    } else {
        switch (status) {
        case S::NotModified:
            if (r.status == S::New) return -1;
            if (r.status == S::NewModified) {
                r.status = S::New;
                if (r.changes) std::fill(r.changes->modified.begin(), r.changes->modified.end(), 0);
            } else {
                // Not modified means stored as it is now.
                r.status = S::NotModified;
                r.changes.reset();
            }
            break;
        case S::DataModified:
            if (r.status == S::New) {
                r.status = S::NewModified;
            } else if (r.status == S::NewModified) {
                // From now on the row counts as stored with these values.
                r.status = S::DataModified;
                r.changes.reset();
                r.ensureChanges();
            } else {
                r.ensureChanges();
                r.status = S::DataModified;
            }
            break;
        case S::New:
            if (r.status == S::NewModified) return -1;
            if (r.status == S::DataModified) {
                r.status = S::NewModified;
            } else if (r.status == S::NotModified) {
                r.status = S::New;
                r.changes.reset();
            }
            break;
        case S::NewModified:
            if (r.status != S::NewModified) {
                bool wasNew = r.isNew();
                r.status = S::NewModified;
                if (!wasNew) r.changes.reset();
                r.ensureChanges();
            }
            break;
        }
    }
    if (buffer == Buffer::Primary) notify(RowSetObserver::Change::ItemChanged, row, column);
    return 1;
}

long DataStore::getNextModified(long row, Buffer buffer) const {
    const auto& r = rows(buffer);
    for (std::size_t i = row < 0 ? 0 : static_cast<std::size_t>(row); i < r.size(); ++i)
        if (r[i].isModified()) return static_cast<long>(i + 1);
    return 0;
}

void DataStore::resetUpdate() {
    for (auto* buffer : {&storage_->primary, &storage_->filtered}) {
        for (Row& r : *buffer) {
            r.status = ItemStatus::NotModified;
            r.changes.reset();
        }
    }
    storage_->deleted.clear();
    notify(RowSetObserver::Change::Reset, 0, 0);
}

// ---- Insert, delete, reset ---------------------------------------------------------------------

long DataStore::insertRow(long row) {
    auto& primary = storage_->primary;
    if (row < 0 || static_cast<std::size_t>(row) > primary.size())
        throw RuntimeError("row " + std::to_string(row) + " does not exist (" +
                          std::to_string(primary.size()) + " rows)");
    Row r;
    r.values.reserve(layout_.columns.size());
    for (std::size_t c = 0; c < layout_.columns.size(); ++c) {
        Value v;
        if (!convert(static_cast<int>(c), layout_.columns[c].initial, v)) v = Value();
        r.values.push_back(std::move(v));
    }
    r.status = ItemStatus::New;
    std::size_t at = row == 0 ? primary.size() : static_cast<std::size_t>(row - 1);
    if (at == primary.size()) {
        r.order = storage_->nextOrder++;
    } else {
        r.order = primary[at].order;
        for (auto* buffer : {&storage_->primary, &storage_->filtered})
            for (Row& other : *buffer)
                if (other.order >= r.order) ++other.order;
        ++storage_->nextOrder;
    }
    primary.insert(primary.begin() + static_cast<std::ptrdiff_t>(at), std::move(r));
    long number = static_cast<long>(at + 1);
    notify(RowSetObserver::Change::RowInserted, number, 0);
    return number;
}

long DataStore::deleteRow(long row) {
    auto& primary = storage_->primary;
    rowAt(row, Buffer::Primary);
    auto it = primary.begin() + (row - 1);
    if (!it->isNew()) storage_->deleted.push_back(std::move(*it));
    primary.erase(it);
    notify(RowSetObserver::Change::RowDeleted, row, 0);
    return 1;
}

void DataStore::reset() {
    storage_->primary.clear();
    storage_->filtered.clear();
    storage_->deleted.clear();
    storage_->nextOrder = 0;
    notify(RowSetObserver::Change::Reset, 0, 0);
}

// ---- Filter, sort, find ------------------------------------------------------------------------

long DataStore::setFilter(std::string_view expression) {
    if (trimmed(expression).empty()) {
        filterText_.clear();
        filter_ = Expression();
        return 1;
    }
    Expression e = compile(expression);
    if (!e.valid()) return -1;
    filterText_ = std::string(expression);
    filter_ = std::move(e);
    return 1;
}

long DataStore::filter() {
    applyFilter();
    notify(RowSetObserver::Change::Reset, 0, 0);
    return 1;
}

void DataStore::applyFilter() {
    auto& primary = storage_->primary;
    auto& filtered = storage_->filtered;
    std::vector<Row> all;
    all.reserve(primary.size() + filtered.size());
    auto byOrder = [](const Row& a, const Row& b) { return a.order < b.order; };
    std::merge(std::make_move_iterator(primary.begin()), std::make_move_iterator(primary.end()),
               std::make_move_iterator(filtered.begin()), std::make_move_iterator(filtered.end()),
               std::back_inserter(all), byOrder);
    primary.clear();
    filtered.clear();
    if (filterText_.empty()) {
        primary = std::move(all);
        return;
    }
    std::vector<uint8_t> pass(all.size());
    BufferRows rowsForAggregates(&all, &storage_->deleted, nullptr);
    for (std::size_t i = 0; i < all.size(); ++i)
        pass[i] = filter_.isTrue(all[i].values, &rowsForAggregates);
    for (std::size_t i = 0; i < all.size(); ++i)
        (pass[i] ? primary : filtered).push_back(std::move(all[i]));
}

long DataStore::setSort(std::string_view criteria) {
    std::vector<std::pair<Expression, bool>> keys;
    // Split at commas outside quotes and parentheses.
    std::vector<std::string_view> items;
    int depth = 0;
    char quote = 0;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= criteria.size(); ++i) {
        char c = i < criteria.size() ? criteria[i] : ',';
        if (quote) {
            if (c == quote) quote = 0;
            continue;
        }
        if (c == '\'' || c == '"') quote = c;
        else if (c == '(') ++depth;
        else if (c == ')') --depth;
        else if (c == ',' && depth <= 0) {
            items.push_back(criteria.substr(start, i - start));
            start = i + 1;
        }
    }
    if (quote || depth != 0) return -1;
    for (std::string_view item : items) {
        item = trimmed(item);
        if (item.empty()) {
            if (items.size() == 1) break;  // "": no criteria
            return -1;
        }
        bool ascending = true;
        if (item.size() > 2 && std::isspace(static_cast<unsigned char>(item[item.size() - 2]))) {
            char dir = static_cast<char>(std::toupper(static_cast<unsigned char>(item.back())));
            if (dir == 'A' || dir == 'D') {
                ascending = dir == 'A';
                item = trimmed(item.substr(0, item.size() - 1));
            }
        }
        Expression e = compile(item);
        if (!e.valid()) return -1;
        keys.emplace_back(std::move(e), ascending);
    }
    sortText_ = std::string(criteria);
    sortKeys_ = std::move(keys);
    return 1;
}

namespace {

// One sort key of one row. Order: nulls first, then numbers, then texts (byte by byte).
struct SortCell {
    uint8_t kind = 0;  // 0 null, 1 whole number, 2 real number, 3 text
    int64_t whole = 0;
    double real = 0;
    std::string_view text;

    static SortCell of(const Value& v) {
        SortCell c;
        const auto& s = v.storage();
        if (auto i = std::get_if<int64_t>(&s)) {
            c.kind = 1;
            c.whole = *i;
            c.real = static_cast<double>(*i);
        } else if (auto d = std::get_if<double>(&s)) {
            c.kind = 2;
            c.real = *d;
        } else if (auto b = std::get_if<bool>(&s)) {
            c.kind = 1;
            c.whole = *b ? 1 : 0;
            c.real = static_cast<double>(c.whole);
        } else if (auto t = std::get_if<std::string>(&s)) {
            c.kind = 3;
            c.text = *t;
        }
        return c;
    }
    static int rank(uint8_t kind) { return kind == 2 ? 1 : kind; }
    static int compare(const SortCell& a, const SortCell& b) {
        int ra = rank(a.kind), rb = rank(b.kind);
        if (ra != rb) return ra < rb ? -1 : 1;
        switch (ra) {
        case 0: return 0;
        case 3: {
            int c = a.text.compare(b.text);
            return c < 0 ? -1 : (c > 0 ? 1 : 0);
        }
        default:
            if (a.kind == 1 && b.kind == 1) return a.whole < b.whole ? -1 : (a.whole > b.whole ? 1 : 0);
            return a.real < b.real ? -1 : (a.real > b.real ? 1 : 0);
        }
    }
};

}  // namespace

long DataStore::sort() {
    applySort();
    notify(RowSetObserver::Change::Reset, 0, 0);
    return 1;
}

void DataStore::applySort() {
    auto& primary = storage_->primary;
    if (!sortKeys_.empty() && primary.size() > 1) {
        const std::size_t n = primary.size();
        const std::size_t keyCount = sortKeys_.size();
        // Keys laid out side by side, so that comparing does not chase each row's values; keys
        // that are not plain columns are computed once per row.
        std::vector<std::vector<Value>> computedKeys(keyCount);
        std::vector<SortCell> cells(n * keyCount);
        BufferRows all(&storage_->primary, &storage_->filtered, &storage_->deleted);
        for (std::size_t k = 0; k < keyCount; ++k) {
            int plain = sortKeys_[k].first.plainColumn();
            if (plain < 0) {
                computedKeys[k].reserve(n);
                for (const Row& r : primary)
                    computedKeys[k].push_back(sortKeys_[k].first.evaluate(r.values, &all));
            }
            for (std::size_t i = 0; i < n; ++i)
                cells[i * keyCount + k] =
                    SortCell::of(plain >= 0 ? primary[i].values[static_cast<std::size_t>(plain)] : computedKeys[k][i]);
        }
        std::vector<uint32_t> index(n);
        for (std::size_t i = 0; i < n; ++i) index[i] = static_cast<uint32_t>(i);
        std::stable_sort(index.begin(), index.end(), [&](uint32_t x, uint32_t y) {
            const SortCell* a = &cells[x * keyCount];
            const SortCell* b = &cells[y * keyCount];
            for (std::size_t k = 0; k < keyCount; ++k) {
                int c = SortCell::compare(a[k], b[k]);
                if (c != 0) return sortKeys_[k].second ? c < 0 : c > 0;
            }
            return false;
        });
        std::vector<Row> sorted;
        sorted.reserve(n);
        for (uint32_t i : index) sorted.push_back(std::move(primary[i]));
        primary = std::move(sorted);
    }
    // The sorted order is the order rows come back in from the filter buffer.
    uint64_t order = 0;
    for (Row& r : primary) r.order = order++;
    for (Row& r : storage_->filtered) r.order = order++;
    storage_->nextOrder = order;
}

long DataStore::find(std::string_view expression, long start, long end) const {
    Expression e = compile(expression);
    if (!e.valid()) return -1;
    const auto& primary = storage_->primary;
    const long count = static_cast<long>(primary.size());
    if (count == 0) return 0;
    auto clamp = [&](long r) { return std::max(1L, std::min(r, count)); };
    if (start > count && end > count) return 0;
    long from = clamp(start), to = clamp(end);
    PrimaryRowScope scope(*this, *storage_, 0);
    auto matches = [&](long r) {
        scope.moveTo(static_cast<std::size_t>(r - 1));
        return e.isTrue(primary[static_cast<std::size_t>(r - 1)].values, &scope);
    };
    if (from <= to) {
        for (long r = from; r <= to; ++r)
            if (matches(r)) return r;
    } else {
        for (long r = from; r >= to; --r)
            if (matches(r)) return r;
    }
    return 0;
}

Value DataStore::evaluate(const Expression& expression, long row) const {
    const Row& r = rowAt(row, Buffer::Primary);
    PrimaryRowScope scope(*this, *storage_, static_cast<std::size_t>(row - 1));
    return expression.evaluate(r.values, &scope);
}

bool DataStore::sameGroup(std::size_t a, std::size_t b, int level) const {
    const auto& primary = storage_->primary;
    BufferRows all(&storage_->primary, &storage_->filtered, &storage_->deleted);
    for (int l = 0; l < level; ++l) {
        for (const Expression& key : groupKeys_[static_cast<std::size_t>(l)]) {
            int column = key.plainColumn();
            Value x = column >= 0 ? primary[a].values[static_cast<std::size_t>(column)] : key.evaluate(primary[a].values, &all);
            Value y = column >= 0 ? primary[b].values[static_cast<std::size_t>(column)] : key.evaluate(primary[b].values, &all);
            if (SortCell::compare(SortCell::of(x), SortCell::of(y)) != 0) return false;
        }
    }
    return true;
}

std::pair<long, long> DataStore::groupRows(long row, int level) const {
    rowAt(row, Buffer::Primary);
    if (level < 1 || level > groupCount())
        throw RuntimeError("group " + std::to_string(level) + " does not exist");
    PrimaryRowScope scope(*this, *storage_, static_cast<std::size_t>(row - 1));
    std::size_t first = 0, last = 0;
    scope.groupRange(level, first, last);
    return {static_cast<long>(first) + 1, static_cast<long>(last)};
}

// ---- Sharing -----------------------------------------------------------------------------------

long DataStore::shareData(DataStore& secondary) {
    if (&secondary == this) return -1;
    if (secondary.kinds_ != kinds_ || secondary.integral_ != integral_) return -1;
    secondary.storage_->detach(&secondary);
    secondary.storage_ = storage_;
    storage_->sharers.push_back(&secondary);
    secondary.observersChanged(RowSetObserver::Change::Reset, 0, 0);
    return 1;
}

long DataStore::shareDataOff() {
    if (storage_->sharers.size() <= 1) return 1;
    storage_->detach(this);
    storage_ = std::make_shared<RowStorage>();
    storage_->sharers.push_back(this);
    observersChanged(RowSetObserver::Change::Reset, 0, 0);
    return 1;
}

bool DataStore::sharesWith(const DataStore& other) const { return storage_ == other.storage_; }

// ---- Import ------------------------------------------------------------------------------------

long DataStore::importFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return -1;
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) return -1;
    return importRows(text.str());
}

long DataStore::importString(std::string_view text) { return importRows(text); }

long DataStore::importRows(std::string_view text) {
    std::vector<Row> added;
    const std::size_t columns = layout_.columns.size();
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t eol = text.find('\n', pos);
        std::string_view line = text.substr(pos, eol == std::string_view::npos ? text.size() - pos : eol - pos);
        pos = eol == std::string_view::npos ? text.size() : eol + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty()) continue;
        Row r;
        r.values.resize(columns);
        std::size_t field = 0, start = 0;
        for (std::size_t i = 0; i <= line.size() && field < columns; ++i) {
            if (i < line.size() && line[i] != '\t') continue;
            std::string_view cell = line.substr(start, i - start);
            start = i + 1;
            Value v;
            if (kinds_[field] == ValueKind::Text) {
                if (!convert(static_cast<int>(field), Value(cell), v)) return -4;
            } else if (!parseNumber(cell, integral_[field], v)) {
                return -4;
            }
            r.values[field++] = std::move(v);
        }
        r.status = ItemStatus::NewModified;
        r.ensureChanges();
        std::fill(r.changes->modified.begin(), r.changes->modified.begin() + static_cast<std::ptrdiff_t>(field), 1);
        added.push_back(std::move(r));
    }
    for (Row& r : added) {
        r.order = storage_->nextOrder++;
        storage_->primary.push_back(std::move(r));
    }
    notify(RowSetObserver::Change::Reset, 0, 0);
    return static_cast<long>(added.size());
}

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

void DataStore::reportDatabaseError(long dbCode, const std::string& statement, Buffer buffer, long row) {
    const int bufferCode = buffer == Buffer::Primary ? 0 : buffer == Buffer::Delete ? 1 : 2;
    Ref<DataStore> self(this);
    Value handled = trigger("dberror", {dbCode, lastError_, statement, bufferCode, row});
    if (!self || handled.toInt() == 1) return;
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
    long code = transaction_->queryValues(sql, params, [&](SqlRow&& cells) {
        Row r;
        r.values.reserve(columns);
        const std::size_t n = std::min(columns, cells.size());
        for (std::size_t c = 0; c < n; ++c) {
            if (cells[c]) r.values.push_back(fromCell(static_cast<int>(c), std::move(*cells[c])));
            else r.values.emplace_back();
        }
        r.values.resize(columns);
        r.order = fetched.size();
        fetched.push_back(std::move(r));
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
    for (auto* buffer : {&storage_->primary, &storage_->filtered}) {
        Buffer which = buffer == &storage_->primary ? Buffer::Primary : Buffer::Filter;
        long row = 0;
        for (const Row& r : *buffer) {
            ++row;
            if (r.status != ItemStatus::NewModified) continue;
            Statement s{"INSERT INTO " + table + " (", {}, false, which, row};
            std::string values;
            bool first = true;
            for (std::size_t c = 0; c < columns; ++c) {
                if (!layout_.columns[c].updatable && !layout_.columns[c].key) continue;
                s.sql += (first ? "" : ", ") + names[c];
                values += first ? "?" : ", ?";
                s.params.push_back(r.values[c]);
                first = false;
            }
            if (first) continue;  // nothing to write
            s.sql += ") VALUES (" + values + ")";
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
        long code = transaction_->executeValues(s.sql, s.params);
        if (code < 0) {
            lastError_ = transaction_->sqlErrText;
            reportDatabaseError(transaction_->sqlDbCode, s.sql, s.buffer, s.row);
            return -1;
        }
        if (code == 100 && s.mustTouch) {
            lastError_ = "Row changed between retrieve and update.";
            reportDatabaseError(0, s.sql, s.buffer, s.row);
            return -1;
        }
    }
    if (resetFlags) resetUpdate();
    trigger("updateend", {Value(inserted), Value(updated), Value(deleted)});
    return 1;
}

}  // namespace runtime
