// The fixed file version of a PE image: DOS header -> PE header -> section table -> resource
// directory -> RT_VERSION -> VS_VERSIONINFO -> VS_FIXEDFILEINFO. Every offset is checked against
// the image, so a malformed file answers "no version" instead of reading out of bounds.
#include "platform/Files.h"

#include <cstring>

namespace platform {
namespace {

constexpr uint32_t kDosLfanewOffset = 0x3C;
constexpr uint32_t kCoffHeaderSize = 20;
constexpr uint32_t kOptionalMagicPe32 = 0x10B;
constexpr uint32_t kOptionalMagicPe32Plus = 0x20B;
constexpr uint32_t kResourceDirectoryIndex = 2;
constexpr uint32_t kSectionHeaderSize = 40;
constexpr uint32_t kResourceDirSize = 16;
constexpr uint32_t kResourceEntrySize = 8;
constexpr uint32_t kRtVersion = 16;
constexpr uint32_t kSubdirectoryFlag = 0x80000000u;
constexpr uint32_t kFixedInfoSignature = 0xFEEF04BDu;
constexpr uint32_t kFixedInfoSize = 52;
constexpr char16_t kVersionKey[] = u"VS_VERSION_INFO";

class Reader {
public:
    explicit Reader(std::span<const uint8_t> bytes) : bytes_(bytes) {}
    bool has(uint64_t offset, uint64_t size) const {
        return offset <= bytes_.size() && size <= bytes_.size() - offset;
    }
    bool u16(uint64_t offset, uint32_t& out) const {
        if (!has(offset, 2)) return false;
        out = uint32_t(bytes_[offset]) | uint32_t(bytes_[offset + 1]) << 8;
        return true;
    }
    bool u32(uint64_t offset, uint32_t& out) const {
        if (!has(offset, 4)) return false;
        out = uint32_t(bytes_[offset]) | uint32_t(bytes_[offset + 1]) << 8 |
              uint32_t(bytes_[offset + 2]) << 16 | uint32_t(bytes_[offset + 3]) << 24;
        return true;
    }

private:
    std::span<const uint8_t> bytes_;
};

struct Section {
    uint32_t virtualAddress, rawSize, rawOffset;
};

}  // namespace

std::optional<FixedFileVersion> fixedFileVersionOf(std::span<const uint8_t> image) {
    Reader r(image);
    if (image.size() < 0x40 || image[0] != 'M' || image[1] != 'Z') return std::nullopt;
    uint32_t peOffset;
    if (!r.u32(kDosLfanewOffset, peOffset) || !r.has(peOffset, 4 + kCoffHeaderSize)) return std::nullopt;
    if (std::memcmp(image.data() + peOffset, "PE\0\0", 4) != 0) return std::nullopt;

    uint64_t coff = uint64_t(peOffset) + 4;
    uint32_t sectionCount, optionalSize, magic;
    if (!r.u16(coff + 2, sectionCount) || !r.u16(coff + 16, optionalSize)) return std::nullopt;
    uint64_t optional = coff + kCoffHeaderSize;
    if (!r.u16(optional, magic)) return std::nullopt;
    uint64_t countOffset, directories;
    if (magic == kOptionalMagicPe32) {
        countOffset = 92;
        directories = 96;
    } else if (magic == kOptionalMagicPe32Plus) {
        countOffset = 108;
        directories = 112;
    } else {
        return std::nullopt;
    }
    uint32_t directoryCount, resourceRva, resourceSize;
    if (optionalSize < directories || !r.u32(optional + countOffset, directoryCount) ||
        directoryCount <= kResourceDirectoryIndex ||
        directories + (kResourceDirectoryIndex + 1) * 8 > optionalSize ||
        !r.u32(optional + directories + kResourceDirectoryIndex * 8, resourceRva) ||
        !r.u32(optional + directories + kResourceDirectoryIndex * 8 + 4, resourceSize) ||
        resourceRva == 0)
        return std::nullopt;

    std::vector<Section> sections;
    uint64_t table = optional + optionalSize;
    for (uint32_t i = 0; i < sectionCount; ++i) {
        uint64_t s = table + uint64_t(i) * kSectionHeaderSize;
        Section sec{};
        if (!r.u32(s + 12, sec.virtualAddress) || !r.u32(s + 16, sec.rawSize) ||
            !r.u32(s + 20, sec.rawOffset))
            return std::nullopt;
        sections.push_back(sec);
    }
    // The file offset of `size` bytes at an RVA, when they lie within one section's raw data.
    auto fileOffset = [&](uint64_t rva, uint64_t size, uint64_t& out) {
        for (const auto& sec : sections) {
            if (rva < sec.virtualAddress) continue;
            uint64_t into = rva - sec.virtualAddress;
            if (into > sec.rawSize || size > sec.rawSize - into) continue;
            out = sec.rawOffset + into;
            return r.has(out, size);
        }
        return false;
    };
    uint64_t resourceBase;
    if (!fileOffset(resourceRva, kResourceDirSize, resourceBase)) return std::nullopt;

    // One directory level: the entry with `id` (or the first entry when id is 0xFFFFFFFF).
    auto entryIn = [&](uint64_t directory, uint32_t id, uint32_t& offsetToData) {
        uint32_t named, ids;
        if (!r.u16(directory + 12, named) || !r.u16(directory + 14, ids)) return false;
        for (uint32_t i = 0; i < named + ids; ++i) {
            uint64_t e = directory + kResourceDirSize + uint64_t(i) * kResourceEntrySize;
            uint32_t name;
            if (!r.u32(e, name) || !r.u32(e + 4, offsetToData)) return false;
            if (id == 0xFFFFFFFFu || (!(name & kSubdirectoryFlag) && name == id)) return true;
        }
        return false;
    };
    auto subdirectory = [&](uint32_t offsetToData, uint64_t& out) {
        if (!(offsetToData & kSubdirectoryFlag)) return false;
        out = resourceBase + (offsetToData & ~kSubdirectoryFlag);
        return r.has(out, kResourceDirSize);
    };

    uint32_t offset;
    uint64_t typeDir, nameDir;
    if (!entryIn(resourceBase, kRtVersion, offset) || !subdirectory(offset, typeDir)) return std::nullopt;
    if (!entryIn(typeDir, 0xFFFFFFFFu, offset) || !subdirectory(offset, nameDir)) return std::nullopt;
    if (!entryIn(nameDir, 0xFFFFFFFFu, offset) || (offset & kSubdirectoryFlag)) return std::nullopt;
    uint64_t dataEntry = resourceBase + offset;
    uint32_t dataRva, dataSize;
    if (!r.u32(dataEntry, dataRva) || !r.u32(dataEntry + 4, dataSize)) return std::nullopt;
    uint64_t block;
    if (!fileOffset(dataRva, dataSize, block)) return std::nullopt;

    // VS_VERSIONINFO: wLength, wValueLength, wType, szKey, padding to 32 bits, the fixed info.
    constexpr uint64_t keyOffset = 6;
    constexpr uint64_t keyChars = sizeof kVersionKey / sizeof kVersionKey[0];  // with the NUL
    constexpr uint64_t valueOffset = (keyOffset + keyChars * 2 + 3) & ~uint64_t(3);
    uint32_t length, valueLength;
    if (!r.u16(block, length) || !r.u16(block + 2, valueLength)) return std::nullopt;
    if (length > dataSize || length < valueOffset + kFixedInfoSize || valueLength < kFixedInfoSize)
        return std::nullopt;
    for (uint64_t i = 0; i < keyChars; ++i) {
        uint32_t c;
        if (!r.u16(block + keyOffset + i * 2, c) || c != uint32_t(kVersionKey[i])) return std::nullopt;
    }
    uint64_t fixed = block + valueOffset;
    uint32_t signature;
    FixedFileVersion v;
    if (!r.u32(fixed, signature) || signature != kFixedInfoSignature || !r.u32(fixed + 8, v.fileVersionMS) ||
        !r.u32(fixed + 12, v.fileVersionLS) || !r.u32(fixed + 16, v.productVersionMS) ||
        !r.u32(fixed + 20, v.productVersionLS))
        return std::nullopt;
    return v;
}

}  // namespace platform
