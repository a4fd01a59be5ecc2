// The variable table and the expansion of ^NAME^ references.
#include "InstallerTestSupport.h"
#include "installer/logic/CVariableTable.h"
#include "platform/Registry.h"

using namespace setup;
using namespace setup_test;

namespace {

struct Variables : ::testing::Test {
    SetupRun run;
    FxProduct product;
    void SetUp() override {
        product.name = "My Tool";
        product.version = "2.0";
        product.destination = "C:\\Apps\\Tool";
        product.components = {FxComponent{1, "Main", "^SETUPPATH^"}, FxComponent{2, "Tools", "^PROGRAMFILESDIR^\\Tools"},
                              FxComponent{3, "Nested", "^PATH_Tools^\\Sub"}, FxComponent{4, "Data", "^SETUPPATH^\\Data"}};
        product.strings = {{"A", "x^A^y"},     {"B", "b^C^"},         {"C", "c^B^"}, {"EMPTY", ""},
                           {"PRODUCTNAME", "shadowed"}, {"CARET", "^"}, {"DEEP", "<^PATH_Nested^>"}};
        run.prepare(product);
    }
    std::string expand(std::string_view text) { return run.app->ExpandVariables(text); }
};

}  // namespace

TEST_F(Variables, ExpandsReferencesAsTheInstallerDoes) {
    const std::string programFiles = run.machine.programFilesFolder();
    const std::vector<std::pair<std::string, std::string>> cases{
        {"^PRODUCTNAME^ ^PRODUCTVERSION^", "My Tool 2.0"},
        {"^productname^", "My Tool"},  // names compare without case
        {"^PATH_main^", "C:\\Apps\\Tool"},
        {"^path_Main^", "^path_Main^"},  // only an upper-case PATH_ names a component
        {"^NOSUCHNAME^", "^NOSUCHNAME^"},
        {"^^", "^^"},
        {"50^%", "50%"},
        {"^EMPTY^", "^EMPTY^"},
        {"^WINDOWSDRIVE^:\\", "C:\\"},
        {"^WINDOWSDIR^|^WINDOWSSYSTEMDIR^", "C:\\Windows|C:\\Windows\\System32"},
        {"^A^", "x<Circular reference!>y"},
        {"^B^", "bc<Circular reference!>"},
        {"^PATH_Nested^", programFiles + "\\Tools\\Sub"},
        {"^DEEP^", "<" + programFiles + "\\Tools\\Sub>"},
        {"^PATH_Data^", "C:\\Apps\\Tool\\Data"},
        {"^CARET^B^", "B"},  // the value's lone caret disappears in its own expansion
    };
    for (const auto& [text, expected] : cases) EXPECT_EQ(expand(text), expected) << text;
}

TEST_F(Variables, SetupPathFollowsTheChosenDestinationAndFallsBackWhenCleared) {
    run.app->info().header.defaultDestination = "D:\\Chosen";
    EXPECT_EQ(expand("^PATH_Data^"), "D:\\Chosen\\Data");
    run.app->info().header.defaultDestination.clear();
    EXPECT_EQ(expand("^SETUPPATH^"), "C:\\Apps\\Tool");  // the file's value, kept in the table
    VariableIdentity id;
    run.app->LookupVariable("setuppath", &id);
    EXPECT_EQ(id.kind, VariableIdentity::Kind::TableEntry);
    EXPECT_EQ(id.index, std::size_t(CVariableTable::SetupPath));
}

TEST_F(Variables, MissingProgramFilesValueLeavesReferencesUnchanged) {
    platform::Registry registry(run.machine);
    ASSERT_TRUE(registry.deleteValue(platform::RegRoot::LocalMachine, CurrentVersionKey, "ProgramFilesDir"));
    ASSERT_TRUE(run.app->BuildVariableTable());
    EXPECT_EQ(expand("^PROGRAMFILESDIR^\\X"), "^PROGRAMFILESDIR^\\X");
}

TEST_F(Variables, LongChainsAndDoublingReferencesEndWithoutExhaustingMemory) {
    auto& strings = run.app->info().stringVariables;
    strings.clear();
    for (int i = 0; i < 3000; ++i) strings.push_back({"V" + std::to_string(i), "^V" + std::to_string(i + 1) + "^"});
    for (int i = 0; i < 40; ++i) strings.push_back({"D" + std::to_string(i), "^D" + std::to_string(i + 1) + "^^D" + std::to_string(i + 1) + "^"});
    ASSERT_TRUE(run.app->BuildVariableTable());
    EXPECT_NE(expand("^V0^").find("<Circular reference!>"), std::string::npos);
    EXPECT_LT(expand("^D0^").size(), std::size_t(4) << 20);
}
