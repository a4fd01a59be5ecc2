#include "libraries/uninstaller/UninstallRecord.h"

#include <cctype>
#include <cstring>
#include <stdexcept>
#include <string_view>

namespace uninstaller {
namespace {

uint32_t u32At(std::span<const uint8_t> b, size_t at) {
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}

// A zero-terminated text inside a fixed field; nullopt when the field holds no zero.
std::optional<std::string> fieldText(std::span<const uint8_t> field) {
    const void* end = std::memchr(field.data(), 0, field.size());
    if (!end) return std::nullopt;
    return std::string(reinterpret_cast<const char*>(field.data()),
                       static_cast<const uint8_t*>(end) - field.data());
}

bool isAbsoluteWindowsPath(std::string_view p) {
    return p.size() >= 3 && std::isalpha(static_cast<unsigned char>(p[0])) && p[1] == ':' &&
           (p[2] == '\\' || p[2] == '/');
}

bool hasParentLevel(std::string_view p) {
    size_t start = 0;
    while (start <= p.size()) {
        size_t end = p.find_first_of("\\/", start);
        if (end == std::string_view::npos) end = p.size();
        if (p.substr(start, end - start) == "..") return true;
        start = end + 1;
    }
    return false;
}

}  // namespace

std::optional<UninstallRecord> parseUninstallRecord(std::span<const uint8_t> b, std::string& error) {
    auto fail = [&error](std::string why) -> std::optional<UninstallRecord> {
        error = std::move(why);
        return std::nullopt;
    };
    if (b.size() < 4) return fail("it ends before the length of its display name");
    const uint64_t nameLength = u32At(b, 0);
    if (nameLength == 0) return fail("its display name has no terminating zero");
    if (4 + nameLength + 4 > b.size()) return fail("it ends inside its display name");
    UninstallRecord r;
    auto name = fieldText(b.subspan(4, nameLength));
    if (!name || name->size() != nameLength - 1) return fail("its display name is not one terminated text");
    if (name->empty() || name->find('\\') != std::string::npos)
        return fail("its display name is empty or holds a backslash");
    r.displayName = *name;
    const uint64_t count = u32At(b, 4 + nameLength);
    const uint64_t expected = 8 + nameLength + record::EntrySize * count;
    if (expected != b.size())
        return fail("it holds " + std::to_string(b.size()) + " bytes where " + std::to_string(count) +
                    " entries take " + std::to_string(expected));
    r.entries.reserve(count);
    for (uint64_t i = 0; i < count; ++i) {
        auto e = b.subspan(8 + nameLength + i * record::EntrySize, record::EntrySize);
        const std::string which = "entry " + std::to_string(i + 1);
        Entry entry;
        entry.type = e[0];
        if (entry.type > record::LastRegistryType)
            return fail(which + " has the unknown type " + std::to_string(entry.type));
        auto n = fieldText(e.subspan(record::NameOffset, record::NameWidth));
        auto v = fieldText(e.subspan(record::ValueOffset, record::ValueWidth));
        if (!n || !v) return fail(which + " has a text without its terminating zero");
        if (n->empty()) return fail(which + " names nothing");
        if (hasParentLevel(*n)) return fail(which + " holds a \"..\" level: " + *n);
        if (entry.type <= record::Folder) {
            if (!isAbsoluteWindowsPath(*n)) return fail(which + " is not a full path: " + *n);
            if (!v->empty()) return fail(which + " is a file or folder with a value name");
        }
        entry.name = std::move(*n);
        entry.value = std::move(*v);
        r.entries.push_back(std::move(entry));
    }
    return r;
}

std::vector<uint8_t> encodeUninstallRecord(const UninstallRecord& r) {
    std::vector<uint8_t> out;
    auto u32 = [&out](uint32_t v) {
        for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
    };
    u32(static_cast<uint32_t>(r.displayName.size() + 1));
    out.insert(out.end(), r.displayName.begin(), r.displayName.end());
    out.push_back(0);
    u32(static_cast<uint32_t>(r.entries.size()));
    for (const auto& e : r.entries) {
        if (e.name.size() >= record::NameWidth || e.value.size() >= record::ValueWidth)
            throw std::length_error("an uninstall entry's text does not fit its field");
        std::vector<uint8_t> entry(record::EntrySize, 0);
        entry[0] = e.type;
        std::memcpy(entry.data() + record::NameOffset, e.name.data(), e.name.size());
        std::memcpy(entry.data() + record::ValueOffset, e.value.data(), e.value.size());
        out.insert(out.end(), entry.begin(), entry.end());
    }
    return out;
}

}  // namespace uninstaller
