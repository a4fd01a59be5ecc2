// A product built by the writer, installed by Setup's logic, installed again, tried in test mode,
// and removed by the uninstaller program through the command line that Setup registered.
#include "E2eSupport.h"
#include "libraries/uninstaller/UninstallRecord.h"
#include "platform/Process.h"
#include "platform/Registry.h"
#include "platform/ShellLink.h"
#include "uninstaller/MachineSnapshot.h"

using namespace e2e;
using platform::RegRoot;

namespace {

const std::string Dest = "C:\\Program Files\\My Tool";
const std::string RecordPath = "C:\\Windows\\UninstMyTool201.RUX";
const std::string UninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\My Tool 2.0.1";
const std::string SharedKey = "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
const std::string ToolKey = "Software\\Maker\\My Tool";

struct Fixture {
    Sources sources;
    build::Product product;

    Fixture() {
        auto& p = product;
        p.name = "My Tool";
        p.version = "2.0.1";
        p.defaultDestination = "^PROGRAMFILESDIR^\\My Tool";
        p.useProgramGroup = true;
        p.defaultGroup = "My Tool";
        p.userKey = "Maker\\^PRODUCTNAME^";
        p.components = {{.id = 1, .name = "Main", .destination = "^SETUPPATH^"},
                        {.id = 2, .parentId = 1, .name = "Docs", .destination = "^SETUPPATH^\\Docs"},
                        {.id = 3, .name = "Shared", .destination = "^WINDOWSSYSTEMDIR^"}};
        auto file = [&](uint32_t component, std::string name, std::string content) -> build::ProductFile& {
            p.files.push_back({.componentId = component, .name = name, .source = sources.add(name, content)});
            return p.files.back();
        };
        auto& exe = file(1, "tool.exe", "MZ not really a program " + randomBytes(3000, 1));
        exe.shortcut = true;
        exe.linkText = "^PRODUCTNAME^";
        file(1, "data\\table.bin", randomBytes(150000, 2));
        file(1, "empty.txt", "");
        file(2, "readme.txt", std::string(20000, 'r')).readme = true;
        file(3, "rux.dll", "shared library " + randomBytes(500, 3)).shared = true;

        auto reg = [&](uint8_t root, std::string key, std::string name, uint8_t type, std::string data) {
            p.registryEntries.push_back({1, root, std::move(key), std::move(name), type, std::move(data)});
        };
        const auto hex = [](std::vector<uint8_t> b) { return build::encodeBinaryData(b); };
        reg(3, ToolKey, "", 1, "^PRODUCTNAME^");
        reg(3, ToolKey, "Path", 2, "^SETUPPATH^\\x");
        reg(3, ToolKey, "None", 0, "");
        reg(3, ToolKey, "Bin", 3, "0a,1b,ff");
        reg(3, ToolKey, "Num", 4, "0x0000002A");
        reg(3, ToolKey, "Big", 5, "0x0000002A");
        reg(3, ToolKey, "Link", 6, hex({1, 2}));
        reg(3, ToolKey, "Multi", 7, hex({'a', 0, 'b', 0, 0}));
        reg(3, ToolKey, "Res", 8, hex({8}));
        reg(3, ToolKey, "Full", 9, hex({9, 9}));
        reg(3, ToolKey, "Req", 10, hex({10}));
        reg(3, ToolKey, "Raw", 255, std::string("\0raw", 4));
        reg(3, ToolKey, "Path", 2, "^SETUPPATH^\\x");  // set twice, logged once
        reg(1, ".mytool", "", 1, "MyTool.File");
        reg(4, ".DEFAULT\\Software\\Maker", "X", 4, "0x00000001");
    }
};

std::vector<uint8_t> bytes(std::string_view s) { return {s.begin(), s.end()}; }
std::vector<uint8_t> withNul(std::string_view s) {
    auto b = bytes(s);
    b.push_back(0);
    return b;
}

void expectValue(platform::Registry& reg, RegRoot root, const std::string& key, const std::string& name,
                 uint32_t type, const std::vector<uint8_t>& data) {
    auto v = reg.queryValue(root, key, name);
    ASSERT_TRUE(v.ok()) << key << "\\" << name;
    EXPECT_EQ(v->type, type) << key << "\\" << name;
    EXPECT_EQ(v->data, data) << key << "\\" << name;
}

std::string host(const SetupRun& run, const std::string& path) { return run.machine.hostPath(path)->string(); }

}  // namespace

