// A cancelled or failed installation of a product over three discs leaves the machine as it was:
// files, folders, program group, registry entries, shared counts, and no record or registration.
#include "E2eSupport.h"
#include "libraries/build/SetupLayout.h"
#include "platform/Faults.h"
#include "uninstaller/MachineSnapshot.h"

#include <functional>

using namespace e2e;

namespace {

build::Product threeDiscProduct(Sources& sources) {
    build::Product p;
    p.name = "Stopped";
    p.version = "1";
    p.defaultDestination = "C:\\Stopped";
    p.useProgramGroup = true;
    p.defaultGroup = "Stopped";
    p.userKey = "Maker\\Stopped";
    p.components = {{.id = 1, .name = "One", .description = {}, .destination = "^SETUPPATH^\\one"},
                    {.id = 2, .name = "Two", .description = {}, .destination = "^SETUPPATH^\\two"}};
    for (int i = 0; i < 6; ++i) {
        const std::string name = "f" + std::to_string(i) + ".bin";
        auto& f = p.files.emplace_back(build::ProductFile{.componentId = uint32_t(i < 3 ? 1 : 2), .name = name,
                                                          .linkText = {}, .source = sources.add(name, randomBytes(20000, uint32_t(i)))});
        f.shared = i == 1;
        f.shortcut = i == 0;
        f.linkText = "Stopped";
    }
    p.registryEntries = {{1, 3, "Software\\Maker\\Stopped", "One", 1, "1"},
                         {2, 3, "Software\\Maker\\Stopped", "Two", 1, "2"}};
    return p;
}

}  // namespace

