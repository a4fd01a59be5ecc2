// The creating operations one by one: replace test, logged folders, keys, program group,
// shortcuts, registry entries, names that would leave their folder, paths that do not fit, and
// the uninstall record with its registration.
#include "InstallerTestSupport.h"
#include "installer/logic/StringTable.h"
#include "platform/Faults.h"
#include "platform/Files.h"
#include "platform/Registry.h"
#include "support/PeImage.h"
#include "support/TempFolder.h"

using namespace setup;
using namespace setup_test;
using platform::RegRoot;

namespace {

struct Writers : ::testing::Test {
    SetupRun run;
    CSetupApp& app = *run.app;
    platform::Files files{run.machine};
    platform::Registry registry{run.machine};

    void SetUp() override {
        app.setupInfo = SetupInfo{};
        app.info().header.productName = "Tool";
        app.info().header.version = "1.0";
        app.info().files.push_back(FileRecord{});
        app.info().files[0].time = kFileTime;
        ASSERT_TRUE(app.BuildVariableTable());
    }
    void put(const std::string& path, std::string_view bytes, uint64_t time = kFileTime) {
        auto host = run.machine.hostPath(path);
        ASSERT_TRUE(host);
        std::filesystem::create_directories(host->parent_path());
        testing_support::writeFile(*host, bytes);
        platform::FileTime t{time};
        ASSERT_TRUE(files.setTimes(path, {t, t, t}));
    }
    std::vector<std::string> logged() {
        std::vector<std::string> out;
        for (const auto& e : app.changeLog.entries)
            out.push_back(std::to_string(e.type) + " " + e.name + (e.value.empty() ? "" : " | " + e.value));
        return out;
    }
};

std::string pe(uint32_t ms, uint32_t ls) { return testing_support::makePeImage(testing_support::PeVersionFields{ms, ls, 0, 0}); }

}  // namespace

TEST_F(Writers, ReplaceTestByVersionThenByTime) {
    struct Case {
        const char* what;
        std::string newFile;
        std::optional<std::string> existing;
        int64_t existingAge;  // existing file's time minus the record's, in ticks
        bool replace;
    };
    const std::string noVersion = "plain bytes";
    const std::vector<Case> cases{
        {"no destination", noVersion, std::nullopt, 0, true},
        {"higher version, older time", pe(2, 0), pe(1, 9), +100, true},
        {"lower version, newer time", pe(1, 0), pe(1, 1), -100, false},
        {"same version, record later", pe(1, 1), pe(1, 1), -1, true},
        {"same version, equal time", pe(1, 1), pe(1, 1), 0, false},
        {"only the destination has a version", noVersion, pe(9, 9), -1, true},
        {"no versions, existing newer", noVersion, noVersion, +1, false},
    };
    for (const auto& c : cases) {
        const std::string temp = "C:\\Windows\\Temp\\new.tmp", dest = "C:\\Dest\\file.dll";
        put(temp, c.newFile);
        (void)files.remove(dest);
        if (c.existing) put(dest, *c.existing, uint64_t(int64_t(kFileTime) + c.existingAge));
        EXPECT_EQ(app.ShouldReplaceFile(temp, dest, 0), c.replace) << c.what;
    }
}

TEST_F(Writers, HexPairsDecodeEitherCase) {
    EXPECT_EQ(CSetupApp::HexPairToByte("0a"), 0x0A);
    EXPECT_EQ(CSetupApp::HexPairToByte("FF"), 0xFF);
    EXPECT_EQ(CSetupApp::HexPairToByte("1B"), 0x1B);
    EXPECT_EQ(CSetupApp::HexPairToByte("90"), 0x90);
}

