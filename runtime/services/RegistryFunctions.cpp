#include "runtime/services/RegistryFunctions.h"

#include "platform/Registry.h"

namespace runtime::registry {
namespace {

struct KeyPath {
    platform::RegRoot root;
    std::string key;  // below the root
};

std::optional<KeyPath> parse(std::string_view path) {
    size_t slash = path.find_first_of("\\/");
    std::string_view rootName = path.substr(0, slash);
    std::optional<platform::RegRoot> root = platform::parseRootName(rootName);
    if (!root) return std::nullopt;
    std::string key;
    if (slash != std::string_view::npos) key = std::string(path.substr(slash + 1));
    while (!key.empty() && (key.back() == '\\' || key.back() == '/')) key.pop_back();
    return KeyPath{*root, key};
}

std::optional<platform::Registry> open() {
    platform::Result<platform::Machine> machine = platform::Machine::open();
    if (!machine) return std::nullopt;
    return platform::Registry(std::move(machine.value()));
}

std::optional<platform::RegValue> query(std::string_view keyPath, std::string_view valueName, uint32_t type) {
    std::optional<KeyPath> path = parse(keyPath);
    std::optional<platform::Registry> reg = open();
    if (!path || !reg) return std::nullopt;
    platform::Result<platform::RegValue> value = reg->queryValue(path->root, path->key, valueName);
    if (!value || value->type != type) return std::nullopt;
    return std::move(value.value());
}

bool ensureKey(platform::Registry& reg, const KeyPath& path) {
    return reg.createKey(path.root, path.key).ok();
}

}  // namespace

std::optional<std::string> getString(std::string_view keyPath, std::string_view valueName) {
    std::optional<platform::RegValue> value = query(keyPath, valueName, platform::regtype::Sz);
    if (!value) return std::nullopt;
    std::string text(value->data.begin(), value->data.end());
    // Stored with its closing NUL; the text ends at the first one.
    if (size_t nul = text.find('\0'); nul != std::string::npos) text.resize(nul);
    return text;
}

std::optional<uint32_t> getNumber(std::string_view keyPath, std::string_view valueName) {
    std::optional<platform::RegValue> value = query(keyPath, valueName, platform::regtype::Dword);
    if (!value || value->data.size() != 4) return std::nullopt;
    const auto& d = value->data;
    return uint32_t(d[0]) | uint32_t(d[1]) << 8 | uint32_t(d[2]) << 16 | uint32_t(d[3]) << 24;
}

bool setString(std::string_view keyPath, std::string_view valueName, std::string_view text) {
    std::optional<KeyPath> path = parse(keyPath);
    std::optional<platform::Registry> reg = open();
    if (!path || !reg || !ensureKey(*reg, *path)) return false;
    return reg->setString(path->root, path->key, valueName, text).ok();
}

bool setNumber(std::string_view keyPath, std::string_view valueName, uint32_t number) {
    std::optional<KeyPath> path = parse(keyPath);
    std::optional<platform::Registry> reg = open();
    if (!path || !reg || !ensureKey(*reg, *path)) return false;
    return reg->setDword(path->root, path->key, valueName, number).ok();
}

std::optional<std::vector<std::string>> subkeys(std::string_view keyPath) {
    std::optional<KeyPath> path = parse(keyPath);
    std::optional<platform::Registry> reg = open();
    if (!path || !reg) return std::nullopt;
    platform::Result<std::vector<std::string>> names = reg->subkeys(path->root, path->key);
    if (!names) return std::nullopt;
    return std::move(names.value());
}

bool deleteKey(std::string_view keyPath) {
    std::optional<KeyPath> path = parse(keyPath);
    std::optional<platform::Registry> reg = open();
    // The root itself is never deleted.
    if (!path || !reg || path->key.empty()) return false;
    return reg->deleteKey(path->root, path->key).ok();
}

}  // namespace runtime::registry
