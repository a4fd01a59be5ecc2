// Whole installations into the machine folder: files, times, registry values of every type,
// links, shared counts, the Uninstall key and the uninstall record; a second install; test mode;
// cancelled and failed runs rolled back.
#include "InstallerTestSupport.h"
#include "installer/logic/CInstallEngine.h"
#include "platform/Faults.h"
#include "platform/Files.h"
#include "platform/Registry.h"
#include "platform/ShellLink.h"

#include <cstring>

using namespace setup;
using namespace setup_test;
using platform::RegRoot;

namespace {

const std::string kDest = "C:\\Program Files\\Tool";
const std::string kGroup = "C:\\Windows\\Start Menu\\Programs\\Tool";

std::string bigText() {
    std::string s;
    for (int i = 0; s.size() < 200000; ++i) s += "line " + std::to_string(i * 7919 % 1000) + "\n";
    return s;
}

FxProduct product() {
    FxProduct p;
    p.components = {FxComponent{1, "Main", "^SETUPPATH^"}, FxComponent{2, "Docs", "^PATH_Main^\\Docs\\"}};
    p.files = {FxFile{1, "app.exe", "program bytes", 0, 1, "^PRODUCTNAME^", 1},
               FxFile{1, "empty.dat", ""},
               FxFile{1, "sub\\readme.txt", "read me", 1},
               FxFile{2, "manual.txt", bigText()}};
    const std::string key = "Software\\Maker\\^PRODUCTNAME^";
    p.registry = {FxRegistry{1, 3, key, "Path", 1, "^PATH_Main^"},
                  FxRegistry{1, 3, key, "Count", 4, "0x0000002A"},
                  FxRegistry{1, 3, key, "Big", 5, "0x0000002A"},
                  FxRegistry{1, 3, key, "Bin", 3, "0a,1B,ff"},
                  FxRegistry{1, 3, key, "Empty", 3, ""},
                  FxRegistry{1, 3, key, "Multi", 7, "61,00,62,00,00"},
                  FxRegistry{1, 3, key, "Raw", 255, std::string("a\0b", 3)},
                  FxRegistry{1, 3, key, "", 2, "%WINDIR%\\^PRODUCTNAME^"},
                  FxRegistry{1, 3, key, "None", 0, "01"},
                  FxRegistry{1, 3, key, "Short", 4, "0x2A"},
                  FxRegistry{1, 4, ".DEFAULT\\Software\\Maker", "V", 1, "x"},
                  FxRegistry{1, 1, ".tool", "", 1, "ToolFile"},
                  FxRegistry{2, 2, "Software\\Maker\\Docs", "Shown", 4, "0x00000001"}};
    return p;
}

std::vector<uint8_t> bytesOf(std::string_view s) { return {s.begin(), s.end()}; }

// The record as it must be, built here with the layout's numbers.
std::vector<uint8_t> expectedRecord(const std::string& name, const std::vector<UninstallEntry>& entries) {
    std::vector<uint8_t> out;
    auto u32 = [&](uint32_t v) {
        for (int i = 0; i < 4; ++i) out.push_back(uint8_t(v >> (8 * i)));
    };
    u32(uint32_t(name.size() + 1));
    out.insert(out.end(), name.begin(), name.end());
    out.push_back(0);
    u32(uint32_t(entries.size()));
    for (const auto& e : entries) {
        std::vector<uint8_t> entry(521, 0);
        entry[0] = e.type;
        std::memcpy(&entry[1], e.name.data(), e.name.size());
        std::memcpy(&entry[261], e.value.data(), e.value.size());
        out.insert(out.end(), entry.begin(), entry.end());
    }
    return out;
}

const std::vector<UninstallEntry> kEntries{
    {1, kGroup, ""},
    {1, kDest, ""},
    {0, kDest + "\\app.exe", ""},
    {0, kGroup + "\\Tool.lnk", ""},
    {0, kDest + "\\empty.dat", ""},
    {1, kDest + "\\sub", ""},
    {0, kDest + "\\sub\\readme.txt", ""},
    {4, "Software\\Maker", ""},
    {4, "Software\\Maker\\Tool", ""},
    {4, "Software\\Maker\\Tool", "Path"},
    {4, "Software\\Maker\\Tool", "Count"},
    {4, "Software\\Maker\\Tool", "Big"},
    {4, "Software\\Maker\\Tool", "Bin"},
    {4, "Software\\Maker\\Tool", "Empty"},
    {4, "Software\\Maker\\Tool", "Multi"},
    {4, "Software\\Maker\\Tool", "Raw"},
    {4, "Software\\Maker\\Tool", "None"},
    {5, ".DEFAULT\\Software\\Maker", ""},
    {5, ".DEFAULT\\Software\\Maker", "V"},
    {2, ".tool", ""},
    {1, kDest + "\\Docs", ""},
    {0, kDest + "\\Docs\\manual.txt", ""},
    {3, "Software\\Maker", ""},
    {3, "Software\\Maker\\Docs", ""},
    {3, "Software\\Maker\\Docs", "Shown"},
    {3, "Software\\Maker\\Tool", ""},
    {3, "Software\\Maker\\Tool", "User"},
    {3, "Software\\Maker\\Tool", "Company"},
};

struct Engine : ::testing::Test {
    SetupRun run;
    FxProduct fx = product();
    platform::Files files{run.machine};
    platform::Registry registry{run.machine};