TEST_F(Writers, FolderLevelsAreLoggedOnceAndBlockedLevelsRetried) {
    put("C:\\Apps\\Blocker", "a file where a folder is wanted");
    run.ui.onEvent = [&](const std::string&) { (void)files.remove("C:\\Apps\\Blocker"); };
    run.ui.message(ids::FailedCreateFolder, answer::Retry, "C:\\Apps\\Blocker");
    EXPECT_TRUE(app.CreateFolderPath("C:\\Apps\\Blocker\\Deep\\"));  // a closing backslash names the same folder
    EXPECT_TRUE(files.isFolder("C:\\Apps\\Blocker\\Deep"));
    EXPECT_EQ(logged(), (std::vector<std::string>{"1 C:\\Apps\\Blocker", "1 C:\\Apps\\Blocker\\Deep"}));

    EXPECT_TRUE(app.CreateFolderPath("C:\\Apps\\Blocker\\Deep"));  // there already: nothing asked or logged
    EXPECT_TRUE(app.CreateFolderPath("C:\\"));
    EXPECT_EQ(app.changeLog.entries.size(), 2u);

    // A folder that names no drive would be made wherever the program happens to run.
    run.ui.systemError("^PROGRAMFILESDIR^\\Tools", "path is invalid");
    EXPECT_FALSE(app.CreateFolderPath("^PROGRAMFILESDIR^\\Tools"));
    run.ui.message(ids::FailedCreateFolder, answer::Cancel, "C:\\Apps\\File");
    put("C:\\Apps\\File", "x");
    EXPECT_FALSE(app.CreateFolderPath("C:\\Apps\\File\\Below"));
}

TEST_F(Writers, OnlyNewKeyLevelsAreLogged) {
    EXPECT_TRUE(app.CreateRegistryKeyPath(RegRoot::CurrentUser, "Software\\A\\B"));
    EXPECT_TRUE(app.CreateRegistryKeyPath(RegRoot::Users, ".DEFAULT\\Software\\X"));
    EXPECT_EQ(logged(), (std::vector<std::string>{"3 Software\\A", "3 Software\\A\\B", "5 .DEFAULT\\Software\\X"}));
    EXPECT_TRUE(*registry.keyExists(RegRoot::CurrentUser, "Software\\A\\B"));
}

TEST_F(Writers, TestModeCreatesAndLogsNothing) {
    app.testMode = true;
    app.programGroupName = "Tool";
    auto before = snapshot(run.machine);
    EXPECT_TRUE(app.CreateFolderPath("C:\\Apps\\New"));
    EXPECT_TRUE(app.CreateProgramGroup());
    EXPECT_TRUE(app.CreateRegistryKeyPath(RegRoot::LocalMachine, "Software\\New"));
    EXPECT_TRUE(app.CopyInstalledFile("C:\\nowhere", "C:\\Apps\\New\\x", 1));
    EXPECT_EQ(app.CreateShortcut("C:\\Apps", "C:\\Apps\\x", "X"), 0u);
    app.RaiseSharedCount("C:\\Apps\\x");
    EXPECT_FALSE(app.AddLogEntry(0, "C:\\x", ""));
    EXPECT_TRUE(app.LoadUninstallRecord());
    EXPECT_TRUE(app.WriteUninstallRecord());
    EXPECT_EQ(snapshot(run.machine), before);
    EXPECT_TRUE(app.changeLog.entries.empty());
    EXPECT_TRUE(app.programGroupFolder.empty());
}

TEST_F(Writers, ProgramGroupStaysInsidePrograms) {
    for (const char* name : {"..", "..\\..\\Windows", "Outer\\..\\..\\x", "\\Lead", "C:x", "/etc", ""}) {
        app.programGroupName = name;
        run.ui.message(ids::FailedCreateProgramGroup, answer::Ok, name);
        EXPECT_FALSE(app.CreateProgramGroup()) << name;
    }
    EXPECT_TRUE(app.changeLog.entries.empty());

    const std::string programs = run.machine.programsFolder();
    ASSERT_TRUE(platform::injectFault(run.machine, platform::FaultKind::CreateFolder, programs + "\\Tool", 5, 1));
    app.programGroupName = "Tool";
    run.ui.message(ids::FailedCreateProgramGroup, answer::Retry, "Tool");
    EXPECT_TRUE(app.CreateProgramGroup());
    EXPECT_EQ(app.programGroupFolder, programs + "\\Tool");
    app.changeLog.Clear();
    EXPECT_TRUE(app.CreateProgramGroup());  // there already: used as it is, not logged
    EXPECT_TRUE(app.changeLog.entries.empty());

    // A nested group needs its outer folder: asked for with Retry and Cancel until it is there.
    app.programGroupName = "Outer\\Inner";
    run.ui.message(ids::FailedCreateProgramGroup, answer::Cancel, "Outer\\Inner");
    EXPECT_FALSE(app.CreateProgramGroup());
    ASSERT_TRUE(files.createFolder(programs + "\\Outer"));
    EXPECT_TRUE(app.CreateProgramGroup());
    EXPECT_EQ(app.programGroupFolder, programs + "\\Outer\\Inner");
    EXPECT_TRUE(files.isFolder(programs + "\\Outer\\Inner"));
}

