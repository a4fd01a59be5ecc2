// The writer on its own: what it refuses, how it lays stored bytes over discs, and the
// decompression library on what the writer stores.
#include "libraries/build/SetupLayout.h"
#include "libraries/build/SetupWriter.h"
#include "libraries/decompress/ruxdecompress.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>

namespace fs = std::filesystem;
using testing_support::readFile;
using testing_support::TempFolder;
using testing_support::writeFile;

namespace {

std::string randomBytes(size_t n, uint32_t seed) {
    std::mt19937 rng(seed);
    std::string s(n, '\0');
    for (auto& c : s) c = static_cast<char>(rng());
    return s;
}

build::Product oneComponent(const fs::path& source) {
    build::Product p;
    p.name = "Tool";
    p.version = "1.0";
    p.components.push_back({.id = 1, .name = "Main", .destination = "^SETUPPATH^"});
    p.files.push_back({.componentId = 1, .name = "a.txt", .source = source});
    return p;
}

uint32_t u32At(const std::string& s, size_t at) {
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<uint8_t>(s[at + i]);
    return v;
}

// Each file's stored bytes, collected from the archives by the placements alone.
std::vector<std::string> storedBytesOf(const fs::path& out, const build::Product& p,
                                       const build::BuildResult& r) {
    std::vector<std::string> archives;
    for (size_t d = 1; d <= r.archiveSizes.size(); ++d) {
        archives.push_back(readFile(out / ("Disc" + std::to_string(d)) / ("Setup" + std::to_string(d) + ".RUX")));
        EXPECT_EQ(archives.back().size(), r.archiveSizes[d - 1]);
    }
    std::vector<std::string> stored(p.files.size());
    for (size_t c = 0; c < p.components.size(); ++c) {
        size_t disc = r.components[c].firstDisc - 1, pos = r.components[c].offset;
        for (size_t f = 0; f < p.files.size(); ++f) {
            if (p.files[f].componentId != p.components[c].id) continue;
            for (uint32_t left = r.files[f].storedSize; left > 0;) {
                if (pos == archives.at(disc).size()) {
                    ++disc;
                    pos = 0;
                    continue;
                }
                size_t n = std::min<size_t>(left, archives.at(disc).size() - pos);
                stored[f] += archives[disc].substr(pos, n);
                pos += n;
                left -= static_cast<uint32_t>(n);
            }
        }
    }
    return stored;
}

std::string decompressed(const TempFolder& tmp, const std::string& stored, int* rc = nullptr) {
    writeFile(tmp / "stored", stored);
    writeFile(tmp / "output", "old contents");
    int result = ruxdecompress((tmp / "stored").c_str(), (tmp / "output").c_str());
    if (rc) *rc = result;
    return readFile(tmp / "output");
}

}  // namespace