    std::string content(const std::string& path) {
        auto host = run.machine.hostPath(path);
        return host ? testing_support::readFile(*host) : "<none>";
    }
    std::optional<platform::RegValue> value(RegRoot root, std::string_view key, std::string_view name) {
        auto v = registry.queryValue(root, key, name);
        if (!v) return std::nullopt;
        return *v;
    }
    uint32_t sharedCount(const std::string& path) {
        auto v = value(RegRoot::LocalMachine, SharedDllsKey, path);
        if (!v || v->data.size() != 4) return 0;
        uint32_t n;
        std::memcpy(&n, v->data.data(), 4);
        return n;
    }
    std::vector<uint8_t> record() {
        return testing_support::readBytes(*run.machine.hostPath("C:\\Windows\\UninstTool10.RUX"));
    }
};

}  // namespace

TEST_F(Engine, InstallsFilesRegistryLinksCountsAndTheRecord) {
    run.prepare(fx);
    ASSERT_EQ(run.install(), 0);

    for (const auto& f : fx.files) {
        std::string path = kDest + (f.component == 2 ? "\\Docs\\" : "\\") + f.name;
        EXPECT_EQ(content(path), f.content) << path;
        auto times = files.times(path);
        ASSERT_TRUE(times) << path;
        EXPECT_EQ(times->lastWrite.ticks, kFileTime) << path;
    }
    EXPECT_EQ(run.app->readmePath, kDest + "\\sub\\readme.txt");

    const std::string key = "Software\\Maker\\Tool";
    auto expectValue = [&](RegRoot root, const std::string& k, const std::string& name, uint32_t type,
                           std::vector<uint8_t> data) {
        auto v = value(root, k, name);
        ASSERT_TRUE(v) << k << " " << name;
        EXPECT_EQ(v->type, type) << name;
        EXPECT_EQ(v->data, data) << name;
    };
    auto sz = [](std::string s) { return std::vector<uint8_t>(s.c_str(), s.c_str() + s.size() + 1); };
    expectValue(RegRoot::LocalMachine, key, "Path", 1, sz(kDest));
    expectValue(RegRoot::LocalMachine, key, "Count", 4, {0x2A, 0, 0, 0});
    expectValue(RegRoot::LocalMachine, key, "Big", 5, {0, 0, 0, 0x2A});
    expectValue(RegRoot::LocalMachine, key, "Bin", 3, {0x0A, 0x1B, 0xFF});
    expectValue(RegRoot::LocalMachine, key, "Empty", 3, {});
    expectValue(RegRoot::LocalMachine, key, "Multi", 7, {'a', 0, 'b', 0, 0});
    expectValue(RegRoot::LocalMachine, key, "Raw", 255, {'a', 0, 'b'});
    expectValue(RegRoot::LocalMachine, key, "", 2, sz("%WINDIR%\\Tool"));
    expectValue(RegRoot::LocalMachine, key, "None", 0, {1});
    EXPECT_FALSE(value(RegRoot::LocalMachine, key, "Short"));
    expectValue(RegRoot::Users, ".DEFAULT\\Software\\Maker", "V", 1, sz("x"));
    expectValue(RegRoot::ClassesRoot, ".tool", "", 1, sz("ToolFile"));
    expectValue(RegRoot::CurrentUser, "Software\\Maker\\Docs", "Shown", 4, {1, 0, 0, 0});
    expectValue(RegRoot::CurrentUser, key, "User", 1, sz("Ann"));
    expectValue(RegRoot::CurrentUser, key, "Company", 1, sz("Maker Ltd"));

    auto link = platform::readShellLink(run.machine, kGroup + "\\Tool.lnk");
    ASSERT_TRUE(link);
    EXPECT_EQ(link->target, kDest + "\\app.exe");
    EXPECT_EQ(link->description, "Tool");
    EXPECT_EQ(link->workingFolder, kDest);
    EXPECT_EQ(run.app->programGroupFolder, kGroup);

    EXPECT_EQ(sharedCount(kDest + "\\app.exe"), 1u);

    const std::string uninstallKey = std::string(UninstallKeyPrefix) + "Tool 1.0";
    expectValue(RegRoot::LocalMachine, uninstallKey, "DisplayName", 1, sz("Tool 1.0"));
    expectValue(RegRoot::LocalMachine, uninstallKey, "UninstallString", 1,
                sz("C:\\Windows\\RUXUninst C:\\Windows\\UninstTool10.RUX"));
    EXPECT_EQ(record(), expectedRecord("Tool 1.0", kEntries));

    // The progress reached the whole of the stored bytes, the temporary files are gone.
    EXPECT_EQ(run.ui.lastDone, run.ui.lastTotal);
    EXPECT_GT(run.ui.lastTotal, 0u);
    EXPECT_TRUE(files.entries("C:\\Windows\\Temp")->empty());
    EXPECT_EQ(run.ui.progressFiles.size(), 4u);
}