TEST_F(Writers, ShortcutTextsCannotLeaveTheGroupAndNeedAGroup) {
    EXPECT_NE(app.CreateShortcut("C:\\Apps", "C:\\Apps\\x.exe", "X"), 0u);  // no group: no link anywhere
    app.programGroupName = "Tool";
    ASSERT_TRUE(app.CreateProgramGroup());
    run.ui.systemError("..\\..\\Evil", "syntax is incorrect");
    EXPECT_NE(app.CreateShortcut("C:\\Apps", "C:\\Apps\\x.exe", "..\\..\\Evil"), 0u);
    EXPECT_FALSE(files.exists(run.machine.programsFolder() + "\\..\\..\\Evil.lnk"));
    EXPECT_EQ(app.CreateShortcut("C:\\Apps", "C:\\Apps\\x.exe", "X"), 0u);
    EXPECT_EQ(app.CreateShortcut("C:\\Apps", "C:\\Apps\\x.exe", "x"), 0u);  // logged once: names ignore case
    EXPECT_EQ(logged(), (std::vector<std::string>{"1 " + app.programGroupFolder, "0 " + app.programGroupFolder + "\\X.lnk"}));
}

TEST_F(Writers, PathsThatDoNotFitAreRefusedNotCut) {
    const std::string longPath = "C:\\" + std::string(250, 'd') + "\\file.txt";
    put("C:\\Windows\\Temp\\new.tmp", "x");
    run.ui.systemError(longPath, "too long");
    EXPECT_FALSE(app.CopyInstalledFile("C:\\Windows\\Temp\\new.tmp", longPath, 1));
    EXPECT_TRUE(app.changeLog.entries.empty());
    EXPECT_FALSE(files.exists(longPath.substr(0, 253)));
}

TEST_F(Writers, RegistryEntriesStopAtABadRootAndSkipUndefinedData) {
    auto& entries = app.info().registryEntries;
    entries = {RegistryEntry{1, 2, "Software\\R", "Short", 4, "0x2A"},
               RegistryEntry{1, 2, "Software\\R", "Odd", 20, "01"},
               RegistryEntry{1, 2, "Software\\R", "Text", 1, "^PRODUCTNAME^ data"},
               RegistryEntry{2, 2, "Software\\Other", "A", 1, "a"},
               RegistryEntry{1, 9, "Software\\R", "Bad", 1, "x"},
               RegistryEntry{1, 2, "Software\\R", "After", 1, "x"}};
    EXPECT_TRUE(app.WriteRegistryEntries(1));
    auto values = registry.values(RegRoot::CurrentUser, "Software\\R");
    ASSERT_TRUE(values);
    ASSERT_EQ(values->size(), 1u);
    EXPECT_EQ((*values)[0].name, "Text");
    EXPECT_EQ(std::string((*values)[0].data.begin(), (*values)[0].data.end()), std::string("Tool data\0", 10));
    EXPECT_FALSE(*registry.keyExists(RegRoot::CurrentUser, "Software\\Other"));
}

TEST_F(Writers, ValuesThatExistedAreNotLoggedAndSharedCountsGrow) {
    ASSERT_TRUE(registry.createKey(RegRoot::CurrentUser, "Software\\R"));
    ASSERT_TRUE(registry.setString(RegRoot::CurrentUser, "Software\\R", "Old", "before"));
    app.info().registryEntries = {RegistryEntry{1, 2, "Software\\R", "Old", 1, "new"},
                                  RegistryEntry{1, 2, "Software\\R", "New", 1, "one"},
                                  RegistryEntry{1, 2, "Software\\R", "new", 1, "two"}};
    app.WriteRegistryEntries(1);
    EXPECT_EQ(logged(), (std::vector<std::string>{"3 Software\\R | New"}));

    // The shared count survives a missing SharedDLLs key.
    ASSERT_TRUE(registry.deleteKey(RegRoot::LocalMachine, SharedDllsKey));
    app.RaiseSharedCount("C:\\Apps\\shared.dll");
    app.RaiseSharedCount("C:\\Apps\\shared.dll");
    auto count = registry.queryValue(RegRoot::LocalMachine, SharedDllsKey, "C:\\Apps\\shared.dll");
    ASSERT_TRUE(count);
    EXPECT_EQ(count->data, (std::vector<uint8_t>{2, 0, 0, 0}));
}

