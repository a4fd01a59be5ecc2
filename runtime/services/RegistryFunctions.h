#pragma once
// Registry functions of the scripts, by full key path whose first component names the root
// ("HKEY_CURRENT_USER\Software\..."), over the machine's registry. Nothing is cached.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace runtime::registry {

// A string (REG_SZ) value; nullopt when the key or the value is missing or holds another type.
std::optional<std::string> getString(std::string_view keyPath, std::string_view valueName);
// A 32-bit number (REG_DWORD); nullopt likewise.
std::optional<uint32_t> getNumber(std::string_view keyPath, std::string_view valueName);
// Writes a value, creating every missing key of the path; false when the write fails.
bool setString(std::string_view keyPath, std::string_view valueName, std::string_view text);
bool setNumber(std::string_view keyPath, std::string_view valueName, uint32_t number);
// The names of the direct subkeys, in the registry's order; nullopt when the key is missing.
std::optional<std::vector<std::string>> subkeys(std::string_view keyPath);
// Deletes a key that has no subkeys; false when it is missing or still has subkeys.
bool deleteKey(std::string_view keyPath);

}  // namespace runtime::registry