TEST(Install, InstallsEverythingAndRecordsItOnce) {
    Fixture f;
    Built built(f.product);
    SetupRun run;
    ASSERT_TRUE(run.prepare(built.disc(1)));
    ASSERT_EQ(run.install(), setup::result::Complete);
    const std::string group = run.machine.programsFolder() + "\\My Tool";
    platform::Files files(run.machine);
    platform::Registry reg(run.machine);

    // Files byte for byte, with their times.
    const std::vector<std::pair<std::string, std::string>> installed = {
        {Dest + "\\tool.exe", "tool.exe"}, {Dest + "\\data\\table.bin", "data\\table.bin"},
        {Dest + "\\empty.txt", "empty.txt"}, {Dest + "\\Docs\\readme.txt", "readme.txt"},
        {"C:\\Windows\\System32\\rux.dll", "rux.dll"}};
    for (size_t i = 0; i < installed.size(); ++i) {
        const auto& [path, name] = installed[i];
        EXPECT_EQ(testing_support::readFile(host(run, path)), f.sources.content(name)) << path;
        auto times = files.times(path);
        ASSERT_TRUE(times.ok()) << path;
        const auto& source = std::find_if(f.product.files.begin(), f.product.files.end(),
                                          [&](const auto& pf) { return pf.name == name; })->source;
        EXPECT_EQ(times->lastWrite.ticks, build::fileTimeOf(source)) << path;
    }
    EXPECT_EQ(run.app->readmePath, Dest + "\\Docs\\readme.txt");

    // Registry values of every type, decoded from their data texts.
    expectValue(reg, RegRoot::LocalMachine, ToolKey, "", 1, withNul("My Tool"));
    expectValue(reg, RegRoot::LocalMachine, ToolKey, "Path", 2, withNul(Dest + "\\x"));
    expectValue(reg, RegRoot::LocalMachine, ToolKey, "None", 0, {});
    expectValue(reg, RegRoot::LocalMachine, ToolKey, "Bin", 3, {0x0a, 0x1b, 0xff});
    expectValue(reg, RegRoot::LocalMachine, ToolKey, "Num", 4, {42, 0, 0, 0});
    expectValue(reg, RegRoot::LocalMachine, ToolKey, "Big", 5, {0, 0, 0, 42});
    expectValue(reg, RegRoot::LocalMachine, ToolKey, "Link", 6, {1, 2});
    expectValue(reg, RegRoot::LocalMachine, ToolKey, "Multi", 7, {'a', 0, 'b', 0, 0});
    expectValue(reg, RegRoot::LocalMachine, ToolKey, "Res", 8, {8});
    expectValue(reg, RegRoot::LocalMachine, ToolKey, "Full", 9, {9, 9});
    expectValue(reg, RegRoot::LocalMachine, ToolKey, "Req", 10, {10});
    expectValue(reg, RegRoot::LocalMachine, ToolKey, "Raw", 255, {0, 'r', 'a', 'w'});
    expectValue(reg, RegRoot::ClassesRoot, ".mytool", "", 1, withNul("MyTool.File"));
    expectValue(reg, RegRoot::Users, ".DEFAULT\\Software\\Maker", "X", 4, {1, 0, 0, 0});
    expectValue(reg, RegRoot::CurrentUser, "Software\\Maker\\My Tool", "User", 1, withNul("Ann"));
    expectValue(reg, RegRoot::CurrentUser, "Software\\Maker\\My Tool", "Company", 1, withNul("Maker Ltd"));

    // The shortcut, the shared count and the registration.
    auto link = platform::readShellLink(run.machine, group + "\\My Tool.lnk");
    ASSERT_TRUE(link.ok());
    EXPECT_EQ(link->target, Dest + "\\tool.exe");
    EXPECT_EQ(link->workingFolder, Dest);
    EXPECT_EQ(link->description, "My Tool");
    expectValue(reg, RegRoot::LocalMachine, SharedKey, "C:\\Windows\\System32\\rux.dll", 4, {1, 0, 0, 0});
    expectValue(reg, RegRoot::LocalMachine, UninstallKey, "DisplayName", 1, withNul("My Tool 2.0.1"));
    expectValue(reg, RegRoot::LocalMachine, UninstallKey, "UninstallString", 1,
                withNul("C:\\Windows\\RUXUninst " + RecordPath));

    // The record, byte by byte: what was created, in the order it was created, parents first.
    const uninstaller::UninstallRecord expected{
        "My Tool 2.0.1",
        {{1, group, ""},
         {1, Dest, ""},
         {0, Dest + "\\tool.exe", ""},
         {0, group + "\\My Tool.lnk", ""},
         {1, Dest + "\\data", ""},
         {0, Dest + "\\data\\table.bin", ""},
         {0, Dest + "\\empty.txt", ""},
         {4, "Software\\Maker", ""},
         {4, ToolKey, ""},
         {4, ToolKey, "Path"},
         {4, ToolKey, "None"},
         {4, ToolKey, "Bin"},
         {4, ToolKey, "Num"},
         {4, ToolKey, "Big"},
         {4, ToolKey, "Link"},
         {4, ToolKey, "Multi"},
         {4, ToolKey, "Res"},
         {4, ToolKey, "Full"},
         {4, ToolKey, "Req"},
         {4, ToolKey, "Raw"},
         {2, ".mytool", ""},
         {5, ".DEFAULT\\Software\\Maker", ""},
         {5, ".DEFAULT\\Software\\Maker", "X"},
         {1, Dest + "\\Docs", ""},
         {0, Dest + "\\Docs\\readme.txt", ""},
         {0, "C:\\Windows\\System32\\rux.dll", ""},
         {3, "Software\\Maker", ""},
         {3, "Software\\Maker\\My Tool", ""},
         {3, "Software\\Maker\\My Tool", "User"},
         {3, "Software\\Maker\\My Tool", "Company"}}};
    const auto record = testing_support::readBytes(host(run, RecordPath));
    std::string why;
    auto parsed = uninstaller::parseUninstallRecord(record, why);
    ASSERT_TRUE(parsed.has_value()) << why;
    std::vector<std::string> got, want;
    for (const auto& e : parsed->entries) got.push_back(std::to_string(e.type) + " " + e.name + " [" + e.value + "]");
    for (const auto& e : expected.entries) want.push_back(std::to_string(e.type) + " " + e.name + " [" + e.value + "]");
    EXPECT_EQ(got, want);
    EXPECT_EQ(record, uninstaller::encodeUninstallRecord(expected));

    // A second installation adds no entry twice and counts the shared file again.
    SetupRun again;
    ASSERT_TRUE(again.prepare(built.disc(1)));
    ASSERT_EQ(again.install(), setup::result::Complete);
    EXPECT_EQ(testing_support::readBytes(host(run, RecordPath)), record);
    expectValue(reg, RegRoot::LocalMachine, SharedKey, "C:\\Windows\\System32\\rux.dll", 4, {2, 0, 0, 0});
}

