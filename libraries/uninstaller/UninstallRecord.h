#pragma once
// The uninstall record that Setup writes: a display name and the entries it created, in order.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace uninstaller {

namespace record {
inline constexpr size_t EntrySize = 521;
inline constexpr size_t NameOffset = 1, NameWidth = 260;
inline constexpr size_t ValueOffset = 261, ValueWidth = 260;
inline constexpr uint8_t File = 0, Folder = 1;
inline constexpr uint8_t FirstRegistryType = 2, LastRegistryType = 5;  // root code = type - 1
}  // namespace record

struct Entry {
    uint8_t type = 0;
    std::string name;   // a full path, or a key path below the root
    std::string value;  // a registry value's name; "" otherwise or for a key's default value
};

struct UninstallRecord {
    std::string displayName;
    std::vector<Entry> entries;
};

// Checks every size, text and type; a record that breaks a rule gives nullopt and the reason.
std::optional<UninstallRecord> parseUninstallRecord(std::span<const uint8_t> bytes, std::string& error);

// The record's bytes, for tests and fixtures.
std::vector<uint8_t> encodeUninstallRecord(const UninstallRecord& record);

}  // namespace uninstaller
