// The settings services: reads with the caller's default, writes that create keys, the recursive
// deletion, and the product's settings below "Products\<full product name>".
#include "core/CoreFixture.h"

#include "authoring/core/nv_registry_create_setup.h"
#include "platform/Faults.h"
#include "platform/Registry.h"
#include "runtime/services/RegistryFunctions.h"

namespace {

using core_test::CoreFixture;
using core_test::StandInProjectService;
using pakomo::nv_registry_create_setup;
namespace reg = runtime::registry;

const std::string kRoot = "HKEY_CURRENT_USER\\Software\\RUX\\Pakomo 1.0e";

class SettingsTest : public CoreFixture {
protected:
    void SetUp() override {
        CoreFixture::SetUp();
        application().g_str_pass.full_appname = "Pakomo 1.0e";
        project = runtime::create<StandInProjectService>();
        application().gnv_create_setup = project;
        settings = runtime::create<nv_registry_create_setup>();
    }
    void TearDown() override {
        runtime::destroy(settings);
        runtime::destroy(project);
        CoreFixture::TearDown();
    }
    platform::Registry registry() { return platform::Registry(platform::Machine::open().value()); }

    runtime::Ref<StandInProjectService> project;
    runtime::Ref<nv_registry_create_setup> settings;
};

TEST_F(SettingsTest, RootNamesTheFullApplicationNameSoAnotherVersionKeepsItsOwnSettings) {
    EXPECT_EQ(settings->is_appl_root, kRoot);
    ASSERT_TRUE(reg::setString(kRoot + "\\Db", "Dsn", "Projects"));
    ASSERT_TRUE(reg::setString("HKEY_CURRENT_USER\\Software\\RUX\\Pakomo 1.0f\\Db", "Dsn", "Other"));
    EXPECT_EQ(settings->fnv_get_db_dsn(), "Projects");
    ASSERT_TRUE(reg::setString(kRoot + "\\Help", "Path", "C:\\Help"));
    EXPECT_EQ(settings->fnv_get_help_path(), "C:\\Help");
}

TEST_F(SettingsTest, AnythingButAStoredValueOfTheRightTypeGivesTheCallersDefault) {
    auto reg = registry();
    const std::string sub = "Software\\RUX\\Pakomo 1.0e\\Cases";
    ASSERT_TRUE(reg.createKey(platform::RegRoot::CurrentUser, sub).ok());
    ASSERT_TRUE(reg.setDword(platform::RegRoot::CurrentUser, sub, "Number", 7).ok());
    ASSERT_TRUE(reg.setString(platform::RegRoot::CurrentUser, sub, "Text", "seven").ok());
    const uint8_t bytes[] = {1, 2, 3, 4};
    ASSERT_TRUE(reg.setValue(platform::RegRoot::CurrentUser, sub, "Binary", platform::regtype::Binary, bytes).ok());
    ASSERT_TRUE(reg.setString(platform::RegRoot::CurrentUser, sub, "Expand", "%x%", platform::regtype::ExpandSz).ok());

    struct Case {
        const char* section;
        const char* value;
        const char* text;     // expected by fnv_get_string with default "dflt"
        uint32_t number;      // expected by fnv_get_number with default 99
    } cases[] = {
        {"Missing", "Number", "dflt", 99},  // missing key
        {"Cases", "Absent", "dflt", 99},    // missing value
        {"Cases", "Number", "dflt", 7},     // a number read as text: the default
        {"Cases", "Text", "seven", 99},     // a text read as a number: the default, not 0
        {"Cases", "Binary", "dflt", 99},
        {"Cases", "Expand", "dflt", 99},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.section) + "/" + c.value);
        EXPECT_EQ(settings->fnv_get_string(c.section, c.value, "dflt"), c.text);
        EXPECT_EQ(settings->fnv_get_number(c.section, c.value, 99), c.number);
    }
    EXPECT_EQ(settings->fnv_get_db_dsn(), "");
    EXPECT_EQ(settings->fnv_get_help_path(), "");
}

TEST_F(SettingsTest, WritesCreateEveryMissingKeyAndAFailedWriteAnswersMinusOne) {
    EXPECT_EQ(settings->fnv_set_string("A\\B\\C", "Name", "value"), 1);
    EXPECT_EQ(reg::getString(kRoot + "\\A\\B\\C", "Name"), "value");
    EXPECT_EQ(settings->fnv_set_number("A\\N", "Count", 4000000000u), 1);
    EXPECT_EQ(settings->fnv_get_number("A\\N", "Count", 0), 4000000000u);

    ASSERT_TRUE(platform::injectFault(platform::Machine::open().value(), platform::FaultKind::RegistryWrite,
                                      kRoot + "\\A\\B\\C")
                    .ok());
    EXPECT_EQ(settings->fnv_set_string("A\\B\\C", "Name", "other"), -1);
    EXPECT_EQ(settings->fnv_set_number("A\\B\\C", "Name", 1), -1);
    EXPECT_EQ(reg::getString(kRoot + "\\A\\B\\C", "Name"), "value");
}