TEST(Install, TestModeDecompressesEveryChosenFileAndChangesNothing) {
    Fixture f;
    Built built(f.product);
    SetupRun run;
    const auto before = testing_support::snapshotMachine(run.machine);
    ASSERT_TRUE(run.prepare(built.disc(1), {"Test"}));
    ASSERT_TRUE(run.app->testMode);
    // One component left out: its file is not decompressed.
    run.app->componentSelection[1].selected = 0;
    ASSERT_EQ(run.install(), setup::result::Complete);
    EXPECT_EQ(run.decompressCalls, 4);
    const auto after = testing_support::snapshotMachine(run.machine);
    EXPECT_EQ(testing_support::differences(before.files, after.files), std::vector<std::string>{});
    EXPECT_EQ(testing_support::differences(before.registry, after.registry), std::vector<std::string>{});
}

TEST(Install, UninstallerRestoresTheMachineButWhatTheUserAdded) {
    Fixture f;
    Built built(f.product);
    SetupRun run;
    const auto before = testing_support::snapshotMachine(run.machine);
    ASSERT_TRUE(run.prepare(built.disc(1)));
    ASSERT_EQ(run.install(), setup::result::Complete);
    // The user keeps a file of their own in an installed folder.
    testing_support::writeFile(host(run, Dest + "\\Docs\\mine.txt"), "mine");

    platform::Registry reg(run.machine);
    auto command = reg.queryValue(RegRoot::LocalMachine, UninstallKey, "UninstallString");
    ASSERT_TRUE(command.ok());
    // Scripted: "/S" after the program keeps it from asking.
    std::string commandLine(command->data.begin(), command->data.end() - 1);
    commandLine.insert(commandLine.find(' '), " /S");
    auto rc = platform::runCommandLine(run.machine, commandLine, true);
    ASSERT_TRUE(rc.ok()) << rc.error().text;
    EXPECT_EQ(*rc, 0);

    auto after = testing_support::snapshotMachine(run.machine);
    EXPECT_EQ(after.files["Program Files/My Tool/Docs/mine.txt"], "mine");
    for (const char* kept : {"Program Files/My Tool", "Program Files/My Tool/Docs", "Program Files/My Tool/Docs/mine.txt"})
        after.files.erase(kept);
    EXPECT_EQ(testing_support::differences(before.files, after.files), std::vector<std::string>{});
    EXPECT_EQ(testing_support::differences(before.registry, after.registry), std::vector<std::string>{});
}

