#include "platform/Machine.h"
#include "platform/Process.h"
#include "platform/Registry.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/wait.h>
#include <unistd.h>

#include "support/TempFolder.h"
#include "support/TestEnvironment.h"

namespace fs = std::filesystem;
using namespace platform;
using testing_support::readFile;
using testing_support::TempFolder;
using testing_support::writeFile;

namespace {

Machine openMachine() {
    auto m = Machine::open();
    EXPECT_TRUE(m.ok()) << (m.ok() ? "" : m.error().text);
    return *m;
}

TEST(Machine, FirstUseCreatesTheWindowsFoldersHivesAndEnvironment) {
    Machine m = openMachine();
    EXPECT_EQ(m.root(), testing_support::machineFolder());
    for (const char* folder : {"drive_c/Windows", "drive_c/Windows/System32", "drive_c/Windows/Temp",
                               "drive_c/Program Files", "drive_c/Windows/Start Menu/Programs"})
        EXPECT_TRUE(fs::is_directory(m.root() / folder)) << folder;
    for (const auto& special : {m.windowsFolder(), m.systemFolder(), m.tempFolder(),
                                m.programFilesFolder(), m.programsFolder()}) {
        auto host = m.hostPath(special);
        ASSERT_TRUE(host.ok());
        EXPECT_TRUE(fs::is_directory(*host)) << special;
    }
    EXPECT_EQ(m.environment("TMP"), "C:\\Windows\\Temp");
    EXPECT_EQ(m.environment("temp"), "C:\\Windows\\Temp");
    EXPECT_EQ(m.environment("PATHEXT"), std::nullopt);

    Registry reg(m);
    auto dir = reg.queryValue(RegRoot::LocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion",
                              "ProgramFilesDir");
    ASSERT_TRUE(dir.ok()) << dir.error().text;
    EXPECT_EQ(dir->type, regtype::Sz);
    EXPECT_EQ(std::string(dir->data.begin(), dir->data.end()), std::string("C:\\Program Files\0", 17));
    for (const char* key : {"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs",
                            "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall"})
        EXPECT_TRUE(reg.openKey(RegRoot::LocalMachine, key).ok()) << key;
    for (const char* hive : {"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE", "HKEY_USERS"})
        EXPECT_TRUE(fs::is_regular_file(m.root() / "registry" / (std::string(hive) + ".reg"))) << hive;
}

TEST(Machine, DefaultFolderIsUnderXdgDataHome) {
    std::string saved = std::getenv("RUX_MACHINE");
    ::unsetenv("RUX_MACHINE");
    auto m = Machine::open();
    ::setenv("RUX_MACHINE", saved.c_str(), 1);
    ASSERT_TRUE(m.ok());
    EXPECT_EQ(m->root(), fs::path(std::getenv("XDG_DATA_HOME")) / "rux-machine");
}

TEST(Machine, NewMachineCopiesTheSeedTree) {
    TempFolder seed("seed");
    writeFile(seed / "drive_c/Windows/RUXUninst", "#!/bin/sh\n");
    fs::permissions(seed / "drive_c/Windows/RUXUninst", fs::perms::owner_all);
    const char* saved = std::getenv("RUX_MACHINE_SEED");
    std::string before = saved ? saved : "";
    ::setenv("RUX_MACHINE_SEED", seed.path().c_str(), 1);
    TempFolder place("machine");
    auto m = Machine::openAt(place / "new");
    if (saved)
        ::setenv("RUX_MACHINE_SEED", before.c_str(), 1);
    else
        ::unsetenv("RUX_MACHINE_SEED");
    ASSERT_TRUE(m.ok()) << m.error().text;
    fs::path copied = place / "new/drive_c/Windows/RUXUninst";
    EXPECT_EQ(readFile(copied), "#!/bin/sh\n");
    EXPECT_TRUE((fs::status(copied).permissions() & fs::perms::owner_exec) != fs::perms::none);
    EXPECT_TRUE(fs::is_directory(place / "new/drive_c/Windows/System32"));
}

TEST(Machine, TwoProcessesCreatingOneMachineBothSucceed) {
    TempFolder place("machine");
    fs::path root = place / "shared";
    pid_t children[2];
    for (pid_t& child : children) {
        child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            auto m = Machine::openAt(root);
            bool good = m.ok() && Registry(*m).createKey(RegRoot::CurrentUser, "Software\\Created").ok();
            ::_exit(good ? 0 : 1);
        }
    }
    for (pid_t child : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    auto m = Machine::openAt(root);
    ASSERT_TRUE(m.ok());
    EXPECT_TRUE(*Registry(*m).keyExists(RegRoot::CurrentUser, "software\\created"));
    EXPECT_EQ(m->environment("TEMP"), "C:\\Windows\\Temp");
}

TEST(Machine, PathsMapThroughTheDriveTable) {
    Machine m = openMachine();
    fs::create_directories(m.root() / "drive_c/Program Files/Acme Tools");
    writeFile(m.root() / "drive_c/Program Files/Acme Tools/ReadMe.TXT", "x");
    fs::path c = m.root() / "drive_c";
    struct Case {
        const char* windows;
        fs::path host;  // empty: refused with `code`
        uint32_t code = 0;
    } cases[] = {
        {"C:\\Program Files\\Acme Tools\\ReadMe.TXT", c / "Program Files/Acme Tools/ReadMe.TXT"},
        {"c:\\PROGRAM FILES\\acme tools\\readme.txt", c / "Program Files/Acme Tools/ReadMe.TXT"},
        {"C:/program files/ACME TOOLS/New Folder/Sub", c / "Program Files/Acme Tools/New Folder/Sub"},
        {"C:\\Program Files\\\\Acme Tools\\.\\", c / "Program Files/Acme Tools"},
        {"C:\\Program Files\\Acme Tools\\..\\..\\Windows", c / "Windows"},
        {"C:\\windows\\system32\\", c / "Windows/System32"},
        {"\\Windows\\Temp", c / "Windows/Temp"},
        {"C:", c},
        {"Z:\\etc\\hostname", "/etc/hostname"},
        {"z:/ETC/HOSTNAME", "/etc/hostname"},
        {"Z:\\PROC\\SELF\\STATUS", "/proc/self/status"},  // a file system without change notices
        {"/var/tmp/Some File", "/var/tmp/Some File"},
        {"C:\\..", {}, err::BadPathname},
        {"C:\\Windows\\..\\..\\etc", {}, err::BadPathname},
        {"Z:\\..\\etc", {}, err::BadPathname},
        {"C:\\Windows\\a:b", {}, err::InvalidName},
        {"C:\\Windows\\what?", {}, err::InvalidName},
        {"Q:\\nothing", {}, err::PathNotFound},
        {"\\\\server\\share", {}, err::BadPathname},
        {"", {}, err::PathNotFound},
    };
    for (const auto& k : cases) {
        auto host = m.hostPath(k.windows);
        if (k.host.empty()) {
            EXPECT_EQ(host.code(), k.code) << k.windows;
        } else {
            ASSERT_TRUE(host.ok()) << k.windows << ": " << host.error().text;
            EXPECT_EQ(*host, k.host) << k.windows;
        }
    }
}

TEST(Machine, NamesFoundWithoutCaseFollowEveryChangeToTheFolder) {
    Machine m = openMachine();
    fs::path dir = m.root() / "drive_c/Cases";
    fs::create_directories(dir);
    for (int i = 0; i < 50; ++i) writeFile(dir / ("file" + std::to_string(i) + ".txt"), "x");
    auto found = [&](const char* name) { return m.hostPath(std::string("C:\\cases\\") + name)->filename().string(); };
    auto otherProcess = [](auto change) {
        pid_t pid = ::fork();
        if (pid == 0) {
            change();
            ::_exit(0);
        }
        int status = 0;
        ::waitpid(pid, &status, 0);
    };

    EXPECT_EQ(found("FILE7.TXT"), "file7.txt");
    EXPECT_EQ(found("NEW.TXT"), "NEW.TXT");  // not there: keeps its own case
    writeFile(dir / "new.txt", "x");
    EXPECT_EQ(found("NEW.TXT"), "new.txt");
    // Of several spellings the first in byte order is used, whichever came first.
    writeFile(dir / "b.TXT", "x");
    EXPECT_EQ(found("B.txt"), "b.TXT");
    writeFile(dir / "B.txt", "x");
    EXPECT_EQ(found("b.txt"), "B.txt");
    fs::remove(dir / "B.txt");
    EXPECT_EQ(found("b.txt"), "b.TXT");

    fs::rename(dir / "new.txt", dir / "Renamed.txt");
    EXPECT_EQ(found("NEW.TXT"), "NEW.TXT");
    EXPECT_EQ(found("renamed.TXT"), "Renamed.txt");
    fs::remove(dir / "file7.txt");
    EXPECT_EQ(found("FILE7.TXT"), "FILE7.TXT");
    EXPECT_EQ(m.hostPath("C:\\cases\\FILE7.TXT\\Sub\\x")->parent_path().parent_path().filename(), "FILE7.TXT");

    // Changes made by another process are seen at once.
    otherProcess([&] { writeFile(dir / "Theirs.txt", "x"); });
    EXPECT_EQ(found("THEIRS.TXT"), "Theirs.txt");
    otherProcess([&] { fs::rename(dir / "Theirs.txt", dir / "Moved.txt"); });
    EXPECT_EQ(found("THEIRS.TXT"), "THEIRS.TXT");
    EXPECT_EQ(found("moved.txt"), "Moved.txt");

    // A folder put in the place of another is listed afresh; a renamed folder keeps its entries.
    fs::rename(dir, m.root() / "drive_c/Old Cases");
    fs::create_directories(dir);
    writeFile(dir / "Fresh.txt", "x");
    EXPECT_EQ(found("MOVED.TXT"), "MOVED.TXT");
    EXPECT_EQ(found("fresh.TXT"), "Fresh.txt");
    EXPECT_EQ(m.hostPath("C:\\OLD CASES\\MOVED.TXT")->filename(), "Moved.txt");
    fs::remove_all(dir);
    fs::create_directories(dir / "Sub");
    EXPECT_EQ(found("FRESH.TXT"), "FRESH.TXT");
    EXPECT_EQ(found("sub"), "Sub");
}

TEST(Machine, WindowsPathIsTheInverseOfHostPath) {
    Machine m = openMachine();
    EXPECT_EQ(m.windowsPath(m.root() / "drive_c/Program Files/App/a.exe"), "C:\\Program Files\\App\\a.exe");
    EXPECT_EQ(m.windowsPath(m.root() / "drive_c"), "C:\\");
    EXPECT_EQ(m.windowsPath("/etc/hostname"), "Z:\\etc\\hostname");
    EXPECT_EQ(m.windowsPath("/"), "Z:\\");
    for (const char* p : {"C:\\Windows\\Temp", "Z:\\etc\\hostname"})
        EXPECT_EQ(m.windowsPath(*m.hostPath(p)), p);
}

TEST(Machine, EnvironmentTableIsSetAndReplaced) {
    Machine m = openMachine();
    ASSERT_TRUE(m.setEnvironment("Tmp", "C:\\Other").ok());
    ASSERT_TRUE(m.setEnvironment("NEWVAR", "1").ok());
    EXPECT_EQ(m.environment("TMP"), "C:\\Other");
    EXPECT_EQ(m.environment("TEMP"), "C:\\Windows\\Temp");
    EXPECT_EQ(m.environment("newvar"), "1");
    EXPECT_EQ(m.setEnvironment("BAD", "two\nlines").code(), err::InvalidParameter);
}

TEST(Machine, ShellActionsBecomeJournalLines) {
    Machine m = openMachine();
    ASSERT_TRUE(shellOpen(m, "open", "C:\\Windows\\Start Menu\\Programs\\Acme", "", "").ok());
    ASSERT_TRUE(shellOpen(m, "", "notepad.exe", "C:\\Program Files\\Acme\\read\tme.txt", "C:\\").ok());
    ASSERT_TRUE(requestRestart(m).ok());
    EXPECT_EQ(readFile(m.journalPath()),
              "open\topen\tC:\\Windows\\Start Menu\\Programs\\Acme\t\t\n"
              "open\t\tnotepad.exe\tC:\\Program Files\\Acme\\read me.txt\tC:\\\n"
              "restart\n");
}

}  // namespace