TEST_F(Engine, SecondInstallCountsAgainAndRepeatsNoEntry) {
    run.prepare(fx);
    ASSERT_EQ(run.install(), 0);
    auto first = record();

    SetupRun again;
    FxProduct fx2 = product();
    again.prepare(fx2);
    ASSERT_EQ(again.install(), 0);
    EXPECT_EQ(sharedCount(kDest + "\\app.exe"), 2u);
    EXPECT_EQ(record(), first);
}

TEST_F(Engine, EarlierRecordEntriesComeFirstAndADamagedRecordIsKeptAside) {
    const std::vector<UninstallEntry> earlier{{0, "C:\\Old\\file.txt", ""}, {1, kDest, ""}};
    writeBytes(*run.machine.hostPath("C:\\Windows\\UninstTool10.RUX"), expectedRecord("Tool 1.0", earlier));
    run.prepare(fx);
    ASSERT_EQ(run.install(), 0);
    std::vector<UninstallEntry> merged = earlier;
    for (const auto& e : kEntries)
        if (!(e == earlier[1])) merged.push_back(e);
    EXPECT_EQ(record(), expectedRecord("Tool 1.0", merged));

    // A record whose sizes do not add up is not taken in, and not lost either.
    auto damaged = expectedRecord("Tool 1.0", earlier);
    damaged.pop_back();
    writeBytes(*run.machine.hostPath("C:\\Windows\\UninstTool10.RUX"), damaged);
    SetupRun again;
    FxProduct fx2 = product();
    again.prepare(fx2);
    ASSERT_EQ(again.install(), 0);
    EXPECT_EQ(testing_support::readBytes(*run.machine.hostPath("C:\\Windows\\UninstTool10.RUX.damaged")), damaged);
    // Everything existed already but the link, which is logged every time.
    EXPECT_EQ(record(), expectedRecord("Tool 1.0", {{0, kGroup + "\\Tool.lnk", ""}}));
}