TEST(SetupWriter, RefusesWhatTheInstallerRefuses) {
    TempFolder tmp;
    writeFile(tmp / "src", "x");
    const std::string long33(33, 'n');
    struct Case {
        const char* name;
        std::function<void(build::Product&)> change;
        const char* expected;  // part of the message
    };
    const std::vector<Case> cases = {
        {"name too wide", [&](auto& p) { p.name = long33; }, "product name is 33 characters"},
        {"name with separator", [](auto& p) { p.name = "a\\b"; }, "may not hold"},
        {"version with colon", [](auto& p) { p.version = "C:1"; }, "may not hold"},
        {"text with zero byte", [](auto& p) { p.title = std::string("a\0b", 3); }, "zero byte"},
        {"destination too wide", [](auto& p) { p.components[0].destination = std::string(255, 'd'); }, "at most 254"},
        {"destination on the host's root", [](auto& p) { p.components[0].destination = "Z:\\tmp\\x"; }, "outside the machine's drive C:"},
        {"destination on another drive", [](auto& p) { p.components[0].destination = "d:\\x"; }, "outside"},
        {"destination a host path", [](auto& p) { p.components[0].destination = "/tmp/x"; }, "outside"},
        {"destination a network path", [](auto& p) { p.components[0].destination = "\\\\server\\share"; }, "outside"},
        {"default destination on Z:", [](auto& p) { p.defaultDestination = "z:\\x"; }, "default destination lies outside"},
        {"file name with ..", [](auto& p) { p.files[0].name = "..\\x"; }, "leaves its folder"},
        {"file name inner ..", [](auto& p) { p.files[0].name = "a\\..\\..\\x"; }, "leaves its folder"},
        {"absolute file name", [](auto& p) { p.files[0].name = "\\Windows\\x"; }, "relative"},
        {"drive file name", [](auto& p) { p.files[0].name = "C:x"; }, "drive"},
        {"forward slash", [](auto& p) { p.files[0].name = "a/b"; }, "does not allow"},
        {"empty level", [](auto& p) { p.files[0].name = "a\\\\b"; }, "empty folder level"},
        {"file name too wide", [](auto& p) { p.files[0].name = std::string(260, 'f'); }, "at most 259"},
        {"shortcut with separator", [](auto& p) { p.files[0].shortcut = true; p.files[0].linkText = "..\\x"; }, "leaves"},
        {"orphan file", [](auto& p) { p.files[0].componentId = 9; }, "belongs to no component"},
        {"component id 0", [](auto& p) { p.components[0].id = 0; p.files.clear(); }, "id 0"},
        {"duplicate id", [](auto& p) { p.components.push_back(p.components[0]); }, "Two components"},
        {"missing parent", [](auto& p) { p.components[0].parentId = 7; }, "parent component that does not exist"},
        {"parent cycle", [](auto& p) {
             p.components.push_back({.id = 2, .parentId = 1, .name = "B"});
             p.components[0].parentId = 2;
         }, "its own ancestor"},
        {"self parent", [](auto& p) { p.components[0].parentId = 1; }, "its own ancestor"},
        {"bad root", [](auto& p) { p.registryEntries.push_back({.componentId = 1, .root = 5, .key = "K"}); }, "root code 5"},
        {"root 0", [](auto& p) { p.registryEntries.push_back({.componentId = 1, .root = 0, .key = "K"}); }, "root code 0"},
        {"type 11", [](auto& p) { p.registryEntries.push_back({.componentId = 1, .root = 3, .key = "K", .type = 11}); }, "value type 11"},
        {"short dword", [](auto& p) { p.registryEntries.push_back({.componentId = 1, .root = 3, .key = "K", .type = 4, .data = "0x2A"}); }, "8 hexadecimal"},
        {"bad hex", [](auto& p) { p.registryEntries.push_back({.componentId = 1, .root = 3, .key = "K", .type = 3, .data = "0g,11"}); }, "hexadecimal pairs"},
        {"hex without separator", [](auto& p) { p.registryEntries.push_back({.componentId = 1, .root = 3, .key = "K", .type = 3, .data = "0a1b"}); }, "separator"},
        {"registry orphan", [](auto& p) { p.registryEntries.push_back({.componentId = 4, .root = 3, .key = "K", .type = 1}); }, "no component"},
        {"empty key", [](auto& p) { p.registryEntries.push_back({.componentId = 1, .root = 3, .key = "", .type = 1}); }, "key path"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        build::Product p = oneComponent(tmp / "src");
        c.change(p);
        build::BuildResult r = build::writeSetup(p, {.outputFolder = tmp / "out"});
        EXPECT_NE(r.error.find(c.expected), std::string::npos) << r.error;
        EXPECT_FALSE(fs::exists(tmp / "out" / "Disc1" / "SetupInfo.RUX"));
    }
    // The widest texts that fit, subfolders in file names and every valid type are accepted.
    build::Product p = oneComponent(tmp / "src");
    p.name = std::string(32, 'n');
    p.files[0].name = "sub\\deeper\\" + std::string(248, 'f');
    for (uint8_t type : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 255})
        p.registryEntries.push_back({.componentId = 1, .root = 3, .key = "K", .type = type,
                                     .data = type == 4 || type == 5 ? build::encodeDwordData(1) : ""});
    EXPECT_EQ(build::checkProduct(p), "");
}

