// The row set's filter, sort, find and groups.
#include "runtime/data/DataStore.h"

#include "runtime/data/DataStoreRows.h"

#include <algorithm>
#include <cctype>
#include <cmath>

namespace runtime {

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

Value DataStore::evaluate(const Expression& expression, long row, long page, long pageCount) const {
    static const std::vector<Value> none;
    std::span<const Value> values = row >= 1 && row <= rowCount() ? std::span<const Value>(rowAt(row, Buffer::Primary).values) : std::span<const Value>(none);
    PrimaryRowScope scope(*this, *storage_, static_cast<std::size_t>(row >= 1 ? row - 1 : 0));
    scope.setPage(page, pageCount);
    return expression.evaluate(values, &scope);
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

}  // namespace runtime
