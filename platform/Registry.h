#pragma once
// The registry: four roots, each one text hive in the machine folder in the registry editor's
// export format. Outside a batch every call reads the hive afresh and every write replaces it
// atomically under the registry's lock. A batch holds that lock from its start to its end and
// writes each hive it changed once, at its commit.
#include "platform/Machine.h"
#include "platform/Result.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

enum class RegRoot : uint8_t { ClassesRoot = 1, CurrentUser = 2, LocalMachine = 3, Users = 4 };

// Windows registry value type codes (any code 0-255 is kept).
namespace regtype {
inline constexpr uint32_t None = 0;
inline constexpr uint32_t Sz = 1;
inline constexpr uint32_t ExpandSz = 2;
inline constexpr uint32_t Binary = 3;
inline constexpr uint32_t Dword = 4;
inline constexpr uint32_t DwordBigEndian = 5;
inline constexpr uint32_t Link = 6;
inline constexpr uint32_t MultiSz = 7;
inline constexpr uint32_t ResourceList = 8;
inline constexpr uint32_t FullResourceDescriptor = 9;
inline constexpr uint32_t ResourceRequirementsList = 10;
}  // namespace regtype

std::string_view rootName(RegRoot root);  // "HKEY_LOCAL_MACHINE", ...
// Parses "HKEY_LOCAL_MACHINE" (and the short forms HKLM, HKCU, HKCR, HKU).
std::optional<RegRoot> parseRootName(std::string_view name);

struct RegValue {
    std::string name;  // "" is the key's default value
    uint32_t type = 0;
    std::vector<uint8_t> data;
};

namespace detail {
struct RegistryShared;
}

// A batch of changes to the registry, opened by Registry::beginBatch.
class RegistryBatch {
public:
    RegistryBatch(RegistryBatch&& other) noexcept;
    RegistryBatch& operator=(RegistryBatch&&) = delete;
    ~RegistryBatch();  // drops the changes when they were not committed

    // Writes every hive the batch changed, each whole and at once, and ends the batch. When a
    // write fails the hives not yet written keep their old content and the batch ends anyway.
    Status commit();
    // Forgets every change of the batch and ends it.
    void drop();
    // After a commit: whether the hive of `root` holds the batch's changes to it (true when the
    // batch did not change it), so that a caller knows what a failed commit kept.
    bool reached(RegRoot root) const { return (reached_ >> static_cast<unsigned>(root)) & 1; }

private:
    friend class Registry;
    RegistryBatch(std::shared_ptr<detail::RegistryShared> shared, bool outer);
    std::shared_ptr<detail::RegistryShared> shared_;
    bool outer_ = false;
    unsigned reached_ = 0;  // bit per root
};

class Registry {
public:
    explicit Registry(Machine machine);
    // Copies share one batch: a batch opened through one is seen through every copy.

    // Opens a batch: until it ends, this registry's calls read and change the hives in memory,
    // and other programs' writes wait. Opened inside an open batch, it joins that one: its
    // commit and drop leave the decision to the batch that was open first. While it is open the
    // registry (and its copies) belongs to the thread that opened it.
    Result<RegistryBatch> beginBatch();

    // Key paths are "A\\B\\C" below the root (no leading backslash needed; "" is the root itself).
    Result<bool> createKey(RegRoot root, std::string_view key);  // true when the key is new
    Result<bool> keyExists(RegRoot root, std::string_view key) const;
    Status openKey(RegRoot root, std::string_view key) const;  // FileNotFound when missing

    Result<RegValue> queryValue(RegRoot root, std::string_view key, std::string_view name) const;
    // Windows-style query into a caller's buffer: on success returns the byte count written; when
    // the buffer is too small fails with MoreData and sets `needed`. A buffer without storage
    // (data() == nullptr) is a size query: success, 0 bytes written, `needed` and `type` set.
    // A hive file with a malformed line makes every call on that root fail with RegistryCorrupt
    // ("<file> line <n>: ..." in the text); such a hive is never written over.
    Result<uint32_t> queryValue(RegRoot root, std::string_view key, std::string_view name,
                                uint32_t& type, std::span<uint8_t> buffer, uint32_t& needed) const;
    Status setValue(RegRoot root, std::string_view key, std::string_view name, uint32_t type,
                    std::span<const uint8_t> data);  // the key must exist
    Status setString(RegRoot root, std::string_view key, std::string_view name, std::string_view text,
                     uint32_t type = regtype::Sz);  // stores the text with its NUL
    Status setDword(RegRoot root, std::string_view key, std::string_view name, uint32_t value);
    Status deleteValue(RegRoot root, std::string_view key, std::string_view name);
    Status deleteKey(RegRoot root, std::string_view key);  // KeyHasChildren when it has subkeys

    // Stable order: the order of the hive file (creation order).
    Result<std::vector<std::string>> subkeys(RegRoot root, std::string_view key) const;
    Result<std::vector<RegValue>> values(RegRoot root, std::string_view key) const;

    const Machine& machine() const { return machine_; }

private:
    Machine machine_;
    std::shared_ptr<detail::RegistryShared> shared_;
};

}  // namespace platform
