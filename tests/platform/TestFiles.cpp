#include "platform/Faults.h"
#include "platform/Files.h"

#include <gtest/gtest.h>

#include <set>

#include "support/PeImage.h"
#include "support/TempFolder.h"

namespace fs = std::filesystem;
using namespace platform;
using testing_support::makePeImage;
using testing_support::readFile;
using testing_support::writeFile;

namespace {

class FilesTest : public ::testing::Test {
protected:
    Machine machine = *Machine::open();
    Files files{machine};
    fs::path c(std::string_view rel) const { return machine.root() / "drive_c" / rel; }
};

std::span<const uint8_t> asBytes(const std::string& s) {
    return {reinterpret_cast<const uint8_t*>(s.data()), s.size()};
}

TEST(FileTimes, WindowsTicksRoundTripThroughHostTimes) {
    // 2000-01-01 00:00:00 UTC is 125911584000000000 ticks after 1601.
    auto y2k = std::chrono::file_clock::from_sys(std::chrono::sys_seconds{std::chrono::sys_days{std::chrono::year{2000} / 1 / 1}});
    EXPECT_EQ(toFileTime(y2k).ticks, 125911584000000000ull);
    for (uint64_t ticks : {125911584000000000ull, 125911584000000001ull, 133000000012345678ull,
                           116444736000000000ull})
        EXPECT_EQ(toFileTime(fromFileTime(FileTime{ticks})).ticks, ticks);
    FileTime t = FileTime::fromParts(0x89ABCDEF, 0x01234567);
    EXPECT_EQ(t.low(), 0x89ABCDEFu);
    EXPECT_EQ(t.high(), 0x01234567u);
}

TEST_F(FilesTest, TimesAreSetAndReadAndCopyKeepsTheLastWriteTime) {
    writeFile(c("Windows/Temp/a.txt"), "abc");
    FileTimes set;
    set.lastWrite = FileTime{125911584000000000ull + 1234567};
    set.lastAccess = FileTime{125911584000000000ull + 99};
    ASSERT_TRUE(files.setTimes("C:\\Windows\\Temp\\A.TXT", set).ok());
    auto got = files.times("c:\\windows\\temp\\a.txt");
    ASSERT_TRUE(got.ok());
    EXPECT_EQ(got->lastWrite, set.lastWrite);
    EXPECT_EQ(got->lastAccess, set.lastAccess);

    ASSERT_TRUE(files.copy("C:\\Windows\\Temp\\a.txt", "C:\\Program Files\\b.txt").ok());
    EXPECT_EQ(readFile(c("Program Files/b.txt")), "abc");
    EXPECT_EQ(files.times("C:\\Program Files\\b.txt")->lastWrite, set.lastWrite);
    EXPECT_EQ(*files.length("C:\\Program Files\\b.txt"), 3u);

    // Copy replaces an existing file and leaves no temporary behind.
    writeFile(c("Windows/Temp/a.txt"), "longer");
    ASSERT_TRUE(files.copy("C:\\Windows\\Temp\\a.txt", "C:\\Program Files\\B.TXT").ok());
    EXPECT_EQ(readFile(c("Program Files/b.txt")), "longer");
    EXPECT_EQ(*files.entries("C:\\Program Files"), (std::vector<std::string>{"b.txt"}));
}

TEST_F(FilesTest, CopyCarriesEveryByteOfLargeFilesAndOfFilesWithoutASize) {
    std::string big((1 << 20) + 3, '\0');
    for (size_t i = 0; i < big.size(); ++i) big[i] = char(i * 7 + i / 4096);
    writeFile(c("Windows/Temp/big.bin"), big);
    ASSERT_TRUE(files.copy("C:\\Windows\\Temp\\big.bin", "C:\\Program Files\\big.bin").ok());
    EXPECT_TRUE(readFile(c("Program Files/big.bin")) == big);

    // A pseudo-file reports no size and no bytes to the kernel's copy, yet it has content.
    ASSERT_TRUE(files.copy("/proc/self/status", "C:\\Program Files\\status.txt").ok());
    EXPECT_NE(readFile(c("Program Files/status.txt")).find("Pid:"), std::string::npos);
    EXPECT_EQ(*files.entries("C:\\Program Files"), (std::vector<std::string>{"big.bin", "status.txt"}));
}

TEST_F(FilesTest, OperationsAnswerWindowsErrorCodes) {
    writeFile(c("Windows/file.txt"), "x");
    fs::create_directories(c("Windows/Full/Sub"));
    struct Case {
        const char* what;
        uint32_t code;
        Status status;
    } cases[] = {
        {"copy a missing file", err::FileNotFound, files.copy("C:\\Windows\\none.txt", "C:\\Windows\\y")},
        {"copy from a missing folder", err::PathNotFound, files.copy("C:\\Nowhere\\a", "C:\\Windows\\y")},
        {"copy into a missing folder", err::PathNotFound, files.copy("C:\\Windows\\file.txt", "C:\\Nowhere\\y")},
        {"copy a folder", err::AccessDenied, files.copy("C:\\Windows\\Full", "C:\\Windows\\y")},
        {"move onto an existing file", err::AlreadyExists, files.move("C:\\Windows\\file.txt", "C:\\Windows\\System32\\..\\FILE.TXT\\..\\Full")},
        {"move a missing file", err::FileNotFound, files.move("C:\\Windows\\none", "C:\\Windows\\y")},
        {"remove a missing file", err::FileNotFound, files.remove("C:\\Windows\\none")},
        {"remove a folder as a file", err::AccessDenied, files.remove("C:\\Windows\\Full")},
        {"create an existing folder", err::AlreadyExists, files.createFolder("C:\\WINDOWS\\full")},
        {"create a folder in a missing one", err::PathNotFound, files.createFolder("C:\\No\\Such")},
        {"remove a folder with content", err::DirNotEmpty, files.removeFolder("C:\\Windows\\Full")},
        {"remove a missing folder", err::FileNotFound, files.removeFolder("C:\\Windows\\Empty")},
        {"climb above the drive", err::BadPathname, files.createFolder("C:\\..\\outside")},
    };
    for (const auto& k : cases) EXPECT_EQ(k.status.code(), k.code) << k.what;
    EXPECT_EQ(files.length("C:\\Windows\\none").code(), err::FileNotFound);
    EXPECT_EQ(files.subfolders("C:\\Windows\\none").code(), err::PathNotFound);
    EXPECT_TRUE(files.exists("C:\\Windows\\file.txt"));
    EXPECT_FALSE(files.isFolder("C:\\Windows\\file.txt"));
    EXPECT_TRUE(files.isFolder("C:\\Windows\\full\\SUB"));
}

TEST_F(FilesTest, FoldersAreCreatedMovedListedAndRemoved) {
    ASSERT_TRUE(files.createFolder("C:\\Windows\\Start Menu\\Programs\\Acme Tools").ok());
    ASSERT_TRUE(files.createFolder("C:\\Windows\\Start Menu\\Programs\\zeta").ok());
    writeFile(c("Windows/Start Menu/Programs/Readme.lnk"), "");
    EXPECT_EQ(*files.subfolders(machine.programsFolder()), (std::vector<std::string>{"Acme Tools", "zeta"}));
    EXPECT_EQ(*files.entries(machine.programsFolder()),
              (std::vector<std::string>{"Acme Tools", "Readme.lnk", "zeta"}));
    ASSERT_TRUE(files.move("C:\\Windows\\Start Menu\\Programs\\Readme.lnk", "C:\\Windows\\Start Menu\\Programs\\zeta\\R.lnk").ok());
    EXPECT_TRUE(fs::exists(c("Windows/Start Menu/Programs/zeta/R.lnk")));
    ASSERT_TRUE(files.remove("C:\\Windows\\Start Menu\\Programs\\ZETA\\r.lnk").ok());
    ASSERT_TRUE(files.removeFolder("C:\\Windows\\Start Menu\\Programs\\Zeta").ok());
    EXPECT_FALSE(fs::exists(c("Windows/Start Menu/Programs/zeta")));
}

TEST_F(FilesTest, TempFileNamesAreUniqueEmptyAndInTheWindowsManner) {
    std::set<std::string> names;
    for (int i = 0; i < 50; ++i) {
        auto name = files.tempFileName(machine.tempFolder(), "RUXSETUP");
        ASSERT_TRUE(name.ok()) << name.error().text;
        std::string leaf = name->substr(name->rfind('\\') + 1);
        EXPECT_EQ(name->rfind("C:\\Windows\\Temp\\RUX", 0), 0u) << *name;
        ASSERT_GT(leaf.size(), 7u);
        EXPECT_EQ(leaf.substr(leaf.size() - 4), ".TMP");
        EXPECT_EQ(leaf.substr(3, leaf.size() - 7).find_first_not_of("0123456789ABCDEF"), std::string::npos) << leaf;
        EXPECT_EQ(*files.length(*name), 0u);
        names.insert(*name);
    }
    EXPECT_EQ(names.size(), 50u);
    EXPECT_EQ(files.tempFileName("C:\\NoSuchFolder", "RUX").code(), err::PathNotFound);
}

TEST_F(FilesTest, FileVersionComesFromThePeVersionResource) {
    testing_support::PeVersionFields v{0x00020003, 0x00040005, 0x00060007, 0x00080009};
    writeFile(c("Windows/System32/with.dll"), makePeImage(v));
    writeFile(c("Windows/System32/without.dll"), makePeImage(std::nullopt));
    writeFile(c("Windows/System32/icononly.dll"), makePeImage(std::nullopt, 3));
    writeFile(c("Windows/System32/text.txt"), "MZ but nothing more");
    writeFile(c("Windows/System32/wide.dll"), makePeImage(v, 16, true));
    auto with = files.fileVersion("C:\\Windows\\System32\\WITH.DLL");
    ASSERT_TRUE(with.ok());
    ASSERT_TRUE(with->has_value());
    EXPECT_EQ(**with, (FixedFileVersion{0x00020003, 0x00040005, 0x00060007, 0x00080009}));
    auto wide = files.fileVersion("C:\\Windows\\System32\\wide.dll");
    ASSERT_TRUE(wide.ok() && wide->has_value());
    EXPECT_EQ(**wide, **with);
    for (const char* none : {"without.dll", "icononly.dll", "text.txt"}) {
        auto r = files.fileVersion(std::string("C:\\Windows\\System32\\") + none);
        ASSERT_TRUE(r.ok()) << none;
        EXPECT_FALSE(r->has_value()) << none;
    }
    EXPECT_EQ(files.fileVersion("C:\\Windows\\System32\\missing.dll").code(), err::FileNotFound);
}

TEST(PeVersion, DamagedImagesNeverReadOutsideTheirBytes) {
    std::string good = makePeImage(testing_support::PeVersionFields{1, 2, 3, 4});
    ASSERT_TRUE(fixedFileVersionOf(asBytes(good)).has_value());
    // Every truncation, and every single byte set to 0xFF, answers without crashing; a cut
    // image never has a version.
    for (size_t n = 0; n < good.size(); ++n) {
        std::string cut = good.substr(0, n);
        EXPECT_FALSE(fixedFileVersionOf(asBytes(cut)).has_value()) << n;
    }
    for (size_t i = 0; i < good.size(); ++i) {
        std::string bad = good;
        bad[i] = char(0xFF);
        (void)fixedFileVersionOf(asBytes(bad));
    }
    std::string wrongSignature = good;
    wrongSignature[0x200 + 0x58 + 40] = 0;
    EXPECT_FALSE(fixedFileVersionOf(asBytes(wrongSignature)).has_value());
}

TEST_F(FilesTest, ExclusiveLockMakesTheFileInUse) {
    writeFile(c("Windows/System32/shared.dll"), "x");
    EXPECT_FALSE(files.inUse("C:\\Windows\\System32\\shared.dll"));
    {
        auto lock = FileLock::acquire(c("Windows/System32/shared.dll"));
        ASSERT_TRUE(lock.ok());
        EXPECT_TRUE(files.inUse("C:\\Windows\\System32\\SHARED.DLL"));
        EXPECT_EQ(FileLock::acquire(c("Windows/System32/shared.dll")).code(), err::SharingViolation);
        EXPECT_EQ(files.remove("C:\\Windows\\System32\\shared.dll").code(), err::SharingViolation);
        EXPECT_EQ(files.openForWrite("C:\\Windows\\System32\\shared.dll").code(), err::SharingViolation);
        EXPECT_EQ(files.copy("C:\\Windows\\System32\\shared.dll", "C:\\Windows\\x.dll").code(), err::SharingViolation);
    }
    EXPECT_FALSE(files.inUse("C:\\Windows\\System32\\shared.dll"));
    EXPECT_FALSE(files.inUse("C:\\Windows\\System32\\missing.dll"));
}

TEST_F(FilesTest, InjectedFaultsMakeNamedOperationsFail) {
    writeFile(c("Windows/a.txt"), "x");
    ASSERT_TRUE(injectFault(machine, FaultKind::CreateFolder, "c:\\program files\\Acme", err::AccessDenied, 2).ok());
    ASSERT_TRUE(injectFault(machine, FaultKind::OpenFile, "C:/Windows/A.TXT", err::SharingViolation).ok());
    EXPECT_EQ(files.createFolder("C:\\Program Files\\Other").code(), 0u);
    EXPECT_EQ(files.createFolder("C:\\Program Files\\ACME").code(), err::AccessDenied);
    EXPECT_EQ(files.createFolder("C:\\Program Files\\Acme").code(), err::AccessDenied);
    EXPECT_EQ(files.createFolder("C:\\Program Files\\Acme").code(), 0u);  // used up after two
    for (int i = 0; i < 3; ++i) {  // times < 0: always
        EXPECT_EQ(files.openForRead("C:\\Windows\\a.txt").code(), err::SharingViolation);
        EXPECT_EQ(files.copy("C:\\Windows\\a.txt", "C:\\Windows\\b.txt").code(), err::SharingViolation);
    }
    EXPECT_EQ(files.openForWrite("C:\\Windows\\b.txt").code(), 0u);
    ASSERT_TRUE(clearFaults(machine).ok());
    EXPECT_TRUE(files.copy("C:\\Windows\\a.txt", "C:\\Windows\\b.txt").ok());
}

TEST(SystemErrors, TextsAsWindowsWordsThemMappedFromErrno) {
    struct Case {
        int errnoValue;
        uint32_t code;
        const char* text;
    } cases[] = {
        {ENOENT, 2, "The system cannot find the file specified."},
        {ENOTDIR, 3, "The system cannot find the path specified."},
        {EACCES, 5, "Access is denied."},
        {ENOMEM, 8, "Not enough storage is available to process this command."},
        {EWOULDBLOCK, 32, "The process cannot access the file because it is being used by another process."},
        {EEXIST, 183, "Cannot create a file when that file already exists."},
        {ENOSPC, 112, "There is not enough space on the disk."},
        {ENOTEMPTY, 145, "The directory is not empty."},
        {ENAMETOOLONG, 206, "The filename or extension is too long."},
    };
    for (const auto& k : cases) {
        EXPECT_EQ(errorFromErrno(k.errnoValue), k.code) << k.errnoValue;
        EXPECT_EQ(systemErrorText(k.code), k.text);
        Error e = errorFromErrnoValue(k.errnoValue, "C:\\x");
        EXPECT_EQ(e.text, std::string(k.text) + " (C:\\x)");
    }
    EXPECT_EQ(systemErrorText(err::MoreData), "More data is available.");
    EXPECT_EQ(systemErrorText(99999), "");
    EXPECT_EQ(makeError(99999).text, "Error 99999.");
}

}  // namespace