TEST(Cancel, CancelledOrFailedRunsLeaveTheMachineAsItWas) {
    Sources sources;
    const build::Product product = threeDiscProduct(sources);
    // Archives of about 45,000 bytes: six stored files of 20,000 bytes make three discs.
    const uint64_t capacity = 45000 + build::setupInfoSize(product) + build::layout::disclabel::Size;
    const Built built(product, capacity);
    ASSERT_EQ(built.result.archiveSizes.size(), 3u);

    struct Case {
        const char* name;
        int expected;
        std::function<void(SetupRun&)> script;
    };
    const auto disc = [&](SetupRun& run, int d) { run.ui.disc(uint16_t(d), run.machine.windowsPath(built.disc(d))); };
    const std::vector<Case> cases = {
        {"cancel before the first file", setup::result::Cancelled, [](SetupRun& run) { run.ui.cancelAtPass(0); }},
        {"cancel inside the second component", setup::result::Cancelled,
         [&](SetupRun& run) {
             disc(run, 2);
             run.ui.cancelAtPass(8);
         }},
        {"cancel at the second disc's prompt", setup::result::Cancelled,
         [](SetupRun& run) { run.ui.disc(2, std::nullopt); }},
        {"cancel at the third disc's prompt", setup::result::Cancelled,
         [&](SetupRun& run) {
             disc(run, 2);
             run.ui.disc(3, std::nullopt);
         }},
        {"second component's folder cannot be made", setup::result::Error,
         [&](SetupRun& run) {
             ASSERT_TRUE(platform::injectFault(run.machine, platform::FaultKind::CreateFolder, "C:\\Stopped\\two").ok());
             disc(run, 2);
             run.ui.message(setup::ids::FailedCreateFolder, setup::answer::Cancel, "C:\\Stopped\\two");
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetupRun run;
        const auto before = testing_support::snapshotMachine(run.machine);
        ASSERT_TRUE(run.prepare(built.disc(1)));
        run.ready();
        c.script(run);
        EXPECT_EQ(run.install(), c.expected);
        ASSERT_TRUE(platform::clearFaults(run.machine).ok());
        const auto after = testing_support::snapshotMachine(run.machine);
        EXPECT_EQ(testing_support::differences(before.files, after.files), std::vector<std::string>{});
        EXPECT_EQ(testing_support::differences(before.registry, after.registry), std::vector<std::string>{});
    }
}

// Files, a shortcut and registry values that were there before and that the run replaced are put
// back, bytes, type and time, when the run is cancelled at its first, a middle or its last file
// pass; a completed run leaves no kept copy behind, and a replaced file keeps its name's spelling.
TEST(Cancel, ReplacedFilesAndValuesArePutBack) {
    Sources sources;
    const build::Product product = threeDiscProduct(sources);
    const uint64_t capacity = 45000 + build::setupInfoSize(product) + build::layout::disclabel::Size;
    const Built built(product, capacity);
    const auto disc = [&](SetupRun& run, int d) { run.ui.disc(uint16_t(d), run.machine.windowsPath(built.disc(d))); };
    const std::string key = "Software\\Maker\\Stopped";
    const auto old = fs::file_time_type::clock::now() - std::chrono::hours(24 * 365 * 10);
    // Existing files, older than the product's; a value of another type; a shared count.
    const auto plant = [&](SetupRun& run) {
        platform::Files files(run.machine);
        platform::Registry reg(run.machine);
        for (const char* folder : {"C:\\Stopped", "C:\\Stopped\\one", "C:\\Stopped\\two", "C:\\Windows\\Start Menu\\Programs\\Stopped"})
            (void)files.createFolder(folder);
        // One spelt in other letter case than the setup spells it: replaced, it keeps its name.
        for (const char* path : {"C:\\Stopped\\one\\F1.Bin", "C:\\Stopped\\two\\f4.bin", "C:\\Windows\\Start Menu\\Programs\\Stopped\\Stopped.lnk"}) {
            const fs::path host = *run.machine.hostPath(path);
            testing_support::writeFile(host, std::string("the original of ") + path);
            fs::last_write_time(host, old);
        }
        ASSERT_TRUE(reg.createKey(platform::RegRoot::LocalMachine, key).ok());
        ASSERT_TRUE(reg.setDword(platform::RegRoot::LocalMachine, key, "One", 7).ok());
        ASSERT_TRUE(reg.setString(platform::RegRoot::LocalMachine, key, "Two", "old", platform::regtype::ExpandSz).ok());
        ASSERT_TRUE(reg.createKey(platform::RegRoot::LocalMachine, std::string(setup::SharedDllsKey)).ok());
        ASSERT_TRUE(reg.setDword(platform::RegRoot::LocalMachine, std::string(setup::SharedDllsKey), "C:\\Stopped\\one\\f1.bin", 1).ok());
    };
    struct Case {
        const char* name;
        int pass;  // file passes: 0-5 the first component (f0-f2 at 0-2), 6-11 the second (f3-f5 at 6-8)
    };
    for (const Case& c : {Case{"first file pass", 0}, Case{"a middle pass, first component done", 7},
                          Case{"last file pass", 8}}) {
        SCOPED_TRACE(c.name);
        SetupRun run;
        plant(run);
        const auto before = testing_support::snapshotMachine(run.machine);
        ASSERT_TRUE(run.prepare(built.disc(1)));
        run.ready();
        if (c.pass > 5) disc(run, 2);
        run.ui.cancelAtPass(c.pass);
        EXPECT_EQ(run.install(), setup::result::Cancelled);
        EXPECT_TRUE(run.ui.done());
        const auto after = testing_support::snapshotMachine(run.machine);
        EXPECT_EQ(testing_support::differences(before.files, after.files), std::vector<std::string>{});
        EXPECT_EQ(testing_support::differences(before.registry, after.registry), std::vector<std::string>{});
        for (const char* path : {"C:\\Stopped\\one\\f1.bin", "C:\\Stopped\\two\\f4.bin"})
            EXPECT_EQ(fs::last_write_time(*run.machine.hostPath(path)), old) << path;
        platform::Registry reg(run.machine);
        EXPECT_EQ(reg.queryValue(platform::RegRoot::LocalMachine, key, "Two")->type, platform::regtype::ExpandSz);
    }

    SetupRun run;
    const auto temp = [&] { return platform::Files(run.machine).entries("C:\\Windows\\Temp").valueOr({}); };
    const auto tempBefore = temp();
    ASSERT_TRUE(run.prepare(built.disc(1)));
    run.ready();
    disc(run, 2);
    disc(run, 3);
    EXPECT_EQ(run.install(), setup::result::Complete);
    EXPECT_EQ(testing_support::readFile(run.machine.root() / "drive_c/Stopped/one/F1.Bin"), sources.content("f1.bin"));
    EXPECT_EQ(temp(), tempBefore);
}

// A write that the registry or the file system refuses ends in a box naming what was not written,
// and the run is rolled back: the machine is as it was, with no record and no registration.
TEST(Cancel, RefusedWritesEndInABoxNamingThemAndTheRunIsRolledBack) {
    using platform::FaultKind;
    const std::string hklmKey = "HKEY_LOCAL_MACHINE\\Software\\Maker\\Stopped";
    const std::string shared = "HKEY_LOCAL_MACHINE\\" + std::string(setup::SharedDllsKey);
    const std::string link = "C:\\Windows\\Start Menu\\Programs\\Stopped\\Stopped.lnk";
    struct Case {
        const char* name;
        std::function<void(build::Product&)> change;  // the product, where the case needs its own
        bool keyThere;                                // the entries' key exists before the run
        FaultKind kind;
        std::string target;
        std::string caption, text;  // the box
    };
    const std::vector<Case> cases = {
        {"a key", {}, false, FaultKind::RegistryWrite, hklmKey, hklmKey, "Access is denied"},
        {"a value name that a variable ends with a line break",
         [](build::Product& p) {
             p.variables.push_back({"SUFFIX", "a\nb"});
             p.registryEntries[1].valueName = "Two^SUFFIX^";
         },
         false, FaultKind::RegistryWrite, "", hklmKey + "\\Twoa\nb", "parameter is incorrect"},
        {"a shared count",
         {},
         false,
         FaultKind::RegistryWrite,
         shared,
         shared + "\\C:\\Stopped\\one\\f1.bin",
         "Access is denied"},
        {"the user's values",
         {},
         false,
         FaultKind::RegistryWrite,
         "HKEY_CURRENT_USER\\Software\\Maker\\Stopped",
         "HKEY_CURRENT_USER\\Software\\Maker\\Stopped",
         "Access is denied"},
        {"a link", {}, false, FaultKind::OpenFile, link, link, "Access is denied"},
        {"the product's registration",
         {},
         false,
         FaultKind::RegistryWrite,
         "HKEY_LOCAL_MACHINE\\" + std::string(setup::UninstallKeyPrefix) + "Stopped 1",
         "HKEY_LOCAL_MACHINE\\" + std::string(setup::UninstallKeyPrefix) + "Stopped 1",
         "Access is denied"},
        // Last: the key it makes stays on the machine that the cases share.
        {"a value", {}, true, FaultKind::RegistryWrite, hklmKey, hklmKey + "\\One", "Access is denied"},
    };
    Sources sources;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        build::Product product = threeDiscProduct(sources);
        if (c.change) c.change(product);
        const Built built(product, 0);
        SetupRun run;
        if (c.keyThere) {
            ASSERT_TRUE(platform::Registry(run.machine)
                            .createKey(platform::RegRoot::LocalMachine, "Software\\Maker\\Stopped")
                            .ok());
        }
        const auto before = testing_support::snapshotMachine(run.machine);
        ASSERT_TRUE(run.prepare(built.disc(1)));
        run.ready();
        if (!c.target.empty()) {
            ASSERT_TRUE(platform::injectFault(run.machine, c.kind, c.target).ok());
        }
        run.ui.systemError(c.caption, c.text);
        EXPECT_EQ(run.install(), setup::result::Error);
        EXPECT_TRUE(run.ui.done());
        ASSERT_TRUE(platform::clearFaults(run.machine).ok());
        const auto after = testing_support::snapshotMachine(run.machine);
        EXPECT_EQ(testing_support::differences(before.files, after.files), std::vector<std::string>{});
        EXPECT_EQ(testing_support::differences(before.registry, after.registry), std::vector<std::string>{});
    }
}
