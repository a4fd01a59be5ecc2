#pragma once
// The change log of a run and the uninstall record "Uninst<name>.RUX" it becomes.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace setup {

// UninstallEntry types.
namespace entrytype {
inline constexpr uint8_t File = 0;
inline constexpr uint8_t Folder = 1;
inline constexpr uint8_t ClassesRoot = 2;
inline constexpr uint8_t CurrentUser = 3;
inline constexpr uint8_t LocalMachine = 4;
inline constexpr uint8_t Users = 5;
}  // namespace entrytype

struct UninstallEntry {
    uint8_t type = 0;
    std::string name;   // full path, or key path below its root
    std::string value;  // value name of a registry value; empty otherwise
    friend bool operator==(const UninstallEntry&, const UninstallEntry&) = default;
};

// What this run did when it added an entry; kept in memory only, for the rollback.
// EarlierRecord and ExistedBefore entries are never removed by a rollback.
enum class EntryOrigin : uint8_t { EarlierRecord, ExistedBefore, File, Folder, Key, Value };

struct ChangeLog {
    std::vector<UninstallEntry> entries;
    std::vector<EntryOrigin> origins;  // one per entry

    // Same type, name and value compared without regard to case.
    bool FindLogEntry(const UninstallEntry& entry) const;
    void AppendLogEntry(UninstallEntry entry, EntryOrigin origin);
    void RemoveLogEntry(std::size_t index);
    void Clear();

private:
    static std::string Key(const UninstallEntry& entry);
    // The entries' keys, so that the test for an equal entry does not walk the whole log.
    std::unordered_multiset<std::string> keys_;
};

struct UninstallRecord {
    std::string displayName;
    std::vector<UninstallEntry> entries;
};

// The record's bytes. Texts must fit their fields (at most 259 characters): callers refuse longer
// ones before creating anything.
std::vector<uint8_t> EncodeUninstallRecord(std::string_view displayName,
                                           std::span<const UninstallEntry> entries);
// A checked read: sizes exact, texts terminated inside their fields, types 0 to 5; nullopt when
// the record is damaged.
std::optional<UninstallRecord> DecodeUninstallRecord(std::span<const uint8_t> bytes);

}  // namespace setup
