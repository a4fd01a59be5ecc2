#pragma once
// One registry hive as text in the registry editor's export format, and its in-memory form.
#include "platform/Registry.h"
#include "platform/detail/HostIo.h"

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace platform::detail {

// Hash and equality of names without regard to case, usable with a string_view (no folded copy).
struct NoCaseHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view s) const noexcept;
};
struct NoCaseEqual {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const noexcept { return equalsNoCase(a, b); }
};

// Items in the order they were added, found by their name without regard to case. A removal
// leaves a hole, closed once holes outnumber items, so that removing costs no shifting.
template <class T, std::string T::*Name>
class NamedList {
public:
    T* find(std::string_view name) {
        auto it = index_.find(name);
        return it == index_.end() ? nullptr : &*slots_[it->second];
    }
    const T* find(std::string_view name) const { return const_cast<NamedList*>(this)->find(name); }

    // The name must not be in the list yet.
    T& append(T item) {
        index_.emplace(item.*Name, slots_.size());
        slots_.emplace_back(std::move(item));
        ++live_;
        return *slots_.back();
    }

    bool erase(std::string_view name) {
        auto it = index_.find(name);
        if (it == index_.end()) return false;
        slots_[it->second].reset();
        index_.erase(it);
        --live_;
        if (slots_.size() > 32 && slots_.size() - live_ > live_) compact();
        return true;
    }

    template <class F>
    void forEach(F&& f) const {
        for (const auto& s : slots_)
            if (s) f(*s);
    }
    std::vector<T> items() const {
        std::vector<T> out;
        out.reserve(live_);
        forEach([&](const T& t) { out.push_back(t); });
        return out;
    }
    std::size_t size() const { return live_; }
    bool empty() const { return live_ == 0; }

private:
    void compact() {
        std::vector<std::optional<T>> kept;
        kept.reserve(live_);
        for (auto& s : slots_)
            if (s) {
                index_[(*s).*Name] = kept.size();
                kept.push_back(std::move(s));
            }
        slots_ = std::move(kept);
    }

    std::vector<std::optional<T>> slots_;
    std::unordered_map<std::string, std::size_t, NoCaseHash, NoCaseEqual> index_;
    std::size_t live_ = 0;
};

struct HiveKey {
    std::string path;  // below the root, "A\\B"; "" is the root itself
    NamedList<RegValue, &RegValue::name> values;  // in file order
    std::size_t subkeyCount = 0;  // direct subkeys
};

struct Hive {
    explicit Hive(RegRoot r = RegRoot::LocalMachine);

    RegRoot root;
    NamedList<HiveKey, &HiveKey::path> keys;  // in file order (creation order); the root key first

    HiveKey* find(std::string_view path) { return keys.find(path); }
    const HiveKey* find(std::string_view path) const { return keys.find(path); }
    // Creates the key and its missing parents; true when the key itself was new.
    bool create(std::string_view path);
    // Removes a key that has no subkeys (the root key stays).
    void remove(std::string_view path);
    bool hasSubkeys(std::string_view path) const;
    std::vector<std::string> subkeys(std::string_view path) const;
};

std::filesystem::path hivePath(const std::filesystem::path& machineRoot, RegRoot root);

// Parses a hive's text; a malformed line fails with RegistryCorrupt naming `fileName` and the line.
Result<Hive> parseHive(std::string_view text, RegRoot root, std::string_view fileName);
std::string formatHive(const Hive& hive);
std::string seedHive(RegRoot root);

}  // namespace platform::detail
