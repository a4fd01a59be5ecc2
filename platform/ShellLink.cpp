#include "platform/ShellLink.h"

#include "platform/Faults.h"
#include "platform/Files.h"
#include "platform/detail/HostIo.h"

#include <cstring>

namespace platform {
namespace {

constexpr uint32_t kHeaderSize = 0x4C;
constexpr uint8_t kLinkClsid[16] = {0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                    0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};
constexpr uint32_t kHasLinkTargetIdList = 0x01;
constexpr uint32_t kHasLinkInfo = 0x02;
constexpr uint32_t kHasName = 0x04;
constexpr uint32_t kHasRelativePath = 0x08;
constexpr uint32_t kHasWorkingDir = 0x10;
constexpr uint32_t kHasArguments = 0x20;
constexpr uint32_t kHasIconLocation = 0x40;
constexpr uint32_t kIsUnicode = 0x80;
constexpr uint32_t kFileAttributeArchive = 0x20;
constexpr uint32_t kShowNormal = 1;

constexpr uint32_t kLinkInfoHeaderSize = 0x1C;
constexpr uint32_t kVolumeIdAndLocalBasePath = 0x01;
constexpr uint32_t kVolumeIdHeaderSize = 0x10;
constexpr uint32_t kDriveFixed = 3;

constexpr size_t kMaxStringChars = 0xFFFF;

void put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}
void put32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(uint8_t(v >> (8 * i)));
}
void patch32(std::vector<uint8_t>& out, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) out[at + i] = uint8_t(v >> (8 * i));
}
void putString(std::vector<uint8_t>& out, std::string_view s) {
    s = s.substr(0, kMaxStringChars);
    put16(out, uint32_t(s.size()));
    out.insert(out.end(), s.begin(), s.end());
}

class Reader {
public:
    explicit Reader(std::span<const uint8_t> b) : b_(b) {}
    bool u16(size_t at, uint32_t& v) const {
        if (at > b_.size() || b_.size() - at < 2) return false;
        v = uint32_t(b_[at]) | uint32_t(b_[at + 1]) << 8;
        return true;
    }
    bool u32(size_t at, uint32_t& v) const {
        if (at > b_.size() || b_.size() - at < 4) return false;
        v = uint32_t(b_[at]) | uint32_t(b_[at + 1]) << 8 | uint32_t(b_[at + 2]) << 16 |
            uint32_t(b_[at + 3]) << 24;
        return true;
    }
    // A NUL-terminated ANSI string within [at, limit).
    bool cString(size_t at, size_t limit, std::string& out) const {
        if (limit > b_.size()) return false;
        for (size_t i = at; i < limit; ++i) {
            if (b_[i] == 0) {
                out.assign(reinterpret_cast<const char*>(b_.data() + at), i - at);
                return true;
            }
        }
        return false;
    }
    size_t size() const { return b_.size(); }
    const uint8_t* data() const { return b_.data(); }

private:
    std::span<const uint8_t> b_;
};

Error bad(std::string_view what) { return makeError(err::InvalidData, "shell link: " + std::string(what)); }

void appendUtf8(std::string& out, uint32_t c) {
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | c >> 6);
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xE0 | c >> 12);
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

}  // namespace

std::vector<uint8_t> encodeShellLink(const ShellLink& link) {
    std::vector<uint8_t> out;
    uint32_t flags = kHasLinkInfo;
    if (!link.description.empty()) flags |= kHasName;
    if (!link.workingFolder.empty()) flags |= kHasWorkingDir;

    put32(out, kHeaderSize);
    out.insert(out.end(), std::begin(kLinkClsid), std::end(kLinkClsid));
    put32(out, flags);
    put32(out, kFileAttributeArchive);
    for (int i = 0; i < 6; ++i) put32(out, 0);  // creation, access, write times
    put32(out, 0);                              // file size
    put32(out, 0);                              // icon index
    put32(out, kShowNormal);
    put16(out, 0);  // hot key
    put16(out, 0);
    put32(out, 0);
    put32(out, 0);

    // LinkInfo: header, VolumeID, LocalBasePath, CommonPathSuffix.
    size_t info = out.size();
    put32(out, 0);  // LinkInfoSize, patched below
    put32(out, kLinkInfoHeaderSize);
    put32(out, kVolumeIdAndLocalBasePath);
    put32(out, kLinkInfoHeaderSize);  // VolumeIDOffset
    put32(out, 0);                    // LocalBasePathOffset, patched below
    put32(out, 0);                    // CommonNetworkRelativeLinkOffset
    put32(out, 0);                    // CommonPathSuffixOffset, patched below
    put32(out, kVolumeIdHeaderSize + 1);
    put32(out, kDriveFixed);
    put32(out, 0);  // serial number
    put32(out, kVolumeIdHeaderSize);
    out.push_back(0);  // empty volume label
    patch32(out, info + 16, uint32_t(out.size() - info));
    std::string_view target = link.target;
    target = target.substr(0, target.find('\0'));
    out.insert(out.end(), target.begin(), target.end());
    out.push_back(0);
    patch32(out, info + 24, uint32_t(out.size() - info));
    out.push_back(0);  // empty common path suffix
    patch32(out, info, uint32_t(out.size() - info));

    if (flags & kHasName) putString(out, link.description);
    if (flags & kHasWorkingDir) putString(out, link.workingFolder);
    put32(out, 0);  // terminal block
    return out;
}