// Setup and the uninstaller change only the machine's own drives: no other drive, no host path,
// no symbolic link that leads out; reading stays allowed everywhere.
TEST_F(FilesTest, MachineDrivesScopeChangesNothingOutsideTheMachine) {
    const fs::path host = machine.root().parent_path() / "host";
    fs::create_directories(host / "folder");
    writeFile(host / "kept.txt", "host file");
    fs::create_directories(c("inside"));
    fs::create_directory_symlink(host, c("out"));
    fs::create_symlink(host / "kept.txt", c("out.txt"));
    fs::create_symlink(host / "not-yet", c("dangling"));
    fs::create_directory_symlink(c("inside"), c("in"));
    writeFile(c("source.txt"), "new bytes");
    const Files scoped(machine, WriteScope::MachineDrives);
    const std::string hostWin = machine.windowsPath(host);
    const std::vector<std::string> outside = {
        hostWin + "\\kept.txt", hostWin + "\\folder", hostWin + "\\made", host.string() + "/made",
        "C:\\out\\kept.txt", "C:\\out\\folder", "C:\\out\\made", "C:\\OUT\\made\\deeper", "C:\\out.txt",
        "C:\\dangling", "C:\\inside\\..\\out\\made",
    };
    for (const auto& path : outside) {
        SCOPED_TRACE(path);
        auto refused = [&](const Status& s) { EXPECT_EQ(s.code(), err::AccessDenied) << s.error().text; };
        auto changeable = machine.changeablePath(path);
        ASSERT_FALSE(changeable.ok());
        EXPECT_NE(changeable.error().text.find(path), std::string::npos) << changeable.error().text;
        refused(scoped.copy("C:\\source.txt", path));
        refused(scoped.move("C:\\source.txt", path));
        refused(scoped.remove(path));
        refused(scoped.createFolder(path));
        refused(scoped.removeFolder(path));
        refused(scoped.setTimes(path, {{}, {}, FileTime{1}}));
        EXPECT_EQ(scoped.openForWrite(path).code(), err::AccessDenied);
        EXPECT_EQ(scoped.tempFileName(path, "RUX").code(), err::AccessDenied);
        if (path.ends_with("kept.txt") || path.ends_with("out.txt")) refused(scoped.move(path, "C:\\taken.txt"));
    }
    EXPECT_EQ(readFile(host / "kept.txt"), "host file");
    EXPECT_TRUE(fs::is_directory(host / "folder"));
    EXPECT_FALSE(fs::exists(host / "made"));
    EXPECT_FALSE(fs::exists(host / "not-yet"));
    EXPECT_EQ(readFile(c("source.txt")), "new bytes");

    // Inside, also through a link that stays inside, and with the host's form of the machine's own
    // drive; reading a host file is allowed.
    EXPECT_TRUE(scoped.copy(hostWin + "\\kept.txt", "C:\\in\\copied.txt").ok());
    EXPECT_EQ(readFile(c("inside/copied.txt")), "host file");
    EXPECT_TRUE(scoped.createFolder(machine.windowsPath(c("inside")) + "\\sub").ok());
    EXPECT_TRUE(scoped.createFolder("Z:" + c("inside/sub2").string()).ok());
    EXPECT_TRUE(scoped.remove("C:\\inside\\copied.txt").ok());
    // Without the scope, the same calls still reach the host (the authoring program writes discs there).
    EXPECT_TRUE(files.createFolder(hostWin + "\\made").ok());
}
