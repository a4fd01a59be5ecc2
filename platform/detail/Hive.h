#pragma once
// One registry hive as text in the registry editor's export format, and its in-memory form.
#include "platform/Registry.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace platform::detail {

struct HiveKey {
    std::string path;  // below the root, "A\\B"; "" is the root itself
    std::vector<RegValue> values;  // in file order
};

struct Hive {
    RegRoot root = RegRoot::LocalMachine;
    std::vector<HiveKey> keys;  // in file order (creation order)

    HiveKey* find(std::string_view path);
    const HiveKey* find(std::string_view path) const;
    // Creates the key and its missing parents; true when the key itself was new.
    bool create(std::string_view path);
    bool hasSubkeys(std::string_view path) const;
    std::vector<std::string> subkeys(std::string_view path) const;
};

std::filesystem::path hivePath(const std::filesystem::path& machineRoot, RegRoot root);

// Parses a hive's text; a malformed line fails with RegistryCorrupt naming `fileName` and the line.
Result<Hive> parseHive(std::string_view text, RegRoot root, std::string_view fileName);
std::string formatHive(const Hive& hive);
std::string seedHive(RegRoot root);

}  // namespace platform::detail