namespace {
int gDecompressed = 0;
int countingDecompress(const char* stored, const char* output) {
    ++gDecompressed;
    return ruxdecompress(stored, output);
}
}  // namespace

TEST_F(Engine, TestModeChangesNothingButDecompressesEveryChosenFile) {
    run.prepare(fx, 0, {"Test"});
    run.app->decompress = &countingDecompress;
    auto before = snapshot(run.machine);
    ASSERT_EQ(run.install(), 0);
    EXPECT_EQ(gDecompressed, 4);
    EXPECT_EQ(snapshot(run.machine), before);
    EXPECT_EQ(run.app->readmePath, kDest + "\\sub\\readme.txt");
    EXPECT_TRUE(run.app->changeLog.entries.empty());
    EXPECT_TRUE(run.app->programGroupFolder.empty());
}

TEST_F(Engine, NoAtTheStartQuestionChangesNothing) {
    run.prepare(fx);
    auto before = snapshot(run.machine);
    run.ui.message(16395, 7);
    EXPECT_EQ(run.app->StartInstallation(), 1);
    EXPECT_EQ(snapshot(run.machine), before);
}

TEST_F(Engine, NothingSelectedCompletesAtOnce) {
    run.prepare(fx);
    for (auto& s : run.app->componentSelection) s.selected = 0;
    ASSERT_EQ(run.install(), 0);
    EXPECT_EQ(run.ui.lastTotal, 0u);
    EXPECT_TRUE(run.ui.progressFiles.empty());
    EXPECT_FALSE(files.exists(kDest));
}

TEST_F(Engine, ReplaceTestKeepsNewerOrEqualFilesYetMakesTheirLinkAndCount) {
    run.prepare(fx);
    ASSERT_TRUE(files.createFolder(kDest));
    const std::string app = kDest + "\\app.exe";
    writeBytes(*run.machine.hostPath(app), bytesOf("user's copy"));
    platform::FileTime same{kFileTime};
    ASSERT_TRUE(files.setTimes(app, {same, same, same}));
    ASSERT_EQ(run.install(), 0);
    EXPECT_EQ(content(app), "user's copy");
    EXPECT_EQ(sharedCount(app), 1u);
    EXPECT_TRUE(files.exists(kGroup + "\\Tool.lnk"));
    // The existing folder and file are not the product's: no entry names them.
    for (const auto& e : run.app->changeLog.entries) {
        EXPECT_NE(e.name, kDest);
        EXPECT_NE(e.name, app);
    }
}

TEST_F(Engine, LockedDestinationIsNotLoggedAsNew) {
    run.prepare(fx);
    ASSERT_TRUE(files.createFolder(kDest));
    const std::string app = kDest + "\\app.exe";
    writeBytes(*run.machine.hostPath(app), bytesOf("old"));
    platform::FileTime old{kFileTime - 1};
    ASSERT_TRUE(files.setTimes(app, {old, old, old}));
    auto lock = platform::FileLock::acquire(*run.machine.hostPath(app));
    ASSERT_TRUE(lock);
    // Present but in use counts as missing for the replace test; the copy then fails.
    EXPECT_TRUE(run.app->ShouldReplaceFile("C:\\nowhere", app, 0));
    bool logged = true;
    run.ui.onEvent = [&](const std::string&) {
        logged = false;
        for (const auto& e : run.app->changeLog.entries) logged = logged || e.name == app;
    };
    run.ui.copyError();
    EXPECT_EQ(run.install(), 2);
    EXPECT_FALSE(logged);
    EXPECT_EQ(content(app), "old");
}

