#include "platform/Registry.h"

#include "platform/Faults.h"
#include "platform/detail/Hive.h"
#include "platform/detail/HostIo.h"

#include <cerrno>
#include <cstring>
#include <functional>
#include <iterator>
#include <memory>
#include <optional>

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
        if (text.code() == err::FileNotFound) return Hive(root);
        return text.error();
    }
    return detail::parseHive(*text, root, path.string());
}

size_t slotOf(RegRoot root) { return static_cast<size_t>(root) - 1; }

// Every writer holds the lock of the registry folder itself: no lock file is left behind. Under
// it no other write is under way, so a hive's temporary file still there is a crashed writer's.
Result<detail::FolderLock> lockRegistry(const Machine& machine) {
    fs::path folder = machine.root() / "registry";
    std::error_code ec;
    fs::create_directories(folder, ec);
    auto lock = detail::FolderLock::acquire(folder);
    if (!lock) return lock;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.starts_with(".HKEY_") && name.find(".reg.") != std::string::npos) fs::remove(it->path(), ec);
    }
    return lock;
}

Status writeHive(const Machine& machine, const Hive& hive, uint32_t failMidway) {
    bool crash = takeFault(machine, FaultKind::RegistryCrash, rootName(hive.root)) != 0;
    return detail::writeFileAtomic(detail::hivePath(machine.root(), hive.root), detail::formatHive(hive),
                                   failMidway, crash);
}

}  // namespace

namespace detail {

struct BatchState {
    FolderLock lock;
    std::optional<Hive> hives[4];
    bool changed[4] = {};
};

struct RegistryShared {
    Machine machine;
    std::unique_ptr<BatchState> batch;
};

}  // namespace detail

namespace {

// The hive of `root` as the open batch sees it, read under the batch's lock on first use.
Result<Hive*> batchHive(const Machine& machine, detail::BatchState& batch, RegRoot root) {
    auto& hive = batch.hives[slotOf(root)];
    if (!hive) {
        auto loaded = loadHive(machine, root);
        if (!loaded) return loaded.error();
        hive = std::move(*loaded);
    }
    return &*hive;
}

Error badRoot() { return makeError(err::InvalidParameter, "an unknown root key"); }
bool knownRoot(RegRoot root) { return root >= RegRoot::ClassesRoot && root <= RegRoot::Users; }

// The hive as this registry sees it: the open batch's, else the file's as it is now (kept in
// `scratch`).
Result<const Hive*> viewHive(detail::RegistryShared& shared, RegRoot root, std::optional<Hive>& scratch) {
    if (!knownRoot(root)) return badRoot();
    if (shared.batch) {
        auto hive = batchHive(shared.machine, *shared.batch, root);
        if (!hive) return hive.error();
        return static_cast<const Hive*>(*hive);
    }
    auto loaded = loadHive(shared.machine, root);
    if (!loaded) return loaded.error();
    scratch = std::move(*loaded);
    return static_cast<const Hive*>(&*scratch);
}

// Lets `change` modify the hive and keeps the result when it changed: in the open batch, else
// read under the lock and written back at once. An injected write fault fails the change alone.
Status modifyHive(detail::RegistryShared& shared, RegRoot root, std::string_view key,
                  const std::function<Result<bool>(Hive&)>& change) {
    const Machine& machine = shared.machine;
    if (!knownRoot(root)) return badRoot();
    if (shared.batch) {
        auto hive = batchHive(machine, *shared.batch, root);
        if (!hive) return hive.error();
        Hive& live = **hive;
        if (faultPending(machine, FaultKind::RegistryWrite, faultTarget(root, key))) {
            Hive copy = live;
            auto changed = change(copy);
            if (!changed) return changed.error();
            if (!*changed) return {};
            if (uint32_t code = takeFault(machine, FaultKind::RegistryWrite, faultTarget(root, key)))
                return makeError(code, detail::hivePath(machine.root(), root).string());
            live = std::move(copy);
        } else {
            auto changed = change(live);
            if (!changed) return changed.error();
            if (!*changed) return {};
        }
        shared.batch->changed[slotOf(root)] = true;
        return {};
    }
    auto lock = lockRegistry(machine);
    if (!lock) return lock.error();
    auto hive = loadHive(machine, root);
    if (!hive) return hive.error();
    auto changed = change(*hive);
    if (!changed) return changed.error();
    if (!*changed) return {};
    return writeHive(machine, *hive, takeFault(machine, FaultKind::RegistryWrite, faultTarget(root, key)));
}

Error keyNotFound(RegRoot root, std::string_view key) {
    return makeError(err::FileNotFound, faultTarget(root, key));
}

}  // namespace

RegistryBatch::RegistryBatch(std::shared_ptr<detail::RegistryShared> shared, bool outer)
    : shared_(std::move(shared)), outer_(outer) {}