TEST_F(SettingsTest, DeletingAKeyTakesEverythingBelowItAndAMissingKeyAnswersFalse) {
    for (const char* section : {"Top\\One\\Deep\\Deeper", "Top\\One\\Side", "Top\\Two", "Keep"})
        ASSERT_EQ(settings->fnv_set_string(section, "v", "x"), 1);
    EXPECT_TRUE(settings->fnv_delete_regkey("Top"));
    EXPECT_FALSE(reg::subkeys(kRoot + "\\Top").has_value());
    EXPECT_EQ(reg::subkeys(kRoot), std::vector<std::string>{"Keep"});

    EXPECT_FALSE(settings->fnv_delete_key(kRoot + "\\Nowhere"));
    EXPECT_EQ(reg::subkeys(kRoot), std::vector<std::string>{"Keep"});
    // The settings root itself is never deleted through a relative name.
    EXPECT_FALSE(settings->fnv_delete_regkey(""));
    EXPECT_FALSE(settings->fnv_delete_regkey("\\"));
    EXPECT_EQ(reg::getString(kRoot + "\\Keep", "v"), "x");
}

TEST_F(SettingsTest, ADeletionThatFailsBelowStopsThereAndKeepsTheKeysAbove) {
    for (const char* section : {"Top\\One\\Deep", "Top\\Two"}) ASSERT_EQ(settings->fnv_set_string(section, "v", "x"), 1);
    ASSERT_TRUE(platform::injectFault(platform::Machine::open().value(), platform::FaultKind::RegistryWrite,
                                      kRoot + "\\Top\\One\\Deep")
                    .ok());
    EXPECT_FALSE(settings->fnv_delete_regkey("Top"));
    EXPECT_EQ(reg::subkeys(kRoot + "\\Top"), (std::vector<std::string>{"One", "Two"}))
        << "the names after a failed one are not gone through";
    ASSERT_TRUE(platform::clearFaults(platform::Machine::open().value()).ok());
    EXPECT_TRUE(settings->fnv_delete_regkey("Top"));
}

TEST_F(SettingsTest, ProductSettingsFollowTheHeldProductsFullName) {
    project->fullprodname = "Alpha 1.00.00 Empty";
    EXPECT_EQ(settings->fnv_get_product_regkey(""), "Products\\Alpha 1.00.00 Empty");
    EXPECT_EQ(settings->fnv_get_product_regkey("BuildParms"), "Products\\Alpha 1.00.00 Empty\\BuildParms");

    EXPECT_EQ(settings->fnv_get_compiled(0), 0u);
    EXPECT_EQ(settings->fnv_get_filedest("C:\\Out"), "C:\\Out");
    EXPECT_EQ(settings->fnv_set_size(1440), 1);
    EXPECT_EQ(reg::getNumber(kRoot + "\\Products\\Alpha 1.00.00 Empty\\BuildParms", "Size"), 1440u);
    EXPECT_EQ(settings->fnv_set_compiled(1), 1);
    EXPECT_EQ(settings->fnv_set_filedest("C:\\Discs"), 1);
    EXPECT_EQ(settings->fnv_set_sizetype(2), 1);
    EXPECT_EQ(settings->fnv_set_compression_level(19), 1);
    EXPECT_EQ(settings->fnv_set_selectfiles_path("C:\\Src"), 1);
    EXPECT_EQ(settings->fnv_get_sizetype(0), 2u);
    EXPECT_EQ(settings->fnv_get_compression_level(0), 19u);
    EXPECT_EQ(settings->fnv_get_selectfiles_path("."), "C:\\Src");

    project->fullprodname = "Beta 2 Empty";
    EXPECT_EQ(settings->fnv_get_compiled(0), 0u) << "another product starts from the defaults";
    EXPECT_EQ(settings->fnv_set_compiled(1), 1);
    EXPECT_EQ(settings->fnv_get_redist_path("R"), "R");

    project->fullprodname = "Alpha 1.00.00 Empty";
    EXPECT_TRUE(settings->fnv_delete_product());
    EXPECT_EQ(settings->fnv_get_compiled(0), 0u);
    EXPECT_EQ(settings->fnv_get_filedest(""), "");
    EXPECT_EQ(reg::subkeys(kRoot + "\\Products"), std::vector<std::string>{"Beta 2 Empty"});
}

TEST_F(SettingsTest, AnEmptyProductNameNeverDeletesEveryProductsSettings) {
    project->fullprodname = "Alpha 1 Empty";
    ASSERT_EQ(settings->fnv_set_compiled(1), 1);
    for (const char* name : {"", "   "}) {
        project->fullprodname = name;
        EXPECT_FALSE(settings->fnv_delete_product());
    }
    project->fullprodname = "Alpha 1 Empty";
    EXPECT_EQ(settings->fnv_get_compiled(0), 1u);
}

TEST_F(SettingsTest, FileListColumnWidthsDefaultAndRoundTrip) {
    std::vector<int16_t> widths;
    settings->fnv_get_positions_fileview(widths);
    EXPECT_EQ(widths, (std::vector<int16_t>{1096, 256, 528}));
    settings->fnv_set_positions_fileview({700, 300, 400});
    EXPECT_EQ(reg::getNumber(kRoot + "\\Positions\\Fileview", "Column1"), 700u);
    std::vector<int16_t> again;
    settings->fnv_get_positions_fileview(again);
    EXPECT_EQ(again, (std::vector<int16_t>{700, 300, 400}));
}

TEST_F(SettingsTest, ProductSettingsWithoutAProjectServiceAreARuntimeError) {
    application().gnv_create_setup.reset();
    EXPECT_THROW(settings->fnv_get_compiled(0), runtime::RuntimeError);
}

}  // namespace
