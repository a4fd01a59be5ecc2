// Damaged and hostile setups, made from the writer's output: each ends with the right message,
// installs nothing it should not, and writes nothing outside the destination folder.
#include "E2eSupport.h"
#include "libraries/build/SetupLayout.h"
#include "platform/Registry.h"
#include "uninstaller/MachineSnapshot.h"

#include <functional>

using namespace e2e;
namespace L = build::layout;

namespace {

const std::string Dest = "C:\\Program Files\\Hostile";

struct Product {
    Sources sources;
    build::Product p;
    Product() {
        p.name = "Hostile";
        p.version = "1";
        p.defaultDestination = Dest;
        p.useProgramGroup = true;
        p.defaultGroup = "Hostile";
        p.backgroundTexts = {{.text = "a", .faceName = {}}, {.text = "b", .faceName = {}}};
        p.licenseText = "licence";
        p.userText = "user";
        p.finishedText = "finished";
        p.groupText = "group";
        p.variables = {{"ONE", "1"}, {"TWO", "2"}};
        p.components = {{.id = 1, .name = "A", .description = "first", .destination = "^SETUPPATH^"},
                        {.id = 2, .parentId = 1, .name = "B", .description = "", .destination = "^SETUPPATH^\\b"}};
        p.registryEntries = {{1, 3, "Software\\Hostile", "Text", 1, "text"},
                             {1, 3, "Software\\Hostile", "Short", 1, "0x2A"}};
        for (int i = 0; i < 3; ++i) {
            const std::string name = "file" + std::to_string(i) + ".bin";
            p.files.push_back({.componentId = uint32_t(i == 2 ? 2 : 1), .name = name,
                               .source = sources.add(name, randomBytes(5000, uint32_t(i)))});
        }
    }
};

// Where each record, count, array and text of the file ends, walked with the layout.
std::vector<size_t> boundaries(const build::Product& p) {
    std::vector<size_t> b;
    size_t at = 0;
    auto step = [&](size_t n) { b.push_back(at += n); };
    step(L::header::Size);
    step(L::wizard::Size);
    step(L::mainwindow::Size);
    step(4);
    step(L::background::Size * p.backgroundTexts.size());
    step(L::welcome::Size);
    for (auto [size, memo] : {std::pair{L::license::Size, &p.licenseText}, {L::user::Size, &p.userText},
                              {L::finished::Size, &p.finishedText}, {L::programgroup::Size, &p.groupText}}) {
        step(size);
        step(memo->size());
    }
    step(L::readme::Size);
    step(L::progress::Size);
    step(4);
    step(L::registry::Size * p.registryEntries.size());
    for (const auto& r : p.registryEntries) step(r.data.size());
    step(4);
    step(L::variable::Size * p.variables.size());
    step(4);
    step(L::component::Size * p.components.size());
    for (const auto& c : p.components) step(c.description.size());
    step(4);
    step(L::file::Size * p.files.size());
    return b;
}

void putU32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b.at(at + i) = uint8_t(v >> (8 * i));
}
void putText(std::vector<uint8_t>& b, size_t at, const std::string& text) {
    std::copy(text.begin(), text.end(), b.begin() + std::ptrdiff_t(at));
    b.at(at + text.size()) = 0;
}

}  // namespace

TEST(HostileSetups, DamagedSetupInformationIsRefusedBeforeAnythingHappens) {
    Product product;
    const Built built(product.p);
    const fs::path infoPath = built.disc(1) / "SetupInfo.RUX";
    const std::vector<uint8_t> good = testing_support::readBytes(infoPath);
    const auto ends = boundaries(product.p);
    ASSERT_EQ(ends.back(), good.size());
    // Offsets of the counts and arrays, from the boundaries above.
    const size_t backgroundCount = ends[2], licence = ends[5], registryCount = ends[15];
    const size_t variableCount = ends[19], componentCount = ends[21], components = ends[22];
    const size_t fileCount = ends[25], files = ends[26];

    struct Case {
        std::string name;
        std::vector<uint8_t> bytes;
    };
    std::vector<Case> cases;
    cases.push_back({"empty file", {}});
    for (size_t end : ends) {
        if (end < good.size()) cases.push_back({"cut at " + std::to_string(end), {good.begin(), good.begin() + std::ptrdiff_t(end)}});
    }
    cases.push_back({"cut inside the last record", {good.begin(), good.end() - 1}});
    auto patched = [&](std::string name, std::function<void(std::vector<uint8_t>&)> change) {
        auto b = good;
        change(b);
        cases.push_back({std::move(name), std::move(b)});
    };
    for (size_t count : {backgroundCount, registryCount, variableCount, componentCount, fileCount})
        patched("huge count at " + std::to_string(count), [=](auto& b) { putU32(b, count, 0xFFFFFFFFu); });
    patched("huge memo", [=](auto& b) { putU32(b, licence, 0x7FFFFFFFu); });
    patched("huge registry data", [=](auto& b) { putU32(b, registryCount + 4 + L::registry::DataLength, 0xFFFFFFF0u); });
    patched("reserved bytes promised", [](auto& b) { putU32(b, L::header::Reserved, 1); });
    patched("a byte too many", [](auto& b) { b.push_back(0); });
    patched("parent cycle", [=](auto& b) { putU32(b, components + L::component::ParentId, 2); });
    patched("own parent", [=](auto& b) { putU32(b, components + L::component::ParentId, 1); });
    patched("duplicate component id", [=](auto& b) { putU32(b, components + L::component::Size + L::component::Id, 1); });
    for (const std::string name : {"..\\..\\Windows\\evil.dll", "C:\\evil.dll", "\\evil.dll", "a\\..\\..\\evil.dll", "C:evil.dll"})
        patched("file name " + name, [=](auto& b) { putText(b, files + L::file::Name, name); });

    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        testing_support::writeFile(infoPath, std::string(c.bytes.begin(), c.bytes.end()));
        SetupRun run;
        const auto before = testing_support::snapshotMachine(run.machine);
        run.ui.systemError("An error has occurred.");
        EXPECT_FALSE(run.prepare(built.disc(1)));
        EXPECT_FALSE(run.app->setupInfo.has_value());
        const auto after = testing_support::snapshotMachine(run.machine);
        EXPECT_EQ(after.files, before.files);
        EXPECT_EQ(after.registry, before.registry);
    }
}