RegistryBatch::RegistryBatch(RegistryBatch&& other) noexcept
    : shared_(std::move(other.shared_)), outer_(other.outer_), reached_(other.reached_) {
    other.outer_ = false;
}

RegistryBatch::~RegistryBatch() { drop(); }

Status RegistryBatch::commit() {
    if (!outer_ || !shared_ || !shared_->batch) return {};
    outer_ = false;
    // The batch ends here; its lock is held until the last hive is written.
    std::unique_ptr<detail::BatchState> batch = std::move(shared_->batch);
    for (size_t i = 0; i < std::size(batch->hives); ++i) {
        if (batch->changed[i] && batch->hives[i]) {
            // A write fault on the root itself stands for the hive's write as a whole.
            const Hive& hive = *batch->hives[i];
            uint32_t fault = takeFault(shared_->machine, FaultKind::RegistryWrite, rootName(hive.root));
            if (Status s = writeHive(shared_->machine, hive, fault); !s) return s;
        }
        reached_ |= 1u << (i + 1);
    }
    return {};
}

void RegistryBatch::drop() {
    if (outer_ && shared_) shared_->batch.reset();
    outer_ = false;
}

Registry::Registry(Machine machine)
    : machine_(machine), shared_(new detail::RegistryShared{std::move(machine), nullptr}) {}

Result<RegistryBatch> Registry::beginBatch() {
    if (shared_->batch) return RegistryBatch(shared_, false);
    auto lock = lockRegistry(machine_);
    if (!lock) return lock.error();
    shared_->batch.reset(new detail::BatchState{std::move(*lock), {}, {}});
    return RegistryBatch(shared_, true);
}

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
    Status s = modifyHive(*shared_, root, *path, [&](Hive& hive) -> Result<bool> {
        created = hive.create(*path);
        return created;
    });
    if (!s) return s.error();
    return created;
}

Result<bool> Registry::keyExists(RegRoot root, std::string_view key) const {
    auto path = normalKey(key);
    if (!path) return path.error();
    std::optional<Hive> scratch;
    auto hive = viewHive(*shared_, root, scratch);
    if (!hive) return hive.error();
    return (*hive)->find(*path) != nullptr;
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
    std::optional<Hive> scratch;
    auto hive = viewHive(*shared_, root, scratch);
    if (!hive) return hive.error();
    const detail::HiveKey* k = (*hive)->find(*path);
    if (!k) return keyNotFound(root, *path);
    if (const RegValue* v = k->values.find(name)) return *v;
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
    return modifyHive(*shared_, root, *path, [&](Hive& hive) -> Result<bool> {
        detail::HiveKey* k = hive.find(*path);
        if (!k) return keyNotFound(root, *path);
        if (RegValue* v = k->values.find(name)) {
            // The name keeps the case it was created with.
            v->type = type;
            v->data.assign(data.begin(), data.end());
        } else {
            k->values.append(RegValue{std::string(name), type, {data.begin(), data.end()}});
        }
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
    return modifyHive(*shared_, root, *path, [&](Hive& hive) -> Result<bool> {
        detail::HiveKey* k = hive.find(*path);
        if (!k) return keyNotFound(root, *path);
        if (k->values.erase(name)) return true;
        return makeError(err::FileNotFound, "value \"" + std::string(name) + "\"");
    });
}

Status Registry::deleteKey(RegRoot root, std::string_view key) {
    auto path = normalKey(key);
    if (!path) return path.error();
    if (path->empty()) return makeError(err::AccessDenied, "the root key cannot be deleted");
    return modifyHive(*shared_, root, *path, [&](Hive& hive) -> Result<bool> {
        detail::HiveKey* k = hive.find(*path);
        if (!k) return keyNotFound(root, *path);
        if (hive.hasSubkeys(*path)) return makeError(err::KeyHasChildren, faultTarget(root, *path));
        hive.remove(*path);
        return true;
    });
}

Result<std::vector<std::string>> Registry::subkeys(RegRoot root, std::string_view key) const {
    auto path = normalKey(key);
    if (!path) return path.error();
    std::optional<Hive> scratch;
    auto hive = viewHive(*shared_, root, scratch);
    if (!hive) return hive.error();
    if (!(*hive)->find(*path)) return keyNotFound(root, *path);
    return (*hive)->subkeys(*path);
}

Result<std::vector<RegValue>> Registry::values(RegRoot root, std::string_view key) const {
    auto path = normalKey(key);
    if (!path) return path.error();
    std::optional<Hive> scratch;
    auto hive = viewHive(*shared_, root, scratch);
    if (!hive) return hive.error();
    const detail::HiveKey* k = (*hive)->find(*path);
    if (!k) return keyNotFound(root, *path);
    return k->values.items();
}

}  // namespace platform