// ---- Runs that end before completion leave the machine as it was ----

namespace {

enum class Stop { CancelFirstPass, CancelSecondComponent, CancelLastPass, Decompress, Folder, Copy, Group };

struct Rollback : ::testing::TestWithParam<Stop> {};

}  // namespace

TEST_P(Rollback, LeavesTheMachineAsBefore) {
    SetupRun run;
    FxProduct fx = product();
    platform::Files files(run.machine);
    // A user's file in a folder the product also uses: neither may go.
    ASSERT_TRUE(files.createFolder("C:\\Program Files\\Tool"));
    writeBytes(*run.machine.hostPath("C:\\Program Files\\Tool\\user.txt"), bytesOf("mine"));
    int expected = 1;
    switch (GetParam()) {
        case Stop::CancelFirstPass: run.ui.cancelAtPass(0); break;
        case Stop::CancelSecondComponent: run.ui.cancelAtPass(4); break;
        case Stop::CancelLastPass: run.ui.cancelAtPass(7); break;
        case Stop::Decompress:
            fx.files[3].stored = "not a frame";
            run.ui.message(16396, 1, kDest + "\\Docs\\manual.txt");
            expected = 2;
            break;
        case Stop::Folder:
            ASSERT_TRUE(platform::injectFault(run.machine, platform::FaultKind::CreateFolder, kDest + "\\Docs"));
            run.ui.message(16390, 4, kDest + "\\Docs").message(16390, 2, kDest + "\\Docs");
            expected = 2;
            break;
        case Stop::Copy:
            ASSERT_TRUE(files.createFolder(kDest + "\\Docs"));
            ASSERT_TRUE(files.createFolder(kDest + "\\Docs\\manual.txt"));
            {
                platform::FileTime old{kFileTime - 10000000};  // older than the file
                ASSERT_TRUE(files.setTimes(kDest + "\\Docs\\manual.txt", {old, old, old}));
            }
            run.ui.copyError();
            expected = 2;
            break;
        case Stop::Group:
            ASSERT_TRUE(platform::injectFault(run.machine, platform::FaultKind::CreateFolder, kGroup));
            run.ui.message(16391, 2, "Tool");
            expected = 2;
            break;
    }
    run.prepare(fx);
    auto before = snapshot(run.machine);
    EXPECT_EQ(run.install(), expected);
    EXPECT_EQ(snapshot(run.machine), before);
    EXPECT_TRUE(run.app->changeLog.entries.empty());
}

INSTANTIATE_TEST_SUITE_P(Engine, Rollback,
                         ::testing::Values(Stop::CancelFirstPass, Stop::CancelSecondComponent, Stop::CancelLastPass,
                                           Stop::Decompress, Stop::Folder, Stop::Copy, Stop::Group));

TEST(EngineProgress, PercentIsRoundedAndNeverAboveAHundred) {
    EXPECT_EQ(CInstallEngine::ProgressPercent(0, 0), 0u);
    EXPECT_EQ(CInstallEngine::ProgressPercent(1, 200), 1u);  // 0.5 rounds up
    EXPECT_EQ(CInstallEngine::ProgressPercent(1, 201), 0u);
    EXPECT_EQ(CInstallEngine::ProgressPercent(uint64_t(5) << 32, uint64_t(10) << 32), 50u);
    EXPECT_EQ(CInstallEngine::ProgressPercent(30, 20), 100u);
    EXPECT_EQ(CInstallEngine::ProgressBarWidth(489, 100), 489u);
    EXPECT_EQ(CInstallEngine::ProgressBarWidth(489, 50), 245u);
}
