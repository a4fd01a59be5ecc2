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
    for (int i = 0; i < files; ++i) {
        const fs::path source = sources / ("f" + std::to_string(i));
        std::ofstream(source, std::ios::binary) << std::string(size_t(100 * i), char('a' + i)) << "file " << i;
        p.files.push_back({.componentId = uint32_t(variant > 0 && i == 2 ? 2 : 1), .name = "f" + std::to_string(i) + ".txt",
                           .source = source});
    }
    return p;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_seeds <corpus folder>\n");
        return 2;
    }
    const fs::path corpus = argv[1];
    const fs::path work = corpus / ".work";
    fs::create_directories(work / "sources");
    for (int variant = 0; variant < 2; ++variant) {
        const fs::path out = work / ("out" + std::to_string(variant));
        auto result = build::writeSetup(product(work / "sources", variant), {.outputFolder = out, .threads = 1});
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
    }
    const uninstaller::UninstallRecord record{
        "Seed 1", {{1, "C:\\Seed", ""}, {0, "C:\\Seed\\f0.txt", ""}, {4, "Software\\Seed", ""},
                   {4, "Software\\Seed", "Text"}, {3, "Software\\Seed", "Num"}}};
    write(corpus / "uninstall_record" / "record", uninstaller::encodeUninstallRecord(record));
    write(corpus / "uninstall_record" / "empty", uninstaller::encodeUninstallRecord({"Seed 1", {}}));
    fs::remove_all(work);
    return 0;
}
