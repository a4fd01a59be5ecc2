#pragma once
// The row set's rows and the small helpers its source files share; not for users of the row set.
#include "runtime/data/DataStore.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace runtime {

namespace rowset {

inline std::string lower(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

inline bool iequals(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

inline std::string_view trimmed(std::string_view s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
    return s;
}

}  // namespace rowset
using namespace rowset;

// ---- Rows ------------------------------------------------------------------------------------

namespace rowset {

// Values as they were stored and which columns changed since; only rows that changed have them.
struct RowChanges {
    std::vector<Value> stored;
    std::vector<uint8_t> modified;
};

}  // namespace rowset

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
    // Changes with every change of the rows; unique among all storages, so that a value worked
    // out from the rows (an aggregate over all of them) can be kept until the next change.
    uint64_t version = nextVersion();

    void touch() { version = nextVersion(); }
    static uint64_t nextVersion() {
        static std::atomic<uint64_t> last{0};
        return ++last;
    }

    void detach(DataStore* store) {
        sharers.erase(std::remove(sharers.begin(), sharers.end(), store), sharers.end());
    }
};

namespace rowset {

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

}  // namespace rowset

// Every row held, seen from one row of the primary buffer, whose groups it knows.
class PrimaryRowScope : public ExpressionRows {
public:
    PrimaryRowScope(const DataStore& store, const RowStorage& storage, std::size_t index)
        : store_(store), all_(&storage.primary, &storage.filtered, &storage.deleted),
          size_(storage.primary.size()), index_(index) {}
    std::size_t count() const override { return all_.count(); }
    std::span<const Value> row(std::size_t i) const override { return all_.row(i); }
    void moveTo(std::size_t index) { index_ = index; }
    void setPage(long page, long pageCount) {
        page_ = page;
        pageCount_ = pageCount;
    }
    long page() const override { return page_; }
    long pageCount() const override { return pageCount_; }
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
    long page_ = 0;
    long pageCount_ = 0;
};

}  // namespace runtime
