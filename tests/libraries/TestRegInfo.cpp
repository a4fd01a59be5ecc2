// The registry-reading library: the values of one key of the machine's registry as a text file
// of tab-separated lines in the machine's temporary folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "libraries/regread/ruxreg.h"
#include "platform/Registry.h"

namespace {

namespace fs = std::filesystem;
namespace rt = platform::regtype;
using platform::RegRoot;

class RegInfoTest : public ::testing::Test {
protected:
    void SetUp() override {
        auto opened = platform::Machine::open();
        ASSERT_TRUE(opened.ok()) << opened.error().text;
        machine_.emplace(std::move(opened.value()));
        registry_.emplace(*machine_);
        ASSERT_TRUE(registry_->createKey(RegRoot::CurrentUser, kKey).ok());
    }

    fs::path tempFolder() const { return *machine_->hostPath(machine_->tempFolder()); }
    std::set<std::string> tempFiles() const {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(tempFolder()))
            names.insert(entry.path().filename().string());
        return names;
    }
    std::string contentOf(const std::string& windowsPath) const {
        std::ifstream in(*machine_->hostPath(windowsPath), std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }
    void set(const std::string& name, uint32_t type, std::vector<uint8_t> data) {
        ASSERT_TRUE(registry_->setValue(RegRoot::CurrentUser, kKey, name, type, data).ok()) << name;
    }

    static inline const std::string kKey = "Software\\RegRead Test";
    std::optional<platform::Machine> machine_;
    std::optional<platform::Registry> registry_;
};

std::vector<uint8_t> bytes(std::string_view text, bool nul = true) {
    std::vector<uint8_t> out(text.begin(), text.end());
    if (nul) out.push_back(0);
    return out;
}

TEST_F(RegInfoTest, WritesOneLinePerValueInTheFormsTheInstallerReads) {
    set("", rt::Sz, bytes("default text"));
    set("Path with blanks", rt::ExpandSz, bytes("%TEMP%\\My Files  x"));
    set("Count", rt::Dword, {0x2a, 0x01, 0x00, 0x80});
    set("Order", rt::DwordBigEndian, {0x01, 0x02, 0x03, 0xff});
    set("Blob", rt::Binary, {0xde, 0xad, 0x00, 0x0f});
    set("Empty", rt::Binary, {});
    set("Nothing", rt::None, {0x01});
    set("List", rt::MultiSz, {'a', 0, 'b', 0, 0});
    set("Short word", rt::Dword, {0x01, 0x02});
    set("Quad", 11, {1, 0, 0, 0, 0, 0, 0, 0});
    set("Ends early", rt::Sz, bytes(std::string("cut\0here", 8)));
    // What one line cannot carry is left out rather than breaking the file.
    set("Tab\there", rt::Sz, bytes("x"));
    set("Two lines", rt::Sz, bytes("first\r\nsecond"));
    set("Tabbed data", rt::ExpandSz, bytes("a\tb"));

    const std::set<std::string> before = tempFiles();
    std::string key = "HKEY_CURRENT_USER\\" + kKey;
    std::string file(256, ' ');
    ASSERT_TRUE(pakomo::RegInfo(key, file));
    EXPECT_EQ(key, "HKEY_CURRENT_USER\\" + kKey);

    ASSERT_GE(file.size(), 5u);
    EXPECT_LE(file.size(), 255u);
    const std::string extension = file.substr(file.size() - 4);
    EXPECT_EQ(extension[0], '.');
    EXPECT_NE(std::string(".txt"), extension);
    const fs::path host = *machine_->hostPath(file);
    EXPECT_EQ(host.parent_path(), tempFolder()) << file;
    std::set<std::string> added = tempFiles();
    for (const std::string& name : before) added.erase(name);
    EXPECT_EQ(added, std::set<std::string>{host.filename().string()}) << "the file and nothing else";

    EXPECT_EQ(contentOf(file),
              "\t1\tdefault text\r\n"
              "Path with blanks\t2\t%TEMP%\\My Files  x\r\n"
              "Count\t4\t0x8000012a\r\n"
              "Order\t5\t0x010203ff\r\n"
              "Blob\t3\tde,ad,00,0f\r\n"
              "Empty\t3\t\r\n"
              "Nothing\t0\t01\r\n"
              "List\t7\t61,00,62,00,00\r\n"
              "Short word\t4\t01,02\r\n"
              "Quad\t255\t01,00,00,00,00,00,00,00\r\n"
              "Ends early\t1\tcut\r\n");
    fs::remove(host);
}

TEST_F(RegInfoTest, ARootAndAKeyWithoutValuesGiveAnEmptyFile) {
    for (std::string key : {std::string("HKEY_CURRENT_USER\\") + kKey, std::string("HKEY_USERS")}) {
        SCOPED_TRACE(key);
        if (key == "HKEY_USERS") {
            std::vector<platform::RegValue> rootValues = *registry_->values(RegRoot::Users, "");
            ASSERT_TRUE(rootValues.empty()) << "a fresh machine keeps no values on this root";
        }
        std::string file(256, ' ');
        ASSERT_TRUE(pakomo::RegInfo(key, file));
        EXPECT_EQ(contentOf(file), "");
        fs::remove(*machine_->hostPath(file));
    }
}

TEST_F(RegInfoTest, AKeyThatCannotBeReadGivesFalseAndLeavesNoFile) {
    set("Value", rt::Sz, bytes("x"));
    const std::set<std::string> before = tempFiles();
    for (std::string key : {std::string("HKEY_CURRENT_USER\\") + kKey + "\\Missing",
                            std::string("HKEY_NOWHERE\\") + kKey, std::string("")}) {
        SCOPED_TRACE(key);
        std::string file(256, ' ');
        EXPECT_FALSE(pakomo::RegInfo(key, file));
        EXPECT_EQ(file, std::string(256, ' '));
    }
    EXPECT_EQ(tempFiles(), before);
}

}  // namespace