TEST_F(Writers, AComponentsRegistryIsWrittenWholeOrNotAndTheRollbackLowersOnlyRaisedCounts) {
    // Another product uses the shared file already.
    ASSERT_TRUE(registry.setDword(RegRoot::LocalMachine, SharedDllsKey, "C:\\Apps\\shared.dll", 1));
    app.info().registryEntries = {RegistryEntry{1, 2, "Software\\R", "New", 1, "one"},
                                  RegistryEntry{1, 1, ".r", "", 1, "R.File"}};
    const std::vector<std::string> shared{"C:\\Apps\\shared.dll", "C:\\Apps\\new.dll"};
    auto count = [&](const char* path) -> std::optional<uint8_t> {
        auto v = registry.queryValue(RegRoot::LocalMachine, SharedDllsKey, path);
        if (!v) return std::nullopt;
        return v->data.at(0);
    };

    // The hive of the counts cannot be written: nothing of the component is counted, and the
    // rollback leaves the other product's count alone.
    ASSERT_TRUE(platform::injectFault(run.machine, platform::FaultKind::RegistryWrite, "HKEY_LOCAL_MACHINE",
                                      platform::err::DiskFull, 1));
    run.ui.systemError("An error has occurred.", "not enough space");
    EXPECT_FALSE(app.WriteComponentRegistry(1, shared));
    EXPECT_EQ(count("C:\\Apps\\shared.dll"), 1);
    EXPECT_EQ(count("C:\\Apps\\new.dll"), std::nullopt);
    app.RollBackInstallation();
    EXPECT_EQ(count("C:\\Apps\\shared.dll"), 1);
    EXPECT_FALSE(registry.queryValue(RegRoot::CurrentUser, "Software\\R", "New"));

    // Written whole, and rolled back whole.
    EXPECT_TRUE(app.WriteComponentRegistry(1, shared));
    EXPECT_EQ(count("C:\\Apps\\shared.dll"), 2);
    EXPECT_EQ(count("C:\\Apps\\new.dll"), 1);
    EXPECT_TRUE(registry.queryValue(RegRoot::CurrentUser, "Software\\R", "New"));
    EXPECT_TRUE(registry.queryValue(RegRoot::ClassesRoot, ".r", ""));
    app.RollBackInstallation();
    EXPECT_EQ(count("C:\\Apps\\shared.dll"), 1);
    EXPECT_EQ(count("C:\\Apps\\new.dll"), std::nullopt);
    EXPECT_FALSE(*registry.keyExists(RegRoot::CurrentUser, "Software\\R"));
    EXPECT_FALSE(*registry.keyExists(RegRoot::ClassesRoot, ".r"));
    EXPECT_TRUE(run.ui.done());
}

TEST_F(Writers, RecordNameComesFromTheProductAndMustStayInTheWindowsFolder) {
    app.info().header.productName = "My Tool";
    app.info().header.version = "2.0.1";
    ASSERT_TRUE(app.BuildVariableTable());
    ASSERT_TRUE(app.LoadUninstallRecord());
    EXPECT_EQ(app.uninstallRecordPath, "C:\\Windows\\UninstMyTool201.RUX");
    EXPECT_EQ(app.DisplayName(), "My Tool 2.0.1");

    for (const char* name : {"a\\..\\..\\b", "C:x", "a/b"}) {
        app.info().header.productName = name;
        ASSERT_TRUE(app.BuildVariableTable());
        run.ui.systemError(std::string(name) + " 2.0.1", "syntax is incorrect");
        EXPECT_FALSE(app.LoadUninstallRecord()) << name;
    }
}

