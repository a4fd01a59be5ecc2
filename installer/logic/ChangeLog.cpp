#include "installer/logic/ChangeLog.h"

#include "installer/logic/SetupLayout.h"

#include <algorithm>
#include <cstring>

namespace setup {

namespace {

void putU32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(uint8_t(v >> (8 * i)));
}

uint32_t getU32(std::span<const uint8_t> b, std::size_t at) {
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}

}  // namespace

std::string ChangeLog::Key(const UninstallEntry& entry) {
    std::string key(1, char(entry.type));
    auto add = [&](std::string_view text) {
        key += '\0';
        for (char c : text) key += c >= 'A' && c <= 'Z' ? char(c + 32) : c;
    };
    add(entry.name);
    add(entry.value);
    return key;
}

bool ChangeLog::FindLogEntry(const UninstallEntry& entry) const { return keys_.contains(Key(entry)); }

void ChangeLog::AppendLogEntry(UninstallEntry entry, EntryOrigin origin) {
    keys_.insert(Key(entry));
    entries.push_back(std::move(entry));
    origins.push_back(origin);
}

void ChangeLog::RemoveLogEntry(std::size_t index) {
    if (auto it = keys_.find(Key(entries.at(index))); it != keys_.end()) keys_.erase(it);
    entries.erase(entries.begin() + static_cast<std::ptrdiff_t>(index));
    origins.erase(origins.begin() + static_cast<std::ptrdiff_t>(index));
}

void ChangeLog::Clear() {
    entries.clear();
    origins.clear();
    keys_.clear();
}

std::vector<uint8_t> EncodeUninstallRecord(std::string_view displayName, std::span<const UninstallEntry> entries) {
    namespace U = layout::uninstall;
    std::vector<uint8_t> out;
    out.reserve(8 + displayName.size() + 1 + entries.size() * U::EntrySize);
    putU32(out, static_cast<uint32_t>(displayName.size() + 1));
    out.insert(out.end(), displayName.begin(), displayName.end());
    out.push_back(0);
    putU32(out, static_cast<uint32_t>(entries.size()));
    for (const auto& e : entries) {
        std::size_t at = out.size();
        out.resize(at + U::EntrySize, 0);
        out[at + U::Type.offset] = e.type;
        std::memcpy(&out[at + U::Name.offset], e.name.data(), std::min(e.name.size(), U::MaxText));
        std::memcpy(&out[at + U::Value.offset], e.value.data(), std::min(e.value.size(), U::MaxText));
    }
    return out;
}

std::optional<UninstallRecord> DecodeUninstallRecord(std::span<const uint8_t> bytes) {
    namespace U = layout::uninstall;
    if (bytes.size() < 4) return std::nullopt;
    uint64_t l = getU32(bytes, 0);
    if (l == 0 || 4 + l + 4 > bytes.size()) return std::nullopt;
    auto name = bytes.subspan(4, l);
    if (name[l - 1] != 0 || std::find(name.begin(), name.end(), uint8_t{0}) != name.end() - 1) return std::nullopt;
    uint64_t n = getU32(bytes, 4 + l);
    if (bytes.size() != 8 + l + n * U::EntrySize) return std::nullopt;
    UninstallRecord record;
    record.displayName.assign(name.begin(), name.end() - 1);
    auto text = [](std::span<const uint8_t> field) -> std::optional<std::string> {
        auto end = std::find(field.begin(), field.end(), uint8_t{0});
        if (end == field.end()) return std::nullopt;
        return std::string(field.begin(), end);
    };
    for (uint64_t i = 0; i < n; ++i) {
        auto e = bytes.subspan(8 + l + i * U::EntrySize, U::EntrySize);
        auto type = e[U::Type.offset];
        auto entryName = text(e.subspan(U::Name.offset, U::Name.width));
        auto value = text(e.subspan(U::Value.offset, U::Value.width));
        if (type > 5 || !entryName || !value) return std::nullopt;
        record.entries.push_back({type, std::move(*entryName), std::move(*value)});
    }
    return record;
}

}  // namespace setup