namespace {

// Every entry below the machine folder, hidden ones included, with its bytes (programs by size).
std::map<std::string, std::string> machineBytes(const platform::Machine& m) {
    std::map<std::string, std::string> all;
    for (const auto& e : fs::recursive_directory_iterator(m.root())) {
        std::string& seen = all[fs::relative(e.path(), m.root()).generic_string()];
        if (!e.is_regular_file()) seen = "<folder>";
        else if (e.file_size() > (1u << 20)) seen = std::to_string(e.file_size());
        else seen = testing_support::readFile(e.path());
    }
    return all;
}

}  // namespace

TEST(Install, InstallThenUninstallLeavesTheMachineFolderByteForByte) {
    Fixture f;
    Built built(f.product);
    SetupRun run;
    const auto before = machineBytes(run.machine);
    ASSERT_TRUE(run.prepare(built.disc(1)));
    ASSERT_EQ(run.install(), setup::result::Complete);
    platform::Registry reg(run.machine);
    auto command = reg.queryValue(RegRoot::LocalMachine, UninstallKey, "UninstallString");
    ASSERT_TRUE(command.ok());
    std::string commandLine(command->data.begin(), command->data.end() - 1);
    commandLine.insert(commandLine.find(' '), " /S");  // scripted: no question, no boxes
    auto rc = platform::runCommandLine(run.machine, commandLine, true);
    ASSERT_TRUE(rc.ok()) << rc.error().text;
    EXPECT_EQ(*rc, 0);
    const auto after = machineBytes(run.machine);
    EXPECT_EQ(testing_support::differences(before, after), std::vector<std::string>{});
}
