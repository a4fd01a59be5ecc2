// Damaged and hostile setups, made from the writer's output: each ends with the right message,
// installs nothing it should not, and writes nothing outside the destination folder.
#include "E2eSupport.h"
#include "libraries/build/SetupLayout.h"
#include "libraries/uninstaller/Uninstaller.h"
#include "libraries/uninstaller/UninstallRecord.h"
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
    for (const std::string name : {"..\\..\\Windows\\evil.dll", "C:\\evil.dll", "\\evil.dll", "a\\..\\..\\evil.dll", "C:evil.dll",
                                   "a/../../evil.dll", "../evil.dll", "/evil.dll", "sub/..\\..//evil.dll", "Z:/evil.dll"})
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

namespace {

// A host folder beside the machine folder, which nothing may change: every entry with its bytes.
struct HostFolder {
    fs::path path;
    explicit HostFolder(const platform::Machine& m) : path(m.root().parent_path() / "host") {
        fs::create_directories(path / "x");
        testing_support::writeFile(path / "kept.txt", "a file of the host");  // 19 bytes
        testing_support::writeFile(path / "x" / "file0.bin", "a file of the host");
        fs::last_write_time(path / "x" / "file0.bin", fs::file_time_type::clock::now() - std::chrono::hours(24 * 365 * 20));
    }
    std::map<std::string, std::string> snapshot() const {
        std::map<std::string, std::string> all;
        for (auto& e : fs::recursive_directory_iterator(path)) {
            std::string& seen = all[fs::relative(e.path(), path).string()];
            if (e.is_symlink()) seen = "<link> " + fs::read_symlink(e.path()).string();
            else if (e.is_directory()) seen = "<folder>";
            else seen = testing_support::readFile(e.path()) + "@" + std::to_string(e.last_write_time().time_since_epoch().count());
        }
        return all;
    }
};

}  // namespace

