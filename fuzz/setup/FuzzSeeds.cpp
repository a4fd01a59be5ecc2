// Writes seed corpora for the fuzz targets from the writer's output: setup information files of
// a few products, archive inputs (setup information and archive together) and uninstall records.
#include "libraries/build/SetupWriter.h"
#include "libraries/uninstaller/UninstallRecord.h"

#include <cstdio>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

namespace {

std::vector<uint8_t> readAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void write(const fs::path& p, const std::vector<uint8_t>& bytes) {
    fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

build::Product product(const fs::path& sources, int variant) {
    build::Product p;
    p.name = "Seed";
    p.version = std::to_string(variant);
    p.defaultDestination = "C:\\Seed";
    p.licenseText = "licence ^PRODUCTNAME^";
    p.backgroundTexts = {{.text = "^PRODUCTNAME^", .faceName = "Arial"}};
    p.variables = {{"NAME", "value"}};
    p.components = {{.id = 1, .name = "Main", .description = "main", .destination = "^SETUPPATH^"}};
    if (variant > 0)
        p.components.push_back({.id = 2, .parentId = 1, .name = "Sub", .description = "", .destination = "^SETUPPATH^\\sub"});
    p.registryEntries = {{1, 3, "Software\\Seed", "Text", 1, "^SETUPPATH^"},
                         {1, 2, "Software\\Seed", "Num", 4, build::encodeDwordData(42)},
                         {1, 1, ".seed", "", 3, "0a,1b,ff"}};
    const int files = variant == 0 ? 1 : 3;
    auto add = [&](uint32_t component, const std::string& name, const std::string& content) -> build::ProductFile& {
        const fs::path source = sources / (std::to_string(variant) + "-" + std::to_string(p.files.size()));
        std::ofstream(source, std::ios::binary) << content;
        return p.files.emplace_back(build::ProductFile{.componentId = component, .name = name, .source = source});
    };
    for (int i = 0; i < files; ++i)
        add(uint32_t(variant > 0 && i == 2 ? 2 : 1), "f" + std::to_string(i) + ".txt",
            std::string(size_t(100 * i), char('a' + i)) + "file " + std::to_string(i));
    if (variant == 2) {
        // The program group, a shortcut, a shared file, a readme, a subfolder, an empty file and
        // every page with its texts.
        p.showWelcome = p.showLicense = p.showUser = p.showFinished = p.offerRestart = true;
        p.useProgramGroup = true;
        p.defaultGroup = "Seed ^PRODUCTVERSION^";
        p.userKey = "Maker\\Seed";
        p.userText = "user";
        p.finishedText = "done";
        p.restartNowText = "now";
        p.restartLaterText = "later";
        p.readmeOffered = true;
        p.readmeMode = 2;
        p.minimalOffered = p.customOffered = true;
        p.components[1].setupTypes = 2;
        add(1, "Seed.exe", "MZ program").shortcut = true;
        p.files.back().linkText = "Seed ^PRODUCTVERSION^";
        add(1, "shared.dll", "library").shared = true;
        add(1, "readme.txt", "read me").readme = true;
        add(2, "deeper\\in\\sub.txt", "in a subfolder");
        add(2, "empty.txt", "");
    }
    if (variant == 3) {
        // Every value type, an empty value name and empty data; references, chained and circular.
        p.variables = {{"A", "^B^\\a"}, {"B", "^PROGRAMFILESDIR^"}, {"LOOP", "^LOOP^"}, {"PCT", "50^%"}};
        p.components[0].destination = "^A^\\^NAME^";
        for (uint8_t type : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 255}) {
            std::string data = type == 4 || type == 5 ? build::encodeDwordData(0x12345678)
                               : type == 1 || type == 2 ? "^LOOP^ ^PCT^"
                               : type == 255 ? std::string("raw\0bytes", 9) : "00,ff";
            p.registryEntries.push_back({1, uint8_t(1 + type % 4), "Software\\Seed\\T" + std::to_string(type),
                                         type == 1 ? "" : "v", type, data});
        }
        p.registryEntries.push_back({2, 3, "Software\\Seed", "Empty", 3, ""});
    }
    return p;
}

// Expressions of the kinds the authoring program filters and protects its rows with.
const char* const kExpressions[] = {
    "exe=0", "id = 5", "id=12", "id<>7", "filegrpid = 3", "proggrpid = 0", "name = 'O''Brien'",
    "exe=0 and name = 'x'", "id > 1 or isnull(name)", "not (id = 1)", "if (exe = 16777215, 0, 16777215)",
    " color ", "name + 'a' = 'ba'", "len(name) > 2", "#1 = 1", "upper(name) = 'X'", "id * 2 + 1 >= 3",
    "",
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_seeds <corpus folder>\n");
        return 2;
    }
    const fs::path corpus = argv[1];
    const fs::path work = corpus / ".work";
    fs::create_directories(work / "sources");
    for (int variant = 0; variant < 5; ++variant) {
        const fs::path out = work / ("out" + std::to_string(variant));
        // The last product is the second one spread over discs of a few hundred bytes.
        auto made = product(work / "sources", variant == 4 ? 1 : variant);
        const uint64_t capacity = variant == 4 ? build::setupInfoSize(made) + 8 + 300 : 0;
        auto result = build::writeSetup(made, {.outputFolder = out, .discCapacity = capacity, .threads = 1});
        if (!result.ok()) {
            std::fprintf(stderr, "fuzz_seeds: %s\n", result.error.c_str());
            return 1;
        }
        const auto info = readAll(out / "Disc1" / "SetupInfo.RUX");
        const auto archive = readAll(out / "Disc1" / "Setup1.RUX");
        write(corpus / "setup_info" / ("product" + std::to_string(variant)), info);
        // The archive target's input: u32 length of the setup information, it, then the archive.
        std::vector<uint8_t> walk = {uint8_t(info.size()), uint8_t(info.size() >> 8), uint8_t(info.size() >> 16),
                                     uint8_t(info.size() >> 24)};
        walk.insert(walk.end(), info.begin(), info.end());
        walk.insert(walk.end(), archive.begin(), archive.end());
        write(corpus / "archive_walk" / ("product" + std::to_string(variant)), walk);
        write(corpus / "real_install" / ("product" + std::to_string(variant)), walk);
        if (variant == 1) {
            // The real installation's hostile seeds: the default destination on the host, beside
            // the fuzzer's machine (see Fuzz_real_install.cpp), and cancelled at the third file.
            auto hostile = walk;
            const std::string z = "Z:\\tmp\\rux-fuzz-install\\host\\x";
            std::copy(z.begin(), z.end() + 1, hostile.begin() + 4 + 70);
            write(corpus / "real_install" / "host-destination", hostile);
            auto cancelled = walk;
            cancelled[3] = 3;
            write(corpus / "real_install" / "cancel-at-third-file", cancelled);
        }
    }
    for (size_t i = 0; i < std::size(kExpressions); ++i) {
        const std::string e = kExpressions[i];
        write(corpus / "rowset_expressions" / ("expression" + std::to_string(i)), {e.begin(), e.end()});
    }
    const uninstaller::UninstallRecord record{
        "Seed 1", {{1, "C:\\Seed", ""}, {0, "C:\\Seed\\f0.txt", ""}, {4, "Software\\Seed", ""},
                   {4, "Software\\Seed", "Text"}, {3, "Software\\Seed", "Num"}}};
    write(corpus / "uninstall_record" / "record", uninstaller::encodeUninstallRecord(record));
    write(corpus / "uninstall_record" / "empty", uninstaller::encodeUninstallRecord({"Seed 1", {}}));
    const uninstaller::UninstallRecord every{
        "Seed 2", {{1, "C:\\Seed", ""}, {1, "C:\\Seed\\sub", ""}, {0, "C:\\Seed\\sub\\a.txt", ""},
                   {0, "C:\\Windows\\System32\\shared.dll", ""}, {0, "C:\\Windows\\Start Menu\\Programs\\Seed\\Seed.lnk", ""},
                   {2, ".seed", ""}, {3, "Software\\Seed", "User"}, {4, "Software\\Seed", ""}, {5, "S-1\\Seed", "v"},
                   {0, "C:\\Seed\\sub\\a.txt", ""}, {4, std::string(259, 'k'), std::string(259, 'v')}}};
    write(corpus / "uninstall_record" / "every-type", uninstaller::encodeUninstallRecord(every));
    fs::remove_all(work);
    return 0;
}
