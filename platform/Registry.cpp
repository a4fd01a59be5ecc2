#include "platform/Registry.h"

#include "platform/Faults.h"
#include "platform/detail/Hive.h"
#include "platform/detail/HostIo.h"

#include <cerrno>
#include <cstring>
#include <functional>

namespace fs = std::filesystem;

namespace platform {
namespace {

using detail::Hive;

bool hasLineBreak(std::string_view s) {
    return s.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

// "A\\B\\C" with outer backslashes dropped; an empty inner name or a line break is refused.
Result<std::string> normalKey(std::string_view key) {
    while (!key.empty() && key.front() == '\\') key.remove_prefix(1);
    while (!key.empty() && key.back() == '\\') key.remove_suffix(1);
    if (key.find("\\\\") != std::string_view::npos || hasLineBreak(key))
        return makeError(err::InvalidParameter, "key \"" + std::string(key) + "\"");
    size_t start = 0;
    while (start <= key.size() && !key.empty()) {
        size_t sep = key.find('\\', start);
        size_t len = (sep == std::string_view::npos ? key.size() : sep) - start;
        if (len > 255) return makeError(err::InvalidParameter, "key name longer than 255 characters");
        if (sep == std::string_view::npos) break;
        start = sep + 1;
    }
    return std::string(key);
}

std::string faultTarget(RegRoot root, std::string_view key) {
    std::string target(rootName(root));
    if (!key.empty()) target += "\\" + std::string(key);
    return target;
}

Result<Hive> loadHive(const Machine& machine, RegRoot root) {
    fs::path path = detail::hivePath(machine.root(), root);
    auto text = detail::readWholeFile(path);
    if (!text) {
        if (text.code() == err::FileNotFound) {
            Hive empty;
            empty.root = root;
            return empty;
        }
        return text.error();
    }
    return detail::parseHive(*text, root, path.string());
}

// Reads the hive under its lock, lets `change` modify it, and writes it back when it changed.
Status modifyHive(const Machine& machine, RegRoot root, std::string_view key,
                  const std::function<Result<bool>(Hive&)>& change) {
    fs::path path = detail::hivePath(machine.root(), root);
    std::error_code ec;
    fs::create_directories(path.parent_path(), ec);
    auto lock = detail::LockFile::acquire(fs::path(path).replace_extension(".lock"));
    if (!lock) return lock.error();
    auto hive = loadHive(machine, root);
    if (!hive) return hive.error();
    auto changed = change(*hive);
    if (!changed) return changed.error();
    if (!*changed) return {};
    uint32_t fault = takeFault(machine, FaultKind::RegistryWrite, faultTarget(root, key));
    return detail::writeFileAtomic(path, detail::formatHive(*hive), fault);
}

Error keyNotFound(RegRoot root, std::string_view key) {
    return makeError(err::FileNotFound, faultTarget(root, key));
}

}  // namespace

std::string_view rootName(RegRoot root) {
    switch (root) {
    case RegRoot::ClassesRoot: return "HKEY_CLASSES_ROOT";
    case RegRoot::CurrentUser: return "HKEY_CURRENT_USER";
    case RegRoot::LocalMachine: return "HKEY_LOCAL_MACHINE";
    case RegRoot::Users: return "HKEY_USERS";
    }
    return "";
}

std::optional<RegRoot> parseRootName(std::string_view name) {
    using detail::equalsNoCase;
    if (equalsNoCase(name, "HKEY_CLASSES_ROOT") || equalsNoCase(name, "HKCR")) return RegRoot::ClassesRoot;
    if (equalsNoCase(name, "HKEY_CURRENT_USER") || equalsNoCase(name, "HKCU")) return RegRoot::CurrentUser;
    if (equalsNoCase(name, "HKEY_LOCAL_MACHINE") || equalsNoCase(name, "HKLM")) return RegRoot::LocalMachine;
    if (equalsNoCase(name, "HKEY_USERS") || equalsNoCase(name, "HKU")) return RegRoot::Users;
    return std::nullopt;
}

Result<bool> Registry::createKey(RegRoot root, std::string_view key) {
    auto path = normalKey(key);
    if (!path) return path.error();
    bool created = false;
    Status s = modifyHive(machine_, root, *path, [&](Hive& hive) -> Result<bool> {
        created = hive.create(*path);
        return created;
    });
    if (!s) return s.error();
    return created;
}

Result<bool> Registry::keyExists(RegRoot root, std::string_view key) const {
    auto path = normalKey(key);
    if (!path) return path.error();
    auto hive = loadHive(machine_, root);
    if (!hive) return hive.error();
    return path->empty() || hive->find(*path) != nullptr;
}

Status Registry::openKey(RegRoot root, std::string_view key) const {
    auto exists = keyExists(root, key);
    if (!exists) return exists.error();
    if (!*exists) return keyNotFound(root, key);
    return {};
}

Result<RegValue> Registry::queryValue(RegRoot root, std::string_view key, std::string_view name) const {
    auto path = normalKey(key);
    if (!path) return path.error();
    auto hive = loadHive(machine_, root);
    if (!hive) return hive.error();
    const detail::HiveKey* k = hive->find(*path);
    if (!k) {
        if (path->empty()) return makeError(err::FileNotFound, "value \"" + std::string(name) + "\"");
        return keyNotFound(root, *path);
    }
    for (const auto& v : k->values)
        if (detail::equalsNoCase(v.name, name)) return v;
    return makeError(err::FileNotFound, "value \"" + std::string(name) + "\"");
}

Result<uint32_t> Registry::queryValue(RegRoot root, std::string_view key, std::string_view name,
                                      uint32_t& type, std::span<uint8_t> buffer,
                                      uint32_t& needed) const {
    auto value = queryValue(root, key, name);
    if (!value) return value.error();
    type = value->type;
    needed = static_cast<uint32_t>(value->data.size());
    if (buffer.data() == nullptr) return uint32_t(0);  // a size query
    if (buffer.size() < value->data.size()) return makeError(err::MoreData);
    if (!value->data.empty()) std::memcpy(buffer.data(), value->data.data(), value->data.size());
    return needed;
}

Status Registry::setValue(RegRoot root, std::string_view key, std::string_view name, uint32_t type,
                          std::span<const uint8_t> data) {
    auto path = normalKey(key);
    if (!path) return path.error();
    if (hasLineBreak(name)) return makeError(err::InvalidParameter, "value name with a line break");
    return modifyHive(machine_, root, *path, [&](Hive& hive) -> Result<bool> {
        detail::HiveKey* k = hive.find(*path);
        if (!k && path->empty()) {
            hive.keys.insert(hive.keys.begin(), detail::HiveKey{"", {}});
            k = &hive.keys.front();
        }
        if (!k) return keyNotFound(root, *path);
        RegValue value{std::string(name), type, {data.begin(), data.end()}};
        for (auto& v : k->values)
            if (detail::equalsNoCase(v.name, name)) {
                value.name = v.name;  // the name keeps the case it was created with
                v = std::move(value);
                return true;
            }
        k->values.push_back(std::move(value));
        return true;
    });
}

Status Registry::setString(RegRoot root, std::string_view key, std::string_view name,
                           std::string_view text, uint32_t type) {
    std::vector<uint8_t> data(text.begin(), text.end());
    data.push_back(0);
    return setValue(root, key, name, type, data);
}

Status Registry::setDword(RegRoot root, std::string_view key, std::string_view name, uint32_t value) {
    const uint8_t data[4] = {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16), uint8_t(value >> 24)};
    return setValue(root, key, name, regtype::Dword, data);
}

Status Registry::deleteValue(RegRoot root, std::string_view key, std::string_view name) {
    auto path = normalKey(key);
    if (!path) return path.error();
    return modifyHive(machine_, root, *path, [&](Hive& hive) -> Result<bool> {
        detail::HiveKey* k = hive.find(*path);
        if (!k && !path->empty()) return keyNotFound(root, *path);
        if (k)
            for (auto it = k->values.begin(); it != k->values.end(); ++it)
                if (detail::equalsNoCase(it->name, name)) {
                    k->values.erase(it);
                    return true;
                }
        return makeError(err::FileNotFound, "value \"" + std::string(name) + "\"");
    });
}

Status Registry::deleteKey(RegRoot root, std::string_view key) {
    auto path = normalKey(key);
    if (!path) return path.error();
    if (path->empty()) return makeError(err::AccessDenied, "the root key cannot be deleted");
    return modifyHive(machine_, root, *path, [&](Hive& hive) -> Result<bool> {
        detail::HiveKey* k = hive.find(*path);
        if (!k) return keyNotFound(root, *path);
        if (hive.hasSubkeys(*path)) return makeError(err::KeyHasChildren, faultTarget(root, *path));
        hive.keys.erase(hive.keys.begin() + (k - hive.keys.data()));
        return true;
    });
}

Result<std::vector<std::string>> Registry::subkeys(RegRoot root, std::string_view key) const {
    auto path = normalKey(key);
    if (!path) return path.error();
    auto hive = loadHive(machine_, root);
    if (!hive) return hive.error();
    if (!path->empty() && !hive->find(*path)) return keyNotFound(root, *path);
    return hive->subkeys(*path);
}

Result<std::vector<RegValue>> Registry::values(RegRoot root, std::string_view key) const {
    auto path = normalKey(key);
    if (!path) return path.error();
    auto hive = loadHive(machine_, root);
    if (!hive) return hive.error();
    const detail::HiveKey* k = hive->find(*path);
    if (!k) {
        if (path->empty()) return std::vector<RegValue>{};
        return keyNotFound(root, *path);
    }
    return k->values;
}

}  // namespace platform
