// The uninstaller: its refusal of damaged records, and what it removes and keeps.
#include <gtest/gtest.h>

#include "libraries/uninstaller/UninstallPlan.h"
#include "libraries/uninstaller/UninstallRecord.h"
#include "libraries/uninstaller/Uninstaller.h"
#include "platform/Faults.h"
#include "platform/Files.h"
#include "platform/Process.h"
#include "platform/Registry.h"
#include "support/TempFolder.h"
#include "uninstaller/MachineSnapshot.h"

namespace fs = std::filesystem;
using platform::RegRoot;
using uninstaller::Entry;
using uninstaller::UninstallRecord;

namespace {

constexpr const char* RecordPath = "C:\\Windows\\UninstTool10.RUX";
const std::string Registration = std::string(uninstaller::UninstallKey) + "\\Tool 1.0";

platform::Machine machine() {
    auto m = platform::Machine::open();
    EXPECT_TRUE(m.ok());
    return *m;
}

void writeRecord(const platform::Machine& m, const std::vector<uint8_t>& bytes, const char* path = RecordPath) {
    std::ofstream out(*m.hostPath(path), std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

void put(const platform::Machine& m, const std::string& path, const std::string& text = "data") {
    std::ofstream(*m.hostPath(path), std::ios::binary) << text;
}

// Everything below the machine folder: small files byte for byte, big ones (programs) by size and time.
std::map<std::string, std::string> rawMachine(const platform::Machine& m) {
    std::map<std::string, std::string> all;
    for (auto& e : fs::recursive_directory_iterator(m.root())) {
        std::string& seen = all[e.path().string()];
        if (!e.is_regular_file()) seen = "<folder>";
        else if (e.file_size() < 65536) seen = testing_support::readFile(e.path());
        else seen = std::to_string(e.file_size()) + "@" + std::to_string(e.last_write_time().time_since_epoch().count());
    }
    return all;
}

// A product as the installer leaves it: what it created, in the order it logged it.
struct Installed {
    platform::Machine m = machine();
    platform::Files files{m};
    platform::Registry reg{m};
    UninstallRecord record{.displayName = "Tool 1.0", .entries = {}};

    Installed() {
        auto log = [this](uint8_t type, std::string name, std::string value = "") {
            record.entries.push_back({type, std::move(name), std::move(value)});
        };
        const std::string shared = std::string(uninstaller::SharedDllsKey);
        EXPECT_TRUE(reg.createKey(RegRoot::LocalMachine, shared).ok());
        log(1, "C:\\Program Files\\Tool");
        EXPECT_TRUE(files.createFolder("C:\\Program Files\\Tool").ok());
        log(1, "C:\\Program Files\\Tool\\sub");
        EXPECT_TRUE(files.createFolder("C:\\Program Files\\Tool\\sub").ok());
        log(0, "C:\\Program Files\\Tool\\a.txt");
        put(m, "C:\\Program Files\\Tool\\a.txt");
        log(0, "C:\\Program Files\\Tool\\sub\\b.txt");
        put(m, "C:\\Program Files\\Tool\\sub\\b.txt");
        // Shared files: one also used by another product (count 2), one used by this one alone.
        log(0, "C:\\Windows\\System32\\both.dll");
        put(m, "C:\\Windows\\System32\\both.dll");
        EXPECT_TRUE(reg.setDword(RegRoot::LocalMachine, shared, "C:\\Windows\\System32\\both.dll", 2).ok());
        log(0, "C:\\Windows\\System32\\alone.dll");
        put(m, "C:\\Windows\\System32\\alone.dll");
        EXPECT_TRUE(reg.setDword(RegRoot::LocalMachine, shared, "C:\\Windows\\System32\\alone.dll", 1).ok());
        // New keys and values; a value created in a key that was there before.
        log(4, "Software\\Tool");
        log(4, "Software\\Tool\\Settings");
        EXPECT_TRUE(reg.createKey(RegRoot::LocalMachine, "Software\\Tool\\Settings").ok());
        log(4, "Software\\Tool\\Settings", "Path");
        EXPECT_TRUE(reg.setString(RegRoot::LocalMachine, "Software\\Tool\\Settings", "Path", "C:\\x").ok());
        EXPECT_TRUE(reg.setString(RegRoot::LocalMachine, "Software\\Tool\\Settings", "", "default").ok());
        // The user's key with a value of its own was there before.
        EXPECT_TRUE(reg.createKey(RegRoot::CurrentUser, "Software\\Existing").ok());
        EXPECT_TRUE(reg.setString(RegRoot::CurrentUser, "Software\\Existing", "Mine", "kept").ok());
        log(3, "Software\\Existing", "New");
        EXPECT_TRUE(reg.setDword(RegRoot::CurrentUser, "Software\\Existing", "New", 1).ok());
        // Entries of an earlier record repeat some of this one's, in other case.
        log(0, "C:\\PROGRAM FILES\\TOOL\\A.TXT");
        log(1, "c:\\program files\\tool");
        EXPECT_TRUE(reg.createKey(RegRoot::LocalMachine, Registration).ok());
        EXPECT_TRUE(reg.setString(RegRoot::LocalMachine, Registration, "DisplayName", "Tool 1.0").ok());
        EXPECT_TRUE(reg.setString(RegRoot::LocalMachine, Registration, "UninstallString",
                                  std::string("C:\\Windows\\RUXUninst ") + RecordPath).ok());
        writeRecord(m, uninstaller::encodeUninstallRecord(record));
    }
};

void expectRemoved(const Installed& i) {
    EXPECT_FALSE(i.files.exists("C:\\Program Files\\Tool\\a.txt"));
    EXPECT_FALSE(i.files.exists("C:\\Program Files\\Tool\\sub\\b.txt"));
    EXPECT_FALSE(i.files.exists("C:\\Windows\\System32\\alone.dll"));
    EXPECT_TRUE(i.files.exists("C:\\Windows\\System32\\both.dll"));
    auto both = i.reg.queryValue(RegRoot::LocalMachine, uninstaller::SharedDllsKey, "C:\\Windows\\System32\\both.dll");
    ASSERT_TRUE(both.ok());
    EXPECT_EQ(both->data, (std::vector<uint8_t>{1, 0, 0, 0}));
    EXPECT_FALSE(i.reg.queryValue(RegRoot::LocalMachine, uninstaller::SharedDllsKey, "C:\\Windows\\System32\\alone.dll").ok());
    EXPECT_FALSE(*i.reg.keyExists(RegRoot::LocalMachine, "Software\\Tool"));
    EXPECT_FALSE(*i.reg.keyExists(RegRoot::LocalMachine, Registration));
    EXPECT_TRUE(*i.reg.keyExists(RegRoot::LocalMachine, uninstaller::UninstallKey));
    EXPECT_TRUE(*i.reg.keyExists(RegRoot::LocalMachine, uninstaller::SharedDllsKey));
    EXPECT_FALSE(i.reg.queryValue(RegRoot::CurrentUser, "Software\\Existing", "New").ok());
    EXPECT_TRUE(i.reg.queryValue(RegRoot::CurrentUser, "Software\\Existing", "Mine").ok());
    EXPECT_FALSE(i.files.exists(RecordPath));
}

}  // namespace

TEST(Uninstaller, RefusesADamagedRecordWithoutTouchingAnything) {
    platform::Machine m = machine();
    platform::Files files(m);
    ASSERT_TRUE(files.createFolder("C:\\Program Files\\Tool").ok());
    put(m, "C:\\Program Files\\Tool\\a.txt");
    const UninstallRecord good{.displayName = "Tool 1.0",
                               .entries = {{1, "C:\\Program Files\\Tool", ""}, {0, "C:\\Program Files\\Tool\\a.txt", ""}}};
    const std::vector<uint8_t> bytes = uninstaller::encodeUninstallRecord(good);
    const size_t firstEntry = 4 + 9 + 4;

    auto with = [&](size_t at, std::vector<uint8_t> patch) {
        auto b = bytes;
        std::copy(patch.begin(), patch.end(), b.begin() + std::ptrdiff_t(at));
        return b;
    };
    auto cut = [&](size_t n) { return std::vector<uint8_t>(bytes.begin(), bytes.begin() + std::ptrdiff_t(n)); };
    auto longer = bytes;
    longer.push_back(0);
    auto unterminatedName = bytes;
    std::fill_n(unterminatedName.begin() + std::ptrdiff_t(firstEntry + 1), 260, uint8_t('x'));
    auto unterminatedValue = bytes;
    std::fill_n(unterminatedValue.begin() + std::ptrdiff_t(firstEntry + 261), 260, uint8_t('x'));

    const std::vector<std::pair<const char*, std::vector<uint8_t>>> cases = {
        {"empty", {}},
        {"inside the name length", cut(2)},
        {"inside the display name", cut(8)},
        {"before the count", cut(13)},
        {"inside an entry", cut(bytes.size() - 1)},
        {"one entry missing", cut(bytes.size() - 521)},
        {"a byte too many", longer},
        {"huge count", with(13, {0xFF, 0xFF, 0xFF, 0xFF})},
        {"name length 0", with(0, {0, 0, 0, 0})},
        {"huge name length", with(0, {0xFF, 0xFF, 0xFF, 0x7F})},
        {"name not terminated", with(12, {'!'})},
        {"zero inside the name", with(6, {0})},
        {"unknown type", with(firstEntry, {6})},
        {"unterminated entry name", unterminatedName},
        {"unterminated value", unterminatedValue},
        {"file with a value name", with(firstEntry + 521 + 261, {'v'})},
        {"relative path", with(firstEntry + 1, {'x', 'y', 0})},
        {"empty name", with(firstEntry + 1, {0})},
        {"parent level", with(firstEntry + 1, {'C', ':', '\\', '.', '.', '\\', 'W', 0})},
    };
    for (const auto& [name, record] : cases) {
        SCOPED_TRACE(name);
        writeRecord(m, record);
        const auto before = rawMachine(m);
        const auto outcome = uninstaller::uninstall(m, RecordPath);
        EXPECT_EQ(outcome.kind, uninstaller::Outcome::BadRecord);
        EXPECT_NE(outcome.message.find("damaged"), std::string::npos) << outcome.message;
        EXPECT_EQ(rawMachine(m), before);
    }
    const auto missing = uninstaller::uninstall(m, "C:\\Windows\\UninstNone.RUX");
    EXPECT_EQ(missing.kind, uninstaller::Outcome::BadRecord);
    EXPECT_NE(missing.message.find("Cannot read"), std::string::npos);
}

TEST(Uninstaller, RemovesNewestFirstAndKeepsWhatOthersUse) {
    platform::Machine m = machine();
    platform::Registry reg(m);
    Installed installed;
    // The user added a file to an installed folder: the folder stays for it.
    put(m, "C:\\Program Files\\Tool\\notes.txt", "mine");

    const auto outcome = uninstaller::uninstall(m, RecordPath);
    EXPECT_EQ(outcome.kind, uninstaller::Outcome::Done);
    EXPECT_TRUE(outcome.problems.empty());
    expectRemoved(installed);
    EXPECT_TRUE(installed.files.isFolder("C:\\Program Files\\Tool"));
    EXPECT_FALSE(installed.files.exists("C:\\Program Files\\Tool\\sub"));
    EXPECT_EQ(testing_support::readFile(*m.hostPath("C:\\Program Files\\Tool\\notes.txt")), "mine");
}

TEST(Uninstaller, KeepsRecordAndRegistrationWhenSomethingCannotBeRemoved) {
    platform::Machine m = machine();
    Installed installed;
    ASSERT_TRUE(platform::injectFault(m, platform::FaultKind::RegistryWrite,
                                      "HKEY_LOCAL_MACHINE\\Software\\Tool\\Settings").ok());
    const auto outcome = uninstaller::uninstall(m, RecordPath);
    EXPECT_EQ(outcome.kind, uninstaller::Outcome::Incomplete);
    EXPECT_FALSE(outcome.problems.empty());
    EXPECT_TRUE(installed.files.exists(RecordPath));
    EXPECT_TRUE(*installed.reg.keyExists(RegRoot::LocalMachine, Registration));
    // Once the fault is gone, running it again finishes the job, and a shared file used by
    // another product is counted down once only.
    ASSERT_TRUE(platform::clearFaults(m).ok());
    EXPECT_EQ(uninstaller::uninstall(m, RecordPath).kind, uninstaller::Outcome::Done);
    expectRemoved(installed);
}

TEST(Uninstaller, RunsFromTheMachinesWindowsFolder) {
    platform::Machine m = machine();
    platform::Registry reg(m);
    Installed installed;
    // The command line that Setup registers, unquoted, with the record path after the first blank.
    auto uninstallString = reg.queryValue(RegRoot::LocalMachine, Registration, "UninstallString");
    ASSERT_TRUE(uninstallString.ok());
    std::string commandLine(uninstallString->data.begin(), uninstallString->data.end() - 1);
    // Scripted: "/S" after the program keeps it from asking.
    commandLine.insert(commandLine.find(' '), " /S");
    auto rc = platform::runCommandLine(m, commandLine, true);
    ASSERT_TRUE(rc.ok()) << rc.error().text;
    EXPECT_EQ(*rc, 0);
    expectRemoved(installed);
    // A damaged record ends the program with an error.
    writeRecord(m, {1, 2, 3});
    rc = platform::runCommandLine(m, commandLine, true);
    ASSERT_TRUE(rc.ok());
    EXPECT_EQ(*rc, 1);
}

TEST(Uninstaller, AHiveThatCannotBeWrittenKeepsWhatChangedItForTheNextRun) {
    platform::Machine m = machine();
    Installed installed;
    // The machine hive cannot be written: the files and the user hive's value go; the machine
    // hive's keys, values and shared counts stay in the record (and a folder not yet empty).
    ASSERT_TRUE(platform::injectFault(m, platform::FaultKind::RegistryWrite, "HKEY_LOCAL_MACHINE",
                                      platform::err::DiskFull, 1).ok());
    const auto outcome = uninstaller::uninstall(m, RecordPath);
    EXPECT_EQ(outcome.kind, uninstaller::Outcome::Incomplete);
    EXPECT_FALSE(installed.files.exists("C:\\Program Files\\Tool\\a.txt"));
    EXPECT_FALSE(installed.reg.queryValue(RegRoot::CurrentUser, "Software\\Existing", "New").ok());
    EXPECT_TRUE(*installed.reg.keyExists(RegRoot::LocalMachine, Registration));
    std::string why;
    auto left = uninstaller::parseUninstallRecord(testing_support::readBytes(*m.hostPath(RecordPath)), why);
    ASSERT_TRUE(left) << why;
    std::vector<std::string> names;
    for (const auto& e : left->entries) names.push_back(std::to_string(e.type) + " " + e.name + " " + e.value);
    EXPECT_EQ(names, (std::vector<std::string>{"0 C:\\Windows\\System32\\both.dll ", "0 C:\\Windows\\System32\\alone.dll ",
                                               "4 Software\\Tool ", "4 Software\\Tool\\Settings ",
                                               "4 Software\\Tool\\Settings Path", "1 c:\\program files\\tool "}));
    // The next run finishes, and counts the shared file down once only.
    EXPECT_EQ(uninstaller::uninstall(m, RecordPath).kind, uninstaller::Outcome::Done);
    expectRemoved(installed);
}

// A repeated installation lists its paths again, perhaps in other letter case or with other
// separators: the plan shows each once, newest first, as the record without repeats would.
TEST(UninstallPlan, RepeatsInAnyCaseOrSeparatorAreListedOnce) {
    platform::Machine m = machine();
    const std::vector<Entry> once{{1, "C:\\Tool", ""},
                                  {0, "C:\\Tool\\a.txt", ""},
                                  {0, "C:\\Tool\\B.txt", ""},
                                  {3, "Software\\Tool", ""},
                                  {3, "Software\\Tool", "V"}};
    struct Case {
        const char* name;
        std::vector<Entry> repeats;
        std::size_t registryEntries = 2;  // counted, repeats included
    };
    const std::vector<Case> cases = {
        {"none", {}},
        {"the same", once, 4},
        {"letter case", {{0, "c:\\TOOL\\A.TXT", ""}, {1, "c:\\tool", ""}, {0, "C:\\Tool\\b.TXT", ""}}},
        {"separators", {{0, "C:/Tool/a.txt", ""}, {1, "C:/Tool", ""}, {0, "c:\\tool/b.txt", ""}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        UninstallRecord record{.displayName = "Tool 1.0", .entries = once};
        record.entries.insert(record.entries.begin(), c.repeats.begin(), c.repeats.end());
        writeRecord(m, uninstaller::encodeUninstallRecord(record));
        std::string why;
        auto plan = uninstaller::planUninstall(m, RecordPath, why);
        ASSERT_TRUE(plan) << why;
        EXPECT_EQ(plan->product, "Tool 1.0");
        // Newest first, each in the spelling of its newest entry.
        EXPECT_EQ(plan->paths, (std::vector<std::string>{"C:\\Tool\\B.txt", "C:\\Tool\\a.txt", "C:\\Tool"}));
        EXPECT_EQ(plan->registryEntries, c.registryEntries);
    }
    fs::remove(*m.hostPath(RecordPath));
}
