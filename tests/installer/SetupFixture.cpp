#include "SetupFixture.h"

#include <zstd.h>

#include <cstring>
#include <fstream>
#include <stdexcept>

namespace setup_test {

namespace {

struct Record {
    std::vector<uint8_t> bytes;
    explicit Record(std::size_t size) : bytes(size, 0) {}
    Record& u8(std::size_t at, uint8_t v) {
        bytes.at(at) = v;
        return *this;
    }
    Record& u16(std::size_t at, uint16_t v) {
        bytes.at(at) = uint8_t(v);
        bytes.at(at + 1) = uint8_t(v >> 8);
        return *this;
    }
    Record& u32(std::size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) bytes.at(at + i) = uint8_t(v >> (8 * i));
        return *this;
    }
    Record& text(std::size_t at, std::size_t width, const std::string& t) {
        if (t.size() >= width) throw std::invalid_argument("text does not fit: " + t);
        std::memcpy(&bytes.at(at), t.data(), t.size());
        return *this;
    }
};

struct Out {
    std::vector<uint8_t> bytes;
    std::vector<std::size_t>* boundaries;
    void add(const std::vector<uint8_t>& b) {
        bytes.insert(bytes.end(), b.begin(), b.end());
        if (boundaries) boundaries->push_back(bytes.size());
    }
    void add(const std::string& s) { add(std::vector<uint8_t>(s.begin(), s.end())); }
    void count(std::size_t n) { add(Record(4).u32(0, uint32_t(n)).bytes); }
};

}  // namespace

std::vector<uint8_t> encodeSetupInfo(const FxProduct& p, std::vector<std::size_t>* boundaries) {
    Out out{{}, boundaries};
    out.add(Record(325)
                .text(0, 33, p.name)
                .text(33, 17, p.version)
                .u32(50, p.reserved)
                .u32(54, p.readmeOffered)
                .u32(58, 1)
                .u32(62, 1)
                .u32(66, 1)
                .text(70, 255, p.destination)
                .bytes);
    out.add(Record(20).u32(0, 1).u32(4, 1).u32(8, 1).u32(12, 1).u32(16, p.wizardProgramGroup).bytes);
    out.add(Record(69).text(0, 65, "^PRODUCTNAME^ Setup").u32(65, 0x800000).bytes);
    out.count(1);
    out.add(Record(333).text(4, 255, "Welcome").u32(259, 100).u32(263, 200).u16(275, 24).u32(277, 1).text(293, 40, "Arial").bytes);
    out.add(Record(4).u32(0, 1).bytes);
    out.add(Record(8).u32(0, uint32_t(p.license.size())).u32(4, 0xDEADBEEF).bytes);
    out.add(p.license);
    out.add(Record(263).text(0, 255, p.userKey).u32(255, 4).bytes);
    out.add(std::string("User"));
    out.add(Record(142).u32(0, 4).u32(8, 1).text(12, 65, "Restart now").text(77, 65, "Later").bytes);
    out.add(std::string("Done"));
    out.add(Record(41).text(0, 33, p.programGroup).u32(33, 5).bytes);
    out.add(std::string("Group"));
    out.add(Record(66).u8(0, p.readmeMode).text(1, 65, "Show readme").bytes);
    out.add(Record(259).text(0, 255, p.progressText).u32(255, 1).bytes);
    out.count(p.registry.size());
    for (const auto& r : p.registry)
        out.add(Record(528)
                    .u32(4, r.component)
                    .u8(8, r.root)
                    .text(9, 255, r.key)
                    .text(264, 255, r.name)
                    .u32(519, uint32_t(r.data.size()))
                    .u8(527, r.type)
                    .bytes);
    for (const auto& r : p.registry) out.add(r.data);
    out.count(p.strings.size());
    for (const auto& [name, value] : p.strings) out.add(Record(288).text(0, 33, name).text(33, 255, value).bytes);
    out.count(p.components.size());
    for (const auto& c : p.components)
        out.add(Record(329)
                    .u16(0, c.firstDisc)
                    .u32(4, c.offset)
                    .u32(12, c.id)
                    .u32(16, c.parent)
                    .text(20, 33, c.name)
                    .u32(53, 1)
                    .u8(57, c.bits)
                    .u32(58, c.required)
                    .u32(62, uint32_t(c.description.size()))
                    .text(70, 255, c.destination)
                    .u32(325, 1)
                    .bytes);
    for (const auto& c : p.components) out.add(c.description);
    out.count(p.files.size());
    for (const auto& f : p.files)
        out.add(Record(357)
                    .u32(0, f.component)
                    .text(4, 260, f.name)
                    .u32(264, f.readme)
                    .u32(268, f.shortcut)
                    .text(272, 65, f.linkText)
                    .u32(337, f.shared)
                    .u32(341, uint32_t(f.time))
                    .u32(345, uint32_t(f.time >> 32))
                    .u32(349, uint32_t(f.content.size()))
                    .u32(353, f.storedSize)
                    .bytes);
    if (p.reserved) out.add(std::vector<uint8_t>(12, 0x5A));
    return out.bytes;
}

std::string zstdCompress(std::string_view content) {
    std::string out(ZSTD_compressBound(content.size()), '\0');
    std::size_t n = ZSTD_compress(out.data(), out.size(), content.data(), content.size(), 3);
    if (ZSTD_isError(n)) throw std::runtime_error("zstd");
    out.resize(n);
    return out;
}

void writeBytes(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

int writeDiscs(FxProduct& product, const std::filesystem::path& root, uint64_t capacity) {
    std::vector<std::string> archives(1);
    auto append = [&](const std::string& bytes) {
        for (char c : bytes) {
            if (capacity && archives.back().size() == capacity) archives.emplace_back();
            archives.back() += c;
        }
    };
    for (auto& c : product.components) {
        if (capacity && archives.back().size() == capacity) archives.emplace_back();
        if (c.firstDisc == 0) {
            c.firstDisc = uint16_t(archives.size());
            c.offset = uint32_t(archives.back().size());
        }
        for (auto& f : product.files) {
            if (f.component != c.id) continue;
            std::string stored = f.stored ? *f.stored : zstdCompress(f.content);
            f.storedSize = uint32_t(stored.size());
            append(stored);
        }
    }
    for (std::size_t d = 0; d < archives.size(); ++d) {
        auto folder = root / ("Disc" + std::to_string(d + 1));
        writeBytes(folder / ("Setup" + std::to_string(d + 1) + ".RUX"),
                   std::vector<uint8_t>(archives[d].begin(), archives[d].end()));
        uint32_t n = uint32_t(d + 1);
        writeBytes(folder / "Disc.lbl", {uint8_t(n), uint8_t(n >> 8), uint8_t(n >> 16), uint8_t(n >> 24)});
    }
    writeBytes(root / "Disc1" / "SetupInfo.RUX", encodeSetupInfo(product));
    return int(archives.size());
}

}  // namespace setup_test
