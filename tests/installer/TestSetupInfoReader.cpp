// The setup information reader: a valid file field by field, and the damaged files it refuses.
#include "SetupFixture.h"
#include "installer/logic/SetupInfo.h"

#include <gtest/gtest.h>

using namespace setup;
using namespace setup_test;

namespace {

FxProduct richProduct() {
    FxProduct p;
    p.name = "My Tool";
    p.version = "2.0.1";
    p.components = {FxComponent{1, "Main", "^SETUPPATH^", 0, 1, 0, "Main files"},
                    FxComponent{2, "Docs", "^SETUPPATH^\\Docs", 1, 2, 1, ""},
                    FxComponent{3, "Extra", "^PATH_Docs^\\X", 2, 0, 0, "Extra\0hidden"}};
    p.components[2].description = std::string("Extra\0hidden", 12);
    p.files = {FxFile{1, "app.exe", "exe", 0, 1, "App", 1}, FxFile{2, "sub\\readme.txt", "read me", 1}};
    p.files[0].storedSize = 11;
    p.registry = {FxRegistry{1, 3, "Software\\Maker", "Count", 4, "0x0000002A"},
                  FxRegistry{2, 2, "Software\\Maker", "", 1, ""},
                  FxRegistry{2, 1, ".tool", "Raw", 255, std::string("a\0b", 3)}};
    p.strings = {{"COMPANY", "Maker"}, {"EMPTY", ""}};
    return p;
}

SetupInfoParse parse(const std::vector<uint8_t>& bytes) { return ParseSetupInfo(bytes); }

void putU32(std::vector<uint8_t>& b, std::size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = uint8_t(v >> (8 * i));
}

}  // namespace

TEST(SetupInfoReader, ReadsEveryRecordOfAValidFile) {
    auto product = richProduct();
    product.reserved = 7;
    auto parsed = parse(encodeSetupInfo(product));
    ASSERT_TRUE(parsed.info) << parsed.detail;
    const SetupInfo& info = *parsed.info;
    EXPECT_EQ(info.header.productName, "My Tool");
    EXPECT_EQ(info.header.version, "2.0.1");
    EXPECT_EQ(info.header.reserved, 7u);
    EXPECT_EQ(info.header.defaultDestination, "C:\\Program Files\\Tool");
    EXPECT_EQ(info.wizard.programGroup, 1u);
    EXPECT_EQ(info.mainWindow.title, "^PRODUCTNAME^ Setup");
    EXPECT_EQ(info.mainWindow.backgroundColour, 0x800000u);
    ASSERT_EQ(info.backgroundTexts.size(), 1u);
    EXPECT_EQ(info.backgroundTexts[0].text, "Welcome");
    EXPECT_EQ(info.backgroundTexts[0].top, 200u);
    EXPECT_EQ(info.backgroundTexts[0].pointSize, 24);
    EXPECT_EQ(info.backgroundTexts[0].faceName, "Arial");
    EXPECT_EQ(info.license.text, "Licence text");
    EXPECT_EQ(info.user.key, "Maker\\Tool");
    EXPECT_EQ(info.user.text, "User");
    EXPECT_EQ(info.finished.text, "Done");
    EXPECT_EQ(info.finished.secondChoice, "Later");
    EXPECT_EQ(info.programGroup.defaultGroup, "Tool");
    EXPECT_EQ(info.programGroup.text, "Group");
    EXPECT_EQ(info.readme.checkBoxText, "Show readme");
    EXPECT_EQ(info.progress.showFileName, 1u);
    ASSERT_EQ(info.registryEntries.size(), 3u);
    EXPECT_EQ(info.registryEntries[0].data, "0x0000002A");
    EXPECT_EQ(info.registryEntries[0].valueType, 4);
    EXPECT_EQ(info.registryEntries[1].data, "");
    EXPECT_EQ(info.registryEntries[2].data, std::string("a\0b", 3));
    EXPECT_EQ(info.registryEntries[2].root, 1);
    ASSERT_EQ(info.stringVariables.size(), 2u);
    EXPECT_EQ(info.stringVariables[0].value, "Maker");
    ASSERT_EQ(info.components.size(), 3u);
    EXPECT_EQ(info.components[0].description, "Main files");
    EXPECT_EQ(info.components[1].description, "");
    EXPECT_EQ(info.components[2].description, "Extra");  // used as text: cut at its zero byte
    EXPECT_EQ(info.components[1].parentId, 1u);
    EXPECT_EQ(info.components[1].setupBits, 2);
    EXPECT_EQ(info.components[1].requiredId, 1u);
    EXPECT_EQ(info.components[2].destination, "^PATH_Docs^\\X");
    ASSERT_EQ(info.files.size(), 2u);
    EXPECT_EQ(info.files[0].shortcutText, "App");
    EXPECT_EQ(info.files[0].shared, 1u);
    EXPECT_EQ(info.files[0].storedSize, 11u);
    EXPECT_EQ(info.files[0].installedSize, 3u);
    EXPECT_EQ(info.files[1].name, "sub\\readme.txt");
    EXPECT_EQ(info.files[1].time, kFileTime);
    ASSERT_TRUE(info.reservedTrailer);
    EXPECT_EQ((*info.reservedTrailer)[11], 0x5A);
}

