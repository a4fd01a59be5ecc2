#include "platform/ShellLink.h"

#include <gtest/gtest.h>

#include <cstring>

#include "support/TempFolder.h"

using namespace platform;

namespace {

uint32_t u32(const std::vector<uint8_t>& b, size_t at) {
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}

TEST(ShellLink, EncodesTheDocumentedLayoutAndReadsItBack) {
    const ShellLink links[] = {
        {"C:\\Program Files\\Acme\\acme.exe", "Acme Tools", "C:\\Program Files\\Acme"},
        {"C:\\Program Files\\Acme\\readme.txt", "", ""},
        {"Z:\\usr\\bin\\x", std::string(300, 'd'), "Z:\\"},
    };
    for (const auto& link : links) {
        auto bytes = encodeShellLink(link);
        ASSERT_GE(bytes.size(), 76u + 0x1C);
        EXPECT_EQ(u32(bytes, 0), 0x4Cu);
        const uint8_t clsid[16] = {0x01, 0x14, 0x02, 0, 0, 0, 0, 0, 0xC0, 0, 0, 0, 0, 0, 0, 0x46};
        EXPECT_EQ(std::memcmp(bytes.data() + 4, clsid, 16), 0);
        uint32_t flags = u32(bytes, 20);
        EXPECT_EQ(flags & 0x80, 0u) << "strings are ANSI";
        EXPECT_EQ(flags & 0x02, 0x02u);
        EXPECT_EQ((flags & 0x04) != 0, !link.description.empty());
        EXPECT_EQ((flags & 0x10) != 0, !link.workingFolder.empty());
        // LinkInfo: VolumeIDAndLocalBasePath, and the base path where its offset says.
        EXPECT_EQ(u32(bytes, 76 + 8), 1u);
        size_t base = 76 + u32(bytes, 76 + 16);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes.data() + base)), link.target);
        EXPECT_EQ(u32(bytes, bytes.size() - 4), 0u) << "terminal block";

        auto back = decodeShellLink(bytes);
        ASSERT_TRUE(back.ok()) << back.error().text;
        EXPECT_EQ(back->target, link.target);
        EXPECT_EQ(back->description, link.description);
        EXPECT_EQ(back->workingFolder, link.workingFolder);
    }
}

TEST(ShellLink, EveryTruncationAndABadSizeIsRejected) {
    auto bytes = encodeShellLink({"C:\\Windows\\notepad.exe", "Notepad", "C:\\Windows"});
    for (size_t n = 0; n < bytes.size(); ++n) {
        std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + long(n));
        EXPECT_EQ(decodeShellLink(cut).code(), err::InvalidData) << n;
    }
    auto hugeInfo = bytes;
    hugeInfo[76 + 3] = 0x7F;  // LinkInfoSize far past the end
    EXPECT_EQ(decodeShellLink(hugeInfo).code(), err::InvalidData);
    auto badPathOffset = bytes;
    badPathOffset[76 + 16] = 0xF0;  // LocalBasePathOffset outside the LinkInfo
    EXPECT_EQ(decodeShellLink(badPathOffset).code(), err::InvalidData);
    auto notALink = bytes;
    notALink[4] ^= 1;
    EXPECT_EQ(decodeShellLink(notALink).code(), err::InvalidData);
}

TEST(ShellLink, WrittenIntoTheMachineAndReadBack) {
    Machine m = *Machine::open();
    ShellLink link{"C:\\Program Files\\Acme\\acme.exe", "Acme", "C:\\Program Files\\Acme"};
    ASSERT_TRUE(writeShellLink(m, "C:\\Windows\\Start Menu\\Programs\\Acme.lnk", link).ok());
    EXPECT_TRUE(std::filesystem::is_regular_file(m.root() / "drive_c/Windows/Start Menu/Programs/Acme.lnk"));
    auto back = readShellLink(m, "c:\\windows\\start menu\\programs\\ACME.LNK");
    ASSERT_TRUE(back.ok());
    EXPECT_EQ(back->target, link.target);
    EXPECT_EQ(writeShellLink(m, "C:\\Windows\\Start Menu\\Programs\\No Group\\Acme.lnk", link).code(),
              err::PathNotFound);
    EXPECT_EQ(readShellLink(m, "C:\\Windows\\missing.lnk").code(), err::FileNotFound);
}

}  // namespace
