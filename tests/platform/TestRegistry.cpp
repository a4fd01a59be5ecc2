#include "platform/Faults.h"
#include "platform/Registry.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include "support/TempFolder.h"

namespace fs = std::filesystem;
using namespace platform;
using testing_support::readFile;
using testing_support::writeFile;

namespace {

class RegistryTest : public ::testing::Test {
protected:
    Machine machine = *Machine::open();
    Registry reg{machine};
    fs::path hive(std::string_view root) const {
        return machine.root() / "registry" / (std::string(root) + ".reg");
    }
};

std::vector<uint8_t> bytes(std::string_view s) { return {s.begin(), s.end()}; }

TEST_F(RegistryTest, EveryTypeCodeKeepsItsBytes) {
    ASSERT_TRUE(*reg.createKey(RegRoot::CurrentUser, "Software\\Types"));
    const std::vector<uint8_t> odd{0x00, 0xFF, '\n', '"', '\\', 0x80, 0x00};
    for (uint32_t type = 0; type <= 255; ++type) {
        std::vector<uint8_t> data = odd;
        data.resize(type % 9);  // lengths 0..8, so that DWORD-sized and empty data occur too
        ASSERT_TRUE(reg.setValue(RegRoot::CurrentUser, "Software\\Types", "v" + std::to_string(type),
                                 type, data).ok()) << type;
    }
    // Text that a "..." line could not carry exactly is still kept as REG_SZ.
    const std::vector<std::vector<uint8_t>> texts{
        bytes("plain"), bytes(std::string("two\0nuls\0", 9)), bytes(std::string("no terminator")),
        bytes(std::string("line\nbreak\0", 11)), bytes(std::string("quote \" and \\ back\0", 19)),
        bytes(std::string("\xE4\xF6\xFC high\0", 9)), {}};
    for (size_t i = 0; i < texts.size(); ++i)
        ASSERT_TRUE(reg.setValue(RegRoot::CurrentUser, "Software\\Types", "sz" + std::to_string(i),
                                 regtype::Sz, texts[i]).ok());

    for (uint32_t type = 0; type <= 255; ++type) {
        auto v = reg.queryValue(RegRoot::CurrentUser, "Software\\Types", "V" + std::to_string(type));
        ASSERT_TRUE(v.ok()) << type;
        std::vector<uint8_t> expected = odd;
        expected.resize(type % 9);
        EXPECT_EQ(v->type, type);
        EXPECT_EQ(v->data, expected) << type;
    }
    for (size_t i = 0; i < texts.size(); ++i) {
        auto v = reg.queryValue(RegRoot::CurrentUser, "Software\\Types", "sz" + std::to_string(i));
        ASSERT_TRUE(v.ok());
        EXPECT_EQ(v->type, regtype::Sz);
        EXPECT_EQ(v->data, texts[i]) << i;
    }
}

TEST_F(RegistryTest, HiveIsTheRegistryEditorsExportFormat) {
    ASSERT_TRUE(reg.createKey(RegRoot::ClassesRoot, ".rux\\Shell").ok());
    ASSERT_TRUE(reg.setString(RegRoot::ClassesRoot, ".rux", "", "RUX.Document").ok());
    ASSERT_TRUE(reg.setString(RegRoot::ClassesRoot, ".rux", "Path", "C:\\A \"B\"").ok());
    ASSERT_TRUE(reg.setDword(RegRoot::ClassesRoot, ".rux", "Count", 0x1234abcd).ok());
    const uint8_t bin[] = {1, 0xab};
    ASSERT_TRUE(reg.setValue(RegRoot::ClassesRoot, ".rux", "Bin", regtype::Binary, bin).ok());
    ASSERT_TRUE(reg.setString(RegRoot::ClassesRoot, ".rux", "Exp", "%T%", regtype::ExpandSz).ok());
    ASSERT_TRUE(reg.setValue(RegRoot::ClassesRoot, ".rux", "Big", 0xff, bin).ok());
    EXPECT_EQ(readFile(hive("HKEY_CLASSES_ROOT")),
              "REGEDIT4\n"
              "\n[HKEY_CLASSES_ROOT\\.rux]\n"
              "@=\"RUX.Document\"\n"
              "\"Path\"=\"C:\\\\A \\\"B\\\"\"\n"
              "\"Count\"=dword:1234abcd\n"
              "\"Bin\"=hex:01,ab\n"
              "\"Exp\"=hex(2):25,54,25,00\n"
              "\"Big\"=hex(ff):01,ab\n"
              "\n[HKEY_CLASSES_ROOT\\.rux\\Shell]\n\n");
}

TEST_F(RegistryTest, ReadsHandWrittenExportsWithContinuedHexLines) {
    writeFile(hive("HKEY_USERS"),
              "REGEDIT4\r\n\r\n; a comment\r\n[HKEY_USERS\\S-1]\r\n\"Data\"=hex(7):41,00,\\\r\n"
              "  42,00,00\r\n\"N\"=dword:7\r\n");
    auto v = reg.queryValue(RegRoot::Users, "s-1", "data");
    ASSERT_TRUE(v.ok()) << v.error().text;
    EXPECT_EQ(v->type, regtype::MultiSz);
    EXPECT_EQ(v->data, (std::vector<uint8_t>{0x41, 0, 0x42, 0, 0}));
    EXPECT_EQ(reg.queryValue(RegRoot::Users, "S-1", "N")->data, (std::vector<uint8_t>{7, 0, 0, 0}));
}

TEST_F(RegistryTest, NamesCompareWithoutCaseAndKeepTheirCase) {
    EXPECT_TRUE(*reg.createKey(RegRoot::LocalMachine, "Software\\Acme\\Tools"));
    EXPECT_FALSE(*reg.createKey(RegRoot::LocalMachine, "SOFTWARE\\ACME\\tools"));
    EXPECT_FALSE(*reg.createKey(RegRoot::LocalMachine, "\\software\\acme\\"));
    EXPECT_FALSE(*reg.createKey(RegRoot::LocalMachine, ""));
    ASSERT_TRUE(reg.setString(RegRoot::LocalMachine, "software\\acme", "InstallDir", "C:\\A").ok());
    ASSERT_TRUE(reg.setString(RegRoot::LocalMachine, "SOFTWARE\\ACME", "INSTALLDIR", "C:\\B").ok());
    auto values = reg.values(RegRoot::LocalMachine, "Software\\Acme");
    ASSERT_TRUE(values.ok());
    ASSERT_EQ(values->size(), 1u);
    EXPECT_EQ((*values)[0].name, "InstallDir");
    EXPECT_EQ((*values)[0].data, bytes(std::string("C:\\B\0", 5)));
    auto subkeys = reg.subkeys(RegRoot::LocalMachine, "software");
    ASSERT_TRUE(subkeys.ok());
    EXPECT_EQ(*subkeys, (std::vector<std::string>{"Microsoft", "Acme"}));
}

TEST_F(RegistryTest, EnumerationFollowsCreationOrder) {
    for (const char* k : {"Zeta", "alpha", "Mid", "alpha\\Deep"}) ASSERT_TRUE(reg.createKey(RegRoot::CurrentUser, std::string("Order\\") + k).ok());
    for (const char* v : {"b", "A", "c"}) ASSERT_TRUE(reg.setDword(RegRoot::CurrentUser, "Order", v, 1).ok());
    EXPECT_EQ(*reg.subkeys(RegRoot::CurrentUser, "Order"), (std::vector<std::string>{"Zeta", "alpha", "Mid"}));
    std::vector<std::string> names;
    auto values = reg.values(RegRoot::CurrentUser, "Order");
    ASSERT_TRUE(values.ok());
    for (const auto& v : *values) names.push_back(v.name);
    EXPECT_EQ(names, (std::vector<std::string>{"b", "A", "c"}));
}

TEST_F(RegistryTest, ErrorsMirrorTheWindowsCalls) {
    ASSERT_TRUE(reg.createKey(RegRoot::CurrentUser, "Software\\Parent\\Child").ok());
    ASSERT_TRUE(reg.setDword(RegRoot::CurrentUser, "Software\\Parent", "x", 5).ok());
    struct Case {
        const char* what;
        uint32_t code;
        Status status;
    } cases[] = {
        {"delete a key with a subkey", err::KeyHasChildren, reg.deleteKey(RegRoot::CurrentUser, "Software\\Parent")},
        {"delete a missing key", err::FileNotFound, reg.deleteKey(RegRoot::CurrentUser, "Software\\Nope")},
        {"delete the root", err::AccessDenied, reg.deleteKey(RegRoot::CurrentUser, "")},
        {"delete a missing value", err::FileNotFound, reg.deleteValue(RegRoot::CurrentUser, "Software\\Parent", "y")},
        {"set in a missing key", err::FileNotFound, reg.setDword(RegRoot::CurrentUser, "Software\\Nope", "x", 1)},
        {"open a missing key", err::FileNotFound, reg.openKey(RegRoot::CurrentUser, "Software\\Nope")},
        {"an empty key name", err::InvalidParameter, reg.openKey(RegRoot::CurrentUser, "Software\\\\Parent")},
        {"a value name with a line break", err::InvalidParameter, reg.setDword(RegRoot::CurrentUser, "Software", "a\nb", 1)},
    };
    for (const auto& k : cases) EXPECT_EQ(k.status.code(), k.code) << k.what;
    EXPECT_EQ(reg.queryValue(RegRoot::CurrentUser, "Software\\Parent", "y").code(), err::FileNotFound);

    ASSERT_TRUE(reg.deleteKey(RegRoot::CurrentUser, "software\\parent\\child").ok());
    ASSERT_TRUE(reg.deleteKey(RegRoot::CurrentUser, "Software\\Parent").ok());
    EXPECT_FALSE(*reg.keyExists(RegRoot::CurrentUser, "Software\\Parent"));
}

TEST_F(RegistryTest, TooSmallBufferAnswersMoreDataAndTheSizeNeeded) {
    ASSERT_TRUE(reg.setString(RegRoot::LocalMachine, "Software", "Name", "abcdef").ok());
    uint32_t type = 0, needed = 0;
    std::vector<uint8_t> small(3), exact(7);
    auto r = reg.queryValue(RegRoot::LocalMachine, "Software", "Name", type, small, needed);
    EXPECT_EQ(r.code(), err::MoreData);
    EXPECT_EQ(needed, 7u);
    EXPECT_EQ(type, regtype::Sz);
    auto sizeOnly = reg.queryValue(RegRoot::LocalMachine, "Software", "Name", type, {}, needed);
    EXPECT_TRUE(sizeOnly.ok());
    EXPECT_EQ(needed, 7u);
    auto full = reg.queryValue(RegRoot::LocalMachine, "Software", "Name", type, exact, needed);
    ASSERT_TRUE(full.ok());
    EXPECT_EQ(*full, 7u);
    EXPECT_EQ(exact, bytes(std::string("abcdef\0", 7)));
}

TEST_F(RegistryTest, MalformedHiveIsReportedWithFileAndLineAndNeverOverwritten) {
    const struct {
        const char* text;
        int line;
    } cases[] = {
        {"REGEDIT4\n\n[HKEY_CURRENT_USER\\A]\n\"x\"=dword:zz\n", 4},
        {"REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"x\"=\"unterminated\n", 3},
        {"REGEDIT4\n[HKEY_CURRENT_USER\\A\n", 2},
        {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n", 2},
        {"REGEDIT4\n\"x\"=dword:1\n", 2},
        {"REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"x\"=hex(4):1,2\n", 3},
        {"REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"x\"=hex(123456789):01\n", 3},
        {"REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"x\"=\"a\\q\"\n", 3},
        {"REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"x\"=hex:01,\\\n", 3},
        {"REGEDIT4\n[HKEY_CURRENT_USER\\A]\nnonsense\n", 3},
        {"Windows Registry Editor Version 5.00\n", 1},
        {"", 1},
    };
    fs::path file = hive("HKEY_CURRENT_USER");
    for (const auto& k : cases) {
        writeFile(file, k.text);
        std::string where = file.string() + " line " + std::to_string(k.line) + ":";
        auto read = reg.keyExists(RegRoot::CurrentUser, "A");
        ASSERT_EQ(read.code(), err::RegistryCorrupt) << k.text;
        EXPECT_NE(read.error().text.find(where), std::string::npos) << read.error().text;
        Status write = reg.setDword(RegRoot::CurrentUser, "A", "y", 1);
        EXPECT_EQ(write.code(), err::RegistryCorrupt) << k.text;
        EXPECT_EQ(reg.createKey(RegRoot::CurrentUser, "B").code(), err::RegistryCorrupt);
        EXPECT_EQ(readFile(file), k.text);
    }
}

TEST_F(RegistryTest, FailedWriteLeavesTheOldHiveWhole) {
    ASSERT_TRUE(reg.setDword(RegRoot::LocalMachine, "Software", "Kept", 1).ok());
    std::string before = readFile(hive("HKEY_LOCAL_MACHINE"));
    ASSERT_TRUE(injectFault(machine, FaultKind::RegistryWrite, "HKLM\\software", err::DiskFull, 1).ok());
    Status s = reg.setDword(RegRoot::LocalMachine, "Software", "Lost", 2);
    EXPECT_EQ(s.code(), err::DiskFull);
    EXPECT_EQ(s.error().text.rfind("There is not enough space on the disk.", 0), 0u);
    EXPECT_EQ(readFile(hive("HKEY_LOCAL_MACHINE")), before);
    for (const auto& entry : fs::directory_iterator(machine.root() / "registry"))
        EXPECT_EQ(entry.path().filename().string().find(".HKEY"), std::string::npos) << "temporary file left";
    // The fault was used up: the next write goes through.
    EXPECT_TRUE(reg.setDword(RegRoot::LocalMachine, "Software", "Lost", 2).ok());
    EXPECT_TRUE(reg.queryValue(RegRoot::LocalMachine, "Software", "Lost").ok());
}

TEST_F(RegistryTest, InjectedFaultReachesAnotherProcess) {
    ASSERT_TRUE(injectFault(machine, FaultKind::RegistryWrite, "HKEY_CURRENT_USER\\Software", err::AccessDenied, 1).ok());
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        Registry other(*Machine::open());
        ::_exit(other.setDword(RegRoot::CurrentUser, "software", "x", 1).code() == err::AccessDenied ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_TRUE(reg.setDword(RegRoot::CurrentUser, "Software", "x", 1).ok());  // used up there
}

TEST_F(RegistryTest, TwoProcessesWritingOneHiveLoseNothing) {
    constexpr int kWrites = 150;
    ASSERT_TRUE(reg.createKey(RegRoot::CurrentUser, "Software\\Race").ok());
    pid_t children[2];
    for (int c = 0; c < 2; ++c) {
        children[c] = ::fork();
        ASSERT_GE(children[c], 0);
        if (children[c] == 0) {
            auto m = Machine::open();
            if (!m) ::_exit(2);
            Registry mine(*m);
            for (int i = 0; i < kWrites; ++i) {
                std::string key = "Software\\Race\\P" + std::to_string(c) + "\\K" + std::to_string(i % 10);
                if (!mine.createKey(RegRoot::CurrentUser, key).ok()) ::_exit(1);
                if (!mine.setDword(RegRoot::CurrentUser, "Software\\Race", "p" + std::to_string(c) + "_" + std::to_string(i), i).ok())
                    ::_exit(1);
            }
            ::_exit(0);
        }
    }
    for (pid_t child : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    auto values = reg.values(RegRoot::CurrentUser, "Software\\Race");
    ASSERT_TRUE(values.ok());
    EXPECT_EQ(values->size(), 2u * kWrites);
    for (int c = 0; c < 2; ++c) {
        EXPECT_EQ(reg.subkeys(RegRoot::CurrentUser, "Software\\Race\\P" + std::to_string(c))->size(), 10u);
        for (int i = 0; i < kWrites; ++i) {
            auto v = reg.queryValue(RegRoot::CurrentUser, "Software\\Race", "p" + std::to_string(c) + "_" + std::to_string(i));
            ASSERT_TRUE(v.ok()) << c << " " << i;
            EXPECT_EQ(v->data[0], uint8_t(i));
        }
    }
}

TEST(RegistryRoots, LongAndShortNames) {
    EXPECT_EQ(parseRootName("hklm"), RegRoot::LocalMachine);
    EXPECT_EQ(parseRootName("HKEY_CURRENT_USER"), RegRoot::CurrentUser);
    EXPECT_EQ(parseRootName("HKCR"), RegRoot::ClassesRoot);
    EXPECT_EQ(parseRootName("HKU"), RegRoot::Users);
    EXPECT_EQ(parseRootName("HKEY_CURRENT_CONFIG"), std::nullopt);
    EXPECT_EQ(rootName(RegRoot::Users), "HKEY_USERS");
}

}  // namespace
