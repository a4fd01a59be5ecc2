#include "runtime/data/DataStore.h"


#include "runtime/data/DataStoreRows.h"
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

std::string editStyleName(std::string_view declared) {
    std::string s = lower(trimmed(declared));
    if (s.empty()) return "edit";
    if (s == "dropdownlist" || s == "dropdownlistbox") return "ddlb";
    if (s == "dropdowndatawindow") return "dddw";
    if (s == "radio" || s == "radiobutton") return "radiobuttons";
    return s;
}

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
    // Rows kept in the layout itself come as if retrieved; a value a column cannot hold is null.
    for (const std::vector<Value>& values : layout_.data) {
        Row r;
        r.values.resize(layout_.columns.size());
        for (std::size_t c = 0; c < r.values.size() && c < values.size(); ++c)
            if (!convert(static_cast<int>(c), values[c], r.values[c])) r.values[c] = Value();
        r.order = storage_->nextOrder++;
        storage_->primary.push_back(std::move(r));
    }
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
    computedSameForEveryRow_.clear();
    for (const auto& c : computed_) computedSameForEveryRow_.push_back(c->sameForEveryRow());
    sameForEveryRow_.assign(computed_.size(), {0, Value()});
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

uint64_t DataStore::changeStamp() const { return storage_->version; }

void DataStore::notify(RowSetObserver::Change change, long row, int column) {
    storage_->touch();
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

Value DataStore::fromCell(int column, std::string_view text) const {
    if (kinds_[column] == ValueKind::Text) return Value(std::string(text));
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
            // Such as max(id for all): walking every row once per change is enough.
            if (computedSameForEveryRow_[k]) {
                auto& [stamp, value] = sameForEveryRow_[k];
                if (stamp != storage_->version) {
                    BufferRows all(&storage_->primary, &storage_->filtered, &storage_->deleted);
                    value = computed_[k]->evaluate(r.values, &all);
                    stamp = storage_->version;
                }
                return value;
            }
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
    storage_->touch();
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

void DataStore::rewriteStored(std::span<const int> columns,
                              const std::function<std::optional<Value>(const Value&)>& rewrite) {
    for (int column : columns) checkColumn(column);
    for (Buffer buffer : {Buffer::Primary, Buffer::Filter}) {
        auto& rows = this->rows(buffer);
        for (std::size_t i = 0; i < rows.size(); ++i) {
            Row& r = rows[i];
            const bool stored = r.status == ItemStatus::NotModified && !r.changes;
            const long row = static_cast<long>(i + 1);
            for (int column : columns) {
                const std::size_t c = static_cast<std::size_t>(column - 1);
                std::optional<Value> v = rewrite(r.values[c]);
                if (!v) continue;
                Value converted;
                if (!stored)
                    setItem(row, column, *v, buffer);
                else if (convert(column - 1, *v, converted))
                    r.values[c] = std::move(converted);
            }
            if (!stored) setItemStatus(row, 0, buffer, ItemStatus::NotModified);
        }
    }
    notify(RowSetObserver::Change::Reset, 0, 0);
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
    storage_->touch();
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

}  // namespace runtime