TEST(SetupInfoReader, EmptyProductReads) {
    FxProduct p;
    p.components.clear();
    p.license.clear();
    auto parsed = parse(encodeSetupInfo(p));
    ASSERT_TRUE(parsed.info);
    EXPECT_TRUE(parsed.info->components.empty());
    EXPECT_TRUE(parsed.info->license.text.empty());
    EXPECT_FALSE(parsed.info->reservedTrailer);
}

TEST(SetupInfoReader, EveryShorterFileIsTruncated) {
    for (uint32_t reserved : {0u, 1u}) {
        auto product = richProduct();
        product.reserved = reserved;
        std::vector<std::size_t> boundaries;
        auto bytes = encodeSetupInfo(product, &boundaries);
        ASSERT_TRUE(parse(bytes).info);
        // At every record, array and text boundary, and at every byte in between.
        for (std::size_t size = 0; size < bytes.size(); ++size) {
            auto parsed = parse({bytes.begin(), bytes.begin() + std::ptrdiff_t(size)});
            ASSERT_FALSE(parsed.info) << "size " << size;
            EXPECT_EQ(parsed.fault, SetupInfoFault::Truncated) << "size " << size;
        }
    }
}

TEST(SetupInfoReader, CountsAndLengthsBeyondTheFileAreRefused) {
    FxProduct product = richProduct();
    std::vector<std::size_t> b;
    auto bytes = encodeSetupInfo(product, &b);
    // b[2] ends the main window record: the background-text count; b[5] ends the welcome record:
    // the licence memo's length; b[15] ends the progress record: the registry count.
    for (std::size_t at : {b[2], b[5], b[15]}) {
        for (uint32_t value : {0xFFFFFFFFu, 0x80000000u, 0x00C4EC4Fu}) {
            auto damaged = bytes;
            putU32(damaged, at, value);
            auto parsed = parse(damaged);
            EXPECT_FALSE(parsed.info) << at << " " << value;
            EXPECT_EQ(parsed.fault, SetupInfoFault::Truncated);
        }
    }
    // A registry entry's data length (offset 519 of the first entry, which starts at b[16]).
    auto damaged = bytes;
    putU32(damaged, b[16] + 519, 0xFFFFFFF0u);
    EXPECT_EQ(parse(damaged).fault, SetupInfoFault::Truncated);
}