TEST_F(Writers, EarlierRecordIsTakenAsItStandsRepeatsIncluded) {
    ASSERT_TRUE(app.LoadUninstallRecord());
    const std::vector<UninstallEntry> earlier{{0, "C:\\Apps\\a", ""}, {1, "C:\\Apps", ""}, {0, "C:\\Apps\\a", ""}};
    auto bytes = EncodeUninstallRecord(app.DisplayName(), earlier);
    testing_support::writeFile(*run.machine.hostPath(app.uninstallRecordPath),
                               std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    app.changeLog.Clear();
    ASSERT_TRUE(app.LoadUninstallRecord());
    EXPECT_EQ(app.changeLog.entries, earlier);
    app.AddLogEntry(0, "C:\\Apps\\b", "");
    ASSERT_TRUE(app.WriteUninstallRecord());
    auto record = DecodeUninstallRecord(testing_support::readBytes(*run.machine.hostPath(app.uninstallRecordPath)));
    ASSERT_TRUE(record);
    ASSERT_EQ(record->entries.size(), 4u);
    EXPECT_EQ(record->entries.back().name, "C:\\Apps\\b");
}

TEST_F(Writers, UninstallKeyOnlyAfterTheRecordWasWritten) {
    ASSERT_TRUE(app.LoadUninstallRecord());
    app.AddLogEntry(0, "C:\\Apps\\x", "");
    ASSERT_TRUE(platform::injectFault(run.machine, platform::FaultKind::OpenFile, app.uninstallRecordPath));
    run.ui.systemError(app.uninstallRecordPath, "Access is denied");
    EXPECT_FALSE(app.WriteUninstallRecord());
    EXPECT_FALSE(*registry.keyExists(RegRoot::LocalMachine, std::string(UninstallKeyPrefix) + "Tool 1.0"));
    EXPECT_FALSE(files.exists(app.uninstallRecordPath));

    ASSERT_TRUE(platform::clearFaults(run.machine));
    EXPECT_TRUE(app.WriteUninstallRecord());
    EXPECT_TRUE(*registry.keyExists(RegRoot::LocalMachine, std::string(UninstallKeyPrefix) + "Tool 1.0"));
}

TEST_F(Writers, UserNameIsStoredEvenEmptyCompanyOnlyWhenGiven) {
    app.setupInfo->wizard.programGroup = 0;
    app.componentSelection.clear();
    app.userKey = "Software\\Maker";
    app.userName = "";
    app.company = "";
    run.ui.message(ids::ReadyToInstall, answer::Yes);
    EXPECT_EQ(app.StartInstallation(), 0);
    auto user = registry.queryValue(RegRoot::CurrentUser, "Software\\Maker", "User");
    ASSERT_TRUE(user);
    EXPECT_EQ(user->data, (std::vector<uint8_t>{0}));
    EXPECT_FALSE(registry.queryValue(RegRoot::CurrentUser, "Software\\Maker", "Company"));
}

TEST(UninstallRecordBytes, DecodingRefusesDamagedRecords) {
    const std::vector<UninstallEntry> entries{{0, "C:\\a", ""}, {3, "Software\\X", "V"}};
    const auto good = EncodeUninstallRecord("Tool 1.0", entries);
    ASSERT_EQ(good.size(), 4 + 9 + 4 + 2 * 521u);
    auto decoded = DecodeUninstallRecord(good);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->displayName, "Tool 1.0");
    EXPECT_EQ(decoded->entries, entries);

    auto damage = [&](auto change) {
        auto b = good;
        change(b);
        return DecodeUninstallRecord(b).has_value();
    };
    EXPECT_FALSE(damage([](auto& b) { b.pop_back(); }));
    EXPECT_FALSE(damage([](auto& b) { b.push_back(0); }));
    EXPECT_FALSE(damage([](auto& b) { b[0] = 200; }));                          // name length past the end
    EXPECT_FALSE(damage([](auto& b) { b[4 + 8] = 'x'; }));                      // name without its NUL
    EXPECT_FALSE(damage([](auto& b) { b[13] = 0xFF; }));                        // huge count
    EXPECT_FALSE(damage([](auto& b) { b[17] = 6; }));                           // unknown type
    EXPECT_FALSE(damage([](auto& b) { std::fill(b.begin() + 18, b.begin() + 278, 'n'); }));  // name unterminated
    EXPECT_FALSE(DecodeUninstallRecord(std::vector<uint8_t>{}).has_value());
}