TEST(SetupWriter, RefusesNamesTheRegistryCannotHoldNamingTheEntry) {
    TempFolder tmp;
    writeFile(tmp / "src", "x");
    struct Case {
        const char* name;
        std::string key, valueName, expected;
    };
    const std::vector<Case> cases = {
        {"line break in the value name", "Software\\Maker", "A\nB", "the value name holds a line break"},
        {"carriage return in the value name", "Software\\Maker", "A\rB", "the value name holds a line break"},
        {"line break in the key", "Software\\Ma\nker", "V", "the key holds a line break"},
        {"carriage return in the key", "Software\\Ma\rker", "V", "the key holds a line break"},
        {"over-long key", "Software\\" + std::string(250, 'k'), "V", "at most 254"},
        {"over-long value name", "Software\\Maker", std::string(255, 'v'), "at most 254"},
        {"empty key", "", "V", "needs a key path"},
        {"two separators in a row", "Software\\\\Maker", "V", "empty key name"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        build::Product p = oneComponent(tmp / "src");
        p.registryEntries.push_back(
            {.componentId = 1, .root = 3, .key = "Software\\Fine", .valueName = "V", .type = 1});
        p.registryEntries.push_back(
            {.componentId = 1, .root = 3, .key = c.key, .valueName = c.valueName, .type = 1});
        build::BuildResult r = build::writeSetup(p, {.outputFolder = tmp / "out"});
        // The message names the entry as the publisher sees it: its place, component, root, key and value.
        EXPECT_NE(r.error.find(c.expected), std::string::npos) << r.error;
        EXPECT_NE(r.error.find("Registry entry 2 of component \"" + p.components[0].name + "\""),
                  std::string::npos)
            << r.error;
        EXPECT_NE(r.error.find("HKEY_LOCAL_MACHINE"), std::string::npos) << r.error;
        EXPECT_NE(r.error.find("key \"" + c.key + "\""), std::string::npos) << r.error;
        EXPECT_NE(r.error.find("value \"" + c.valueName + "\""), std::string::npos) << r.error;
        EXPECT_FALSE(fs::exists(tmp / "out" / "Disc1" / "SetupInfo.RUX"));
    }
    // The user information key becomes a key below HKEY_CURRENT_USER\Software.
    build::Product p = oneComponent(tmp / "src");
    p.userKey = "Maker\nTool";
    EXPECT_NE(build::checkProduct(p).find("The user information key \"Maker\nTool\" holds a line break"),
              std::string::npos);
    p.userKey = "";
    EXPECT_EQ(build::checkProduct(p), "");
}

TEST(SetupWriter, RefusesBadOptions) {
    TempFolder tmp;
    writeFile(tmp / "src", "x");
    build::Product p = oneComponent(tmp / "src");
    EXPECT_NE(build::writeSetup(p, {.outputFolder = tmp / "o", .compressionLevel = 20}).error, "");
    EXPECT_NE(build::writeSetup(p, {.outputFolder = tmp / "o", .compressionLevel = 0}).error, "");
    EXPECT_NE(build::writeSetup(p, {.outputFolder = tmp / "o", .setupProgram = tmp / "none"}).error, "");
    // A disc too small for the first disc's setup files and one archive byte.
    auto r = build::writeSetup(p, {.outputFolder = tmp / "o", .discCapacity = build::setupInfoSize(p) + 8});
    EXPECT_NE(r.error.find("cannot hold"), std::string::npos) << r.error;
    p.files[0].source = tmp / "missing";
    r = build::writeSetup(p, {.outputFolder = tmp / "o"});
    EXPECT_NE(r.error.find("Cannot open the source file"), std::string::npos) << r.error;
    EXPECT_FALSE(fs::exists(tmp / "o" / "Disc1" / "SetupInfo.RUX"));
}

TEST(SetupWriter, WritesLabelsSetupInfoAndProgramCopies) {
    TempFolder tmp;
    writeFile(tmp / "src", "hello");
    writeFile(tmp / "setup-program", "#!program");
    writeFile(tmp / "lib.so", "library");
    build::Product p = oneComponent(tmp / "src");
    const auto r = build::writeSetup(p, {.outputFolder = tmp / "out", .setupProgram = tmp / "setup-program",
                                         .decompressor = tmp / "lib.so"});
    ASSERT_TRUE(r.ok()) << r.error;
    const fs::path d1 = tmp / "out" / "Disc1";
    EXPECT_EQ(readFile(d1 / "Disc.lbl"), std::string("\x01\0\0\0\x01\0\0\0", 8));
    EXPECT_EQ(readFile(d1 / "Setup.exe"), "#!program");
    EXPECT_TRUE((fs::status(d1 / "Setup.exe").permissions() & fs::perms::owner_exec) != fs::perms::none);
    EXPECT_EQ(readFile(d1 / "libruxdecompress.so"), "library");
    const std::string info = readFile(d1 / "SetupInfo.RUX");
    EXPECT_EQ(info.size(), build::setupInfoSize(p));
    // The file record is the last thing: its sizes and time.
    const size_t rec = info.size() - build::layout::file::Size;
    EXPECT_EQ(u32At(info, rec + build::layout::file::InstalledSize), 5u);
    EXPECT_EQ(u32At(info, rec + build::layout::file::StoredSize), r.files[0].storedSize);
    EXPECT_EQ(u32At(info, rec + build::layout::file::TimeLow) |
                  uint64_t(u32At(info, rec + build::layout::file::TimeHigh)) << 32,
              build::fileTimeOf(tmp / "src"));
    EXPECT_EQ(readFile(d1 / "Setup1.RUX").size(), r.files[0].storedSize);

    // A second build of fewer discs removes the discs it no longer has.
    fs::create_directories(tmp / "out" / "Disc2");
    writeFile(tmp / "out" / "Disc2" / "Setup2.RUX", "stale");
    ASSERT_TRUE(build::writeSetup(p, {.outputFolder = tmp / "out"}).ok());
    EXPECT_FALSE(fs::exists(tmp / "out" / "Disc2"));
    EXPECT_FALSE(fs::exists(d1 / "Setup.exe"));  // not given this time
}

TEST(SetupWriter, SpreadsStoredBytesOverDiscsAndEveryFileDecompresses) {
    TempFolder tmp;
    build::Product p;
    p.name = "Spread";
    std::vector<std::string> contents;
    // Two components; a 0-byte file; a file big enough to be streamed (over 4 MiB).
    const std::vector<size_t> sizes = {0, 1000, 70000, 5u << 20, 3, 20000};
    p.components.push_back({.id = 1, .name = "A"});
    p.components.push_back({.id = 2, .name = "B"});
    p.components.push_back({.id = 3, .name = "Empty"});
    for (size_t i = 0; i < sizes.size(); ++i) {
        contents.push_back(sizes[i] < 100000 ? randomBytes(sizes[i], uint32_t(i)) : std::string(sizes[i], 'z'));
        writeFile(tmp / ("f" + std::to_string(i)), contents.back());
        // Record order interleaves the components; each component's bytes still lie together.
        p.files.push_back({.componentId = uint32_t(i % 2 + 1), .name = "f" + std::to_string(i),
                           .source = tmp / ("f" + std::to_string(i))});
    }
    // Progress names each file as it is laid into the archive, in archive order.
    std::vector<std::string> progress;
    const auto whole = build::writeSetup(p, {.outputFolder = tmp / "whole", .threads = 3,
                                             .progress = [&](size_t done, size_t count, const std::string& name) {
                                                 progress.push_back(std::to_string(done) + "/" +
                                                                    std::to_string(count) + " " + name);
                                             }});
    ASSERT_TRUE(whole.ok()) << whole.error;
    EXPECT_EQ(progress, (std::vector<std::string>{"0/6 f0", "1/6 f2", "2/6 f4", "3/6 f1", "4/6 f3", "5/6 f5"}));
    ASSERT_EQ(whole.archiveSizes.size(), 1u);
    uint64_t total = whole.archiveSizes[0];
    const uint64_t overhead = build::setupInfoSize(p) + build::layout::disclabel::Size;

    // Capacities that put archive ends before, at and after file and component boundaries.
    std::vector<uint64_t> rooms = {total / 3, total / 3 + 1, total / 3 - 1};
    uint64_t boundary = 0;
    for (size_t f : {0, 2, 4, 1, 3, 5}) {  // archive order: component A's files, then B's
        boundary += whole.files[f].storedSize;
        if (boundary > total / 8 && boundary < total)
            rooms.insert(rooms.end(), {boundary - 1, boundary, boundary + 1});
    }
    ASSERT_GE(rooms.size(), 9u);
    for (uint64_t room : rooms) {
        SCOPED_TRACE(room);
        const fs::path out = tmp / ("r" + std::to_string(room));
        const auto r = build::writeSetup(p, {.outputFolder = out, .discCapacity = room + overhead});
        ASSERT_TRUE(r.ok()) << r.error;
        EXPECT_EQ(r.archiveSizes[0], std::min(room, total));
        for (size_t d = 1; d < r.archiveSizes.size(); ++d) {
            EXPECT_LE(r.archiveSizes[d], room + overhead - build::layout::disclabel::Size);
            const std::string label = readFile(out / ("Disc" + std::to_string(d + 1)) / "Disc.lbl");
            EXPECT_EQ(u32At(label, 0), d + 1);
            EXPECT_EQ(u32At(label, 4), r.archiveSizes.size());
        }
        const auto stored = storedBytesOf(out, p, r);
        for (size_t f = 0; f < p.files.size(); ++f) {
            int rc = -1;
            EXPECT_EQ(decompressed(tmp, stored[f], &rc), contents[f]) << f;
            EXPECT_EQ(rc, 0);
            EXPECT_EQ(r.files[f].installedSize, contents[f].size());
        }
        // The empty component points at the end of the stream.
        EXPECT_EQ(r.components[2].firstDisc, r.archiveSizes.size());
        EXPECT_EQ(r.components[2].offset, r.archiveSizes.back());
    }
}

TEST(SetupWriter, BigFilesStayOneFrameThatDecompresses) {
    TempFolder tmp;
    // Big enough to be split among the compressor's own threads.
    std::string big;
    for (size_t i = 0; big.size() < (40u << 20); ++i) big += "line " + std::to_string(i * 7919 % 100003) + " of a big file\n";
    writeFile(tmp / "big", big);
    build::Product p = oneComponent(tmp / "big");
    const auto r = build::writeSetup(p, {.outputFolder = tmp / "out", .threads = 4});
    ASSERT_TRUE(r.ok()) << r.error;
    EXPECT_EQ(r.files[0].installedSize, big.size());
    int rc = -1;
    EXPECT_TRUE(decompressed(tmp, readFile(tmp / "out" / "Disc1" / "Setup1.RUX"), &rc) == big);
    EXPECT_EQ(rc, 0);
}

TEST(Decompressor, RefusesDamagedTruncatedAndTrailingBytes) {
    TempFolder tmp;
    const std::string text = randomBytes(300000, 7) + std::string(300000, 'a');
    writeFile(tmp / "src", text);
    build::Product p = oneComponent(tmp / "src");
    const auto r = build::writeSetup(p, {.outputFolder = tmp / "out"});
    ASSERT_TRUE(r.ok()) << r.error;
    const std::string stored = readFile(tmp / "out" / "Disc1" / "Setup1.RUX");
    int rc = -1;
    EXPECT_EQ(decompressed(tmp, stored, &rc), text);
    EXPECT_EQ(rc, 0);

    std::string flipped = stored;
    flipped[stored.size() / 2] ^= 0x10;
    const std::vector<std::pair<const char*, std::string>> bad = {
        {"empty", ""},
        {"truncated", stored.substr(0, stored.size() - 1)},
        {"half", stored.substr(0, stored.size() / 2)},
        {"damaged", flipped},
        {"trailing", stored + "x"},
        {"two frames", stored + stored},
        {"not a frame", "plain text, not stored bytes"},
    };
    for (const auto& [name, bytes] : bad) {
        SCOPED_TRACE(name);
        decompressed(tmp, bytes, &rc);
        EXPECT_NE(rc, 0);
    }
    EXPECT_NE(ruxdecompress((tmp / "missing").c_str(), (tmp / "output").c_str()), 0);
    EXPECT_NE(ruxdecompress((tmp / "stored").c_str(), (tmp / "no" / "such" / "folder").c_str()), 0);
    EXPECT_NE(ruxdecompress(nullptr, nullptr), 0);
}

// Stored bytes that decompress to more than the file's installed size never write more than it:
// 8 MiB of zeros compress to a few hundred bytes.
TEST(Decompressor, BoundedFormStopsAtTheInstalledSize) {
    TempFolder tmp;
    const size_t size = size_t(8) << 20;
    writeFile(tmp / "src", std::string(size, '\0'));
    const auto r = build::writeSetup(oneComponent(tmp / "src"), {.outputFolder = tmp / "out"});
    ASSERT_TRUE(r.ok()) << r.error;
    const fs::path stored = tmp / "out" / "Disc1" / "Setup1.RUX";
    ASSERT_LT(fs::file_size(stored), 4096u);
    struct Case {
        unsigned long long limit;
        bool ok;
    };
    for (const Case& c : {Case{size, true}, Case{~0ULL, true}, Case{size - 1, false}, Case{20000, false}, Case{0, false}}) {
        SCOPED_TRACE(c.limit);
        const fs::path output = tmp / ("output" + std::to_string(c.limit));
        const int rc = ruxdecompress_bounded(stored.c_str(), output.c_str(), c.limit);
        EXPECT_EQ(rc == 0, c.ok);
        EXPECT_LE(fs::file_size(output), std::min<unsigned long long>(c.limit, size));
        if (c.ok) {
            EXPECT_EQ(fs::file_size(output), size);
        }
    }
}