TEST(HostileSetups, DestinationsOutsideTheMachineAreRefusedAndNothingIsWrittenThere) {
    Product product;
    const auto ends = boundaries(product.p);
    const size_t components = ends[22], files = ends[26];
    struct Case {
        std::string name;
        // Changes the setup information or the machine; returns the refused path the box names.
        std::function<std::string(std::vector<uint8_t>& info, SetupRun& run, const HostFolder& host)> setUp;
    };
    auto destination = [&](std::vector<uint8_t>& info, int component, const std::string& folder) {
        putText(info, components + size_t(component) * L::component::Size + L::component::Destination, folder);
    };
    const std::vector<Case> cases = {
        {"destination on the host's root", [&](auto& info, SetupRun& run, const HostFolder& host) {
             const std::string z = run.machine.windowsPath(host.path / "x");
             destination(info, 0, z);
             return z;
         }},
        {"destination a host path", [&](auto& info, SetupRun&, const HostFolder& host) {
             destination(info, 0, (host.path / "x").string());
             return (host.path / "x").string();
         }},
        {"second component on the host, after the first was installed", [&](auto& info, SetupRun& run, const HostFolder& host) {
             const std::string z = run.machine.windowsPath(host.path) + "\\new";
             destination(info, 1, z);
             return z;
         }},
        {"destination through a link out of the machine", [&](auto&, SetupRun& run, const HostFolder& host) {
             fs::create_directories(run.machine.hostPath("C:\\Program Files")->string());
             fs::create_directory_symlink(host.path / "x", *run.machine.hostPath(Dest));
             return Dest;
         }},
        {"subfolder through a link out of the machine", [&](auto&, SetupRun& run, const HostFolder& host) {
             fs::create_directories(*run.machine.hostPath(Dest));
             fs::create_directory_symlink(host.path, *run.machine.hostPath(Dest + "\\b"));
             return Dest + "\\b";
         }},
        {"file name in a linked subfolder", [&](auto& info, SetupRun& run, const HostFolder& host) {
             putText(info, files + L::file::Name, "x\\file0.bin");
             fs::create_directories(*run.machine.hostPath(Dest));
             fs::create_directory_symlink(host.path / "x", *run.machine.hostPath(Dest + "\\x"));
             return Dest + "\\x\\file0.bin";
         }},
        {"installed file a link to an older host file", [&](auto&, SetupRun& run, const HostFolder& host) {
             fs::create_directories(*run.machine.hostPath(Dest));
             fs::create_symlink(host.path / "x" / "file0.bin", *run.machine.hostPath(Dest + "\\file0.bin"));
             return Dest + "\\file0.bin";
         }},
        {"temporary folder on the host", [&](auto&, SetupRun& run, const HostFolder& host) {
             const std::string z = run.machine.windowsPath(host.path);
             EXPECT_TRUE(run.machine.setEnvironment("TMP", z).ok());
             run.ui.message(setup::ids::FailedOpenFile, setup::answer::Ok, z);
             return std::string();  // scripted here
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Built built(product.p);
        auto info = testing_support::readBytes(built.disc(1) / "SetupInfo.RUX");
        SetupRun run;
        const HostFolder host(run.machine);
        run.ready();
        const std::string refused = c.setUp(info, run, host);
        testing_support::writeFile(built.disc(1) / "SetupInfo.RUX", std::string(info.begin(), info.end()));
        const auto hostBefore = host.snapshot();
        const auto before = testing_support::snapshotMachine(run.machine);
        if (!refused.empty()) run.ui.systemError(refused, "lies outside this machine's drives");
        ASSERT_TRUE(run.prepare(built.disc(1)));
        EXPECT_EQ(run.install(), setup::result::Error);
        EXPECT_TRUE(run.ui.done());
        EXPECT_EQ(testing_support::differences(hostBefore, host.snapshot()), std::vector<std::string>{});
        const auto after = testing_support::snapshotMachine(run.machine);
        EXPECT_EQ(testing_support::differences(before.files, after.files), std::vector<std::string>{});
        EXPECT_EQ(testing_support::differences(before.registry, after.registry), std::vector<std::string>{});
        fs::remove_all(host.path);
        fs::remove_all(*run.machine.hostPath(Dest));  // a link goes, not what it leads to
        EXPECT_TRUE(run.machine.setEnvironment("TMP", "C:\\Windows\\Temp").ok());
    }
}

// 8 MiB of zeros stored in a few hundred bytes, under a record that promises 20,000.
TEST(HostileSetups, StoredBytesThatGrowPastTheInstalledSizeAreADamagedFile) {
    Product product;
    product.p.files[1].source = product.sources.add("bomb", std::string(size_t(8) << 20, '\0'));
    const Built built(product.p);
    auto info = testing_support::readBytes(built.disc(1) / "SetupInfo.RUX");
    putU32(info, boundaries(product.p)[26] + L::file::Size + L::file::InstalledSize, 20000);
    testing_support::writeFile(built.disc(1) / "SetupInfo.RUX", std::string(info.begin(), info.end()));
    SetupRun run;
    const auto before = testing_support::snapshotMachine(run.machine);
    run.ready();
    run.ui.message(setup::ids::DecompressError, setup::answer::Ok, Dest + "\\file1.bin");
    ASSERT_TRUE(run.prepare(built.disc(1)));
    EXPECT_EQ(run.install(), setup::result::Error);
    EXPECT_LE(run.largestOutput, 20000u);
    const auto after = testing_support::snapshotMachine(run.machine);
    EXPECT_EQ(testing_support::differences(before.files, after.files), std::vector<std::string>{});
    EXPECT_EQ(testing_support::differences(before.registry, after.registry), std::vector<std::string>{});
}

// A planted or hostile record may name anything; the uninstaller deletes only inside the machine.
TEST(HostileSetups, UninstallRecordsNamingPathsOutsideTheMachineRemoveNothing) {
    const platform::Machine machine = openMachine();
    const HostFolder host(machine);
    fs::create_directories(*machine.hostPath("C:\\Tool"));
    fs::create_directory_symlink(host.path, *machine.hostPath("C:\\Tool\\out"));
    testing_support::writeFile(*machine.hostPath("C:\\Tool\\mine.txt"), "installed");
    const std::string hostWin = machine.windowsPath(host.path);
    const std::string record = "C:\\Windows\\UninstTool1.RUX";
    struct Case {
        std::string name;
        std::vector<uninstaller::Entry> entries;
        std::string path;  // where the record lies
        std::string named;
    };
    const std::vector<Case> cases = {
        {"file on Z:", {{0, hostWin + "\\kept.txt", ""}}, record, hostWin + "\\kept.txt"},
        {"folder on Z:", {{1, hostWin + "\\x", ""}}, record, hostWin + "\\x"},
        {"host path", {{0, (host.path / "kept.txt").string(), ""}}, record, (host.path / "kept.txt").string()},
        {"through a link", {{0, "C:\\Tool\\out\\kept.txt", ""}}, record, "C:\\Tool\\out\\kept.txt"},
        {"climbing out of a link", {{0, "C:\\Tool\\out\\x\\..\\kept.txt", ""}}, record, "C:\\Tool\\out\\x\\..\\kept.txt"},
        {"record on Z:", {{0, "C:\\Tool\\mine.txt", ""}}, hostWin + "\\record.RUX", hostWin + "\\record.RUX"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        // The machine's own entry comes first, so that a record read newest first would reach it last.
        uninstaller::UninstallRecord r{"Tool 1", {{0, "C:\\Tool\\mine.txt", ""}}};
        r.entries.insert(r.entries.end(), c.entries.begin(), c.entries.end());
        const auto bytes = uninstaller::encodeUninstallRecord(r);
        testing_support::writeFile(*machine.hostPath(c.path), std::string(bytes.begin(), bytes.end()));
        const auto hostBefore = host.snapshot();
        const auto before = testing_support::snapshotMachine(machine);
        const auto outcome = uninstaller::uninstall(machine, c.path);
        EXPECT_EQ(outcome.kind, uninstaller::Outcome::BadRecord);
        EXPECT_NE(outcome.message.find(c.named), std::string::npos) << outcome.message;
        EXPECT_NE(outcome.message.find("nothing has been removed"), std::string::npos) << outcome.message;
        EXPECT_EQ(testing_support::differences(hostBefore, host.snapshot()), std::vector<std::string>{});
        EXPECT_EQ(testing_support::differences(before.files, testing_support::snapshotMachine(machine).files),
                  std::vector<std::string>{});
        fs::remove(*machine.hostPath(c.path));
    }
}
