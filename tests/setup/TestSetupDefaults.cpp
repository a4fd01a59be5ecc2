// The wizard's start values: user and company of an earlier installation, the setup types on
// offer and the component preselection that each type makes.
#include "SetupProducts.h"

#include "platform/Registry.h"

#include <gtest/gtest.h>

using namespace setup_test;

namespace {

struct Defaults : ::testing::Test {
    testing_support::TempFolder sources{"sources"};
    build::Product product = smallProduct(sources.path());
    platform::Machine machine = openMachine();
    platform::Registry registry{machine};
    std::unique_ptr<SetupDiscs> discs;
    std::unique_ptr<setup::CSetupProgram> program;

    setup::CSetupApp& start() {
        discs = writeDiscs(product);
        const std::string module = machine.windowsPath(discs->disc(1) / "Setup.exe");
        program = std::make_unique<setup::CSetupProgram>(machine, std::vector<std::string>{}, module);
        auto& app = program->app();
        app.InitRun({}, module);
        EXPECT_TRUE(app.ReadSetupInfo());
        EXPECT_TRUE(app.BuildVariableTable());
        app.InitDefaults();
        return app;
    }
};

}  // namespace

TEST_F(Defaults, UserAndCompanyComeFromAnEarlierInstallation) {
    const std::string key = "Software\\Maker\\Tool";
    ASSERT_TRUE(registry.createKey(platform::RegRoot::CurrentUser, key));
    ASSERT_TRUE(registry.setString(platform::RegRoot::CurrentUser, key, "User", "Bob"));
    ASSERT_TRUE(registry.setString(platform::RegRoot::CurrentUser, key, "Company", "Acme"));
    auto& app = start();
    EXPECT_EQ(app.userKey, key);
    EXPECT_EQ(app.userName, "Bob");
    EXPECT_EQ(app.company, "Acme");
    EXPECT_EQ(app.programGroupName, "Tool");
    EXPECT_FALSE(app.showReadme) << "the readme is asked for";
    EXPECT_FALSE(app.restart);
}

TEST_F(Defaults, ValuesAreTakenWhateverTheirTypeAndTooLongOnesAreLeftOut) {
    const std::string key = "Software\\Maker\\Tool";
    ASSERT_TRUE(registry.createKey(platform::RegRoot::CurrentUser, key));
    ASSERT_TRUE(registry.setDword(platform::RegRoot::CurrentUser, key, "User", 42));
    ASSERT_TRUE(registry.setString(platform::RegRoot::CurrentUser, key, "Company", std::string(300, 'x')));
    auto& app = start();
    EXPECT_EQ(app.userName, "*") << "the bytes 2A 00 00 00, cut at their first zero";
    EXPECT_EQ(app.company, "");
}

TEST_F(Defaults, SetupTypesAndPreselection) {
    struct Case {
        bool normal, minimal, custom;
        uint32_t available, count, chosen;
        std::vector<uint32_t> selected;  // Main (Normal and Minimal), Docs (Normal), Tools (Minimal), Bare (none)
    } cases[] = {
        {true, true, true, 7, 3, 1, {1, 1, 1, 0}},
        {false, true, true, 6, 2, 2, {1, 0, 1, 0}},
        {false, false, true, 4, 1, 4, {1, 1, 1, 0}},
        {true, false, false, 1, 1, 1, {1, 1, 1, 0}},
        {false, false, false, 0, 0, 0, {1, 0, 1, 0}},
    };
    product.components.push_back({.id = 2, .name = "Docs", .setupTypes = 1, .destination = "^SETUPPATH^\\Docs"});
    product.components.push_back({.id = 3, .name = "Tools", .setupTypes = 2, .destination = "C:\\Tools"});
    product.components.push_back({.id = 4, .name = "Bare", .setupTypes = 0, .destination = "C:\\Bare"});
    for (const auto& c : cases) {
        product.normalOffered = c.normal;
        product.minimalOffered = c.minimal;
        product.customOffered = c.custom;
        auto& app = start();
        EXPECT_EQ(app.availableSetupTypes, c.available);
        EXPECT_EQ(app.availableSetupTypeCount, c.count);
        EXPECT_EQ(app.chosenSetupType, c.chosen);
        ASSERT_EQ(app.componentSelection.size(), 4u);
        for (std::size_t i = 0; i < 4; ++i) {
            EXPECT_EQ(app.componentSelection[i].selected, c.selected[i]) << "component " << i << ", types " << c.available;
            EXPECT_EQ(app.componentSelection[i].folder, app.info().components[i].destination);
        }
    }
}