TEST(SetupInfoReader, TextsWithoutTerminatorAreCutAtTheirLastByte) {
    FxProduct product;
    auto bytes = encodeSetupInfo(product);
    std::fill(bytes.begin(), bytes.begin() + 33, 'N');      // product name, char[33]
    std::fill(bytes.begin() + 70, bytes.begin() + 325, 'D');  // destination, char[255]
    auto parsed = parse(bytes);
    ASSERT_TRUE(parsed.info);
    EXPECT_EQ(parsed.info->header.productName, std::string(32, 'N'));
    EXPECT_EQ(parsed.info->header.version, "1.0");
    EXPECT_EQ(parsed.info->header.defaultDestination, std::string(254, 'D'));
}

TEST(SetupInfoReader, RefusesBrokenComponentTreesAndUnsafeNames) {
    struct Case {
        const char* what;
        std::vector<FxComponent> components;
        std::string fileName;
        SetupInfoFault fault;
    };
    const std::vector<Case> cases{
        {"self parent", {{1, "A", "C:\\A", 1}}, "a", SetupInfoFault::ParentCycle},
        {"two-cycle", {{1, "A", "C:\\A", 2}, {2, "B", "C:\\B", 1}}, "a", SetupInfoFault::ParentCycle},
        {"three-cycle below a root", {{9, "R", "C:\\R"}, {1, "A", "C:\\A", 3}, {2, "B", "C:\\B", 1}, {3, "C", "C:\\C", 2}},
         "a", SetupInfoFault::ParentCycle},
        {"duplicate id", {{1, "A", "C:\\A"}, {1, "B", "C:\\B"}}, "a", SetupInfoFault::DuplicateComponentId},
        {"parent up", {{1, "A", "C:\\A"}}, "..\\x", SetupInfoFault::UnsafeFileName},
        {"inner parent", {{1, "A", "C:\\A"}}, "sub\\..\\..\\x", SetupInfoFault::UnsafeFileName},
        {"drive", {{1, "A", "C:\\A"}}, "C:\\Windows\\x", SetupInfoFault::UnsafeFileName},
        {"drive relative", {{1, "A", "C:\\A"}}, "C:x", SetupInfoFault::UnsafeFileName},
        {"rooted", {{1, "A", "C:\\A"}}, "\\Windows\\x", SetupInfoFault::UnsafeFileName},
        {"slash rooted", {{1, "A", "C:\\A"}}, "/etc/x", SetupInfoFault::UnsafeFileName},
        {"unc", {{1, "A", "C:\\A"}}, "\\\\server\\share\\x", SetupInfoFault::UnsafeFileName},
        {"empty", {{1, "A", "C:\\A"}}, "", SetupInfoFault::UnsafeFileName},
        {"dot folder", {{1, "A", "C:\\A"}}, ".\\x", SetupInfoFault::UnsafeFileName},
        {"subfolder is fine", {{1, "A", "C:\\A", 0}, {2, "B", "C:\\B", 1}}, "sub\\deeper/x.txt", SetupInfoFault::None},
        {"unknown parent is top level", {{1, "A", "C:\\A", 77}}, "x", SetupInfoFault::None},
    };
    for (const auto& c : cases) {
        FxProduct p;
        p.components = c.components;
        p.files = {FxFile{c.components[0].id, c.fileName, "x"}};
        auto parsed = parse(encodeSetupInfo(p));
        EXPECT_EQ(parsed.fault, c.fault) << c.what;
        EXPECT_EQ(parsed.info.has_value(), c.fault == SetupInfoFault::None) << c.what;
    }
}

TEST(SetupInfoReader, BytesAfterTheLastRecordAreRefused) {
    FxProduct p;
    auto bytes = encodeSetupInfo(p);
    bytes.push_back(0);
    EXPECT_EQ(parse(bytes).fault, SetupInfoFault::TrailingBytes);
    // The reserved field announces 12 more bytes; without it they are extra.
    p.reserved = 1;
    auto withTrailer = encodeSetupInfo(p);
    withTrailer[50] = 0;
    EXPECT_EQ(parse(withTrailer).fault, SetupInfoFault::TrailingBytes);
}