TEST(HostileSetups, DamageFoundWhileInstallingEndsTheRunAndLeavesNothingOutsideTheDestination) {
    Product product;
    struct Case {
        std::string name;
        std::function<void(const Built&, std::vector<uint8_t>& info, SetupRun& run)> setUp;
    };
    const auto ends = boundaries(product.p);
    const size_t components = ends[22], files = ends[26];
    const std::vector<Case> cases = {
        {"offset past the archive", [&](const Built& b, auto& info, SetupRun& run) {
             const uint32_t size = uint32_t(fs::file_size(b.disc(1) / "Setup1.RUX"));
             putU32(info, components + L::component::Size + L::component::Offset, size + 1);
             run.ui.systemError(run.machine.windowsPath(b.disc(1)) + "\\Setup1.RUX");
         }},
        {"stored bytes past the last disc", [&](const Built& b, auto& info, SetupRun& run) {
             putU32(info, files + 2 * L::file::Size + L::file::StoredSize, b.result.files[2].storedSize + 1);
             run.ui.systemError(run.machine.windowsPath(b.disc(1)) + "\\Setup1.RUX");
         }},
        {"damaged stored bytes", [&](const Built& b, auto&, SetupRun& run) {
             std::string archive = testing_support::readFile(b.disc(1) / "Setup1.RUX");
             archive[b.result.files[0].storedSize + 40] ^= 0x55;  // inside the second file
             testing_support::writeFile(b.disc(1) / "Setup1.RUX", archive);
             run.ui.message(setup::ids::DecompressError, setup::answer::Ok, Dest + "\\file1.bin");
         }},
        {"missing archive", [&](const Built& b, auto&, SetupRun& run) {
             fs::remove(b.disc(1) / "Setup1.RUX");
             run.ui.message(setup::ids::FailedOpenFile, setup::answer::Cancel,
                            run.machine.windowsPath(b.disc(1)) + "\\Setup1.RUX");
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Built built(product.p);
        auto info = testing_support::readBytes(built.disc(1) / "SetupInfo.RUX");
        SetupRun run;
        const auto before = testing_support::snapshotMachine(run.machine);
        run.ready();
        c.setUp(built, info, run);
        testing_support::writeFile(built.disc(1) / "SetupInfo.RUX", std::string(info.begin(), info.end()));
        ASSERT_TRUE(run.prepare(built.disc(1)));
        EXPECT_NE(run.install(), setup::result::Complete);
        const auto after = testing_support::snapshotMachine(run.machine);
        // A failed run is rolled back: not even the destination keeps anything.
        EXPECT_EQ(testing_support::differences(before.files, after.files), std::vector<std::string>{});
        EXPECT_EQ(testing_support::differences(before.registry, after.registry), std::vector<std::string>{});
    }
}

TEST(HostileSetups, UnterminatedTextsAndShortNumbersAreCutOrSkipped) {
    Product product;
    const Built built(product.p);
    auto info = testing_support::readBytes(built.disc(1) / "SetupInfo.RUX");
    const auto ends = boundaries(product.p);
    const size_t registry = ends[15] + 4;
    // The product name fills its whole field; the second entry's 4 characters become a number.
    std::fill_n(info.begin() + L::header::ProductName, L::header::ProductNameWidth, uint8_t('N'));
    info.at(registry + L::registry::Size + L::registry::Type) = 4;
    testing_support::writeFile(built.disc(1) / "SetupInfo.RUX", std::string(info.begin(), info.end()));

    SetupRun run;
    ASSERT_TRUE(run.prepare(built.disc(1)));
    EXPECT_EQ(run.app->info().header.productName, std::string(32, 'N'));
    ASSERT_EQ(run.install(), setup::result::Complete);
    platform::Registry reg(run.machine);
    EXPECT_TRUE(reg.queryValue(platform::RegRoot::LocalMachine, "Software\\Hostile", "Text").ok());
    EXPECT_FALSE(reg.queryValue(platform::RegRoot::LocalMachine, "Software\\Hostile", "Short").ok());
    for (int i = 0; i < 2; ++i)
        EXPECT_EQ(testing_support::readFile(*run.machine.hostPath(Dest + "\\file" + std::to_string(i) + ".bin")),
                  product.sources.content("file" + std::to_string(i) + ".bin"));
}