Result<ShellLink> decodeShellLink(std::span<const uint8_t> bytes) {
    Reader r(bytes);
    uint32_t headerSize, flags;
    if (!r.u32(0, headerSize) || headerSize != kHeaderSize || bytes.size() < kHeaderSize)
        return bad("header");
    if (std::memcmp(bytes.data() + 4, kLinkClsid, sizeof kLinkClsid) != 0) return bad("class id");
    r.u32(20, flags);
    size_t pos = kHeaderSize;
    if (flags & kHasLinkTargetIdList) {
        uint32_t idListSize;
        if (!r.u16(pos, idListSize) || bytes.size() - pos - 2 < idListSize) return bad("id list");
        pos += 2 + idListSize;
    }
    ShellLink link;
    if (flags & kHasLinkInfo) {
        uint32_t infoSize, infoHeaderSize, infoFlags;
        if (!r.u32(pos, infoSize) || infoSize < kLinkInfoHeaderSize || bytes.size() - pos < infoSize)
            return bad("link info size");
        if (!r.u32(pos + 4, infoHeaderSize) || infoHeaderSize < kLinkInfoHeaderSize || infoHeaderSize > infoSize)
            return bad("link info header");
        r.u32(pos + 8, infoFlags);
        if (infoFlags & kVolumeIdAndLocalBasePath) {
            uint32_t volumeOffset, baseOffset, suffixOffset, volumeSize;
            r.u32(pos + 12, volumeOffset);
            r.u32(pos + 16, baseOffset);
            r.u32(pos + 24, suffixOffset);
            if (volumeOffset >= infoSize || !r.u32(pos + volumeOffset, volumeSize) ||
                volumeSize <= kVolumeIdHeaderSize || volumeSize > infoSize - volumeOffset)
                return bad("volume id");
            if (baseOffset >= infoSize || !r.cString(pos + baseOffset, pos + infoSize, link.target))
                return bad("local base path");
            std::string suffix;
            if (suffixOffset != 0) {
                if (suffixOffset >= infoSize || !r.cString(pos + suffixOffset, pos + infoSize, suffix))
                    return bad("common path suffix");
                link.target += suffix;
            }
        }
        pos += infoSize;
    }
    // StringData, in their fixed order; only NAME and WORKING_DIR are kept.
    const uint32_t order[] = {kHasName, kHasRelativePath, kHasWorkingDir, kHasArguments, kHasIconLocation};
    for (uint32_t flag : order) {
        if (!(flags & flag)) continue;
        uint32_t count;
        if (!r.u16(pos, count)) return bad("string size");
        pos += 2;
        size_t byteCount = (flags & kIsUnicode) ? size_t(count) * 2 : count;
        if (bytes.size() - pos < byteCount) return bad("string data");
        std::string text;
        if (flags & kIsUnicode) {
            for (size_t i = 0; i < count; ++i) appendUtf8(text, uint32_t(bytes[pos + 2 * i]) | uint32_t(bytes[pos + 2 * i + 1]) << 8);
        } else {
            text.assign(reinterpret_cast<const char*>(bytes.data() + pos), byteCount);
        }
        pos += byteCount;
        if (flag == kHasName) link.description = std::move(text);
        if (flag == kHasWorkingDir) link.workingFolder = std::move(text);
    }
    // ExtraData blocks up to the terminal block (size below 4).
    for (;;) {
        uint32_t blockSize;
        if (!r.u32(pos, blockSize)) return bad("extra data");
        if (blockSize < 4) break;
        if (bytes.size() - pos < blockSize) return bad("extra data block");
        pos += blockSize;
    }
    return link;
}

Status writeShellLink(const Machine& machine, std::string_view linkPath, const ShellLink& link) {
    if (link.description.size() > kMaxStringChars || link.workingFolder.size() > kMaxStringChars ||
        link.target.find('\0') != std::string::npos)
        return makeError(err::InvalidParameter, linkPath);
    auto host = Files(machine).openForWrite(linkPath);
    if (!host) return host.error();
    auto bytes = encodeShellLink(link);
    return detail::writeFileAtomic(*host, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

Result<ShellLink> readShellLink(const Machine& machine, std::string_view linkPath) {
    auto host = Files(machine).openForRead(linkPath);
    if (!host) return host.error();
    auto bytes = detail::readWholeFile(*host);
    if (!bytes) return bytes.error();
    return decodeShellLink(
        std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(bytes->data()), bytes->size()));
}

}  // namespace platform
