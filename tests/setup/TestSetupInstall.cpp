// Setup run end to end in this process over setups written by the build: the dialogue a user
// goes through, and what lands in the machine folder.
#include "SetupAnswerer.h"
#include "SetupProducts.h"

#include "installer/logic/StringTable.h"
#include "platform/Files.h"
#include "platform/Registry.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QScreen>

namespace fs = std::filesystem;
using namespace setup_test;
using A = SetupAnswerer;

namespace {

std::string hostText(const platform::Machine& machine, const std::string& windowsPath) {
    auto host = machine.hostPath(windowsPath);
    if (!host || !fs::exists(*host)) return "<missing>";
    return testing_support::readFile(*host);
}

bool hasLine(const std::vector<std::string>& lines, const std::string& part) {
    for (const auto& l : lines)
        if (l.find(part) != std::string::npos) return true;
    return false;
}

struct TypeCase {
    const char* name;
    int radio;
    bool docsInstalled;
};

void PrintTo(const TypeCase& c, std::ostream* out) { *out << c.name; }

class SetupTypeInstall : public ::testing::TestWithParam<TypeCase> {};

}  // namespace

TEST_P(SetupTypeInstall, InstallsTheComponentsOfTheChosenType) {
    const TypeCase& tc = GetParam();
    testing_support::TempFolder sources("sources");
    auto product = smallProduct(sources.path());
    product.components.push_back({.id = 2, .name = "Docs", .setupTypes = 1, .destination = "^SETUPPATH^\\Docs"});
    addFile(product, sources.path(), 2, "guide.txt", "The guide.");
    auto discs = writeDiscs(product);
    auto machine = openMachine();

    std::string status;
    SetupAnswerer answers(std::string("type-") + tc.name);
    answers
        .page(133, {A::custom([](QDialog*) {
                        // The background window stands over the whole screen with the product's caption.
                        QWidget* background = nullptr;
                        for (auto* w : QApplication::topLevelWidgets())
                            if (w->objectName() == QLatin1String("CMainWindow") && w->isVisible()) background = w;
                        ASSERT_TRUE(background);
                        EXPECT_EQ(background->windowTitle().toStdString(), "Tool Setup");
                        EXPECT_EQ(background->size(), background->screen()->availableGeometry().size());
                    }),
                    A::expectText(1006, "Welcome to the Tool installation program. This program will install Tool 1.0 "
                                        "on your computer."),
                    A::click(1)})
        .page(134, {A::expectText(1008, "You may use Tool as you like."), A::click(1)})
        .page(135, {A::type(1014, "Ann"), A::type(1013, "Maker Ltd"), A::click(1)})
        .page(136, {A::expectText(1015, "Tool"), A::click(1)})
        .page(137, {A::check(tc.radio), A::click(1)})
        .page(139, {A::expectText(1036, "Choose the folder where you want Tool to be installed in."),
                    A::expectText(1035, "C:\\Program Files\\Tool"), A::click(1)})
        .box(setup::ids::ReadyToInstall, QMessageBox::Yes)
        .progress(false, &status)
        .page(142, {A::click(1)})
        .page(140, {A::check(1040), A::click(1)});
    EXPECT_EQ(runSetup(*discs), 0);
    EXPECT_TRUE(answers.done());
    EXPECT_EQ(status, "Complete.");

    EXPECT_EQ(hostText(machine, "C:\\Program Files\\Tool\\tool.exe"), "program bytes");
    EXPECT_EQ(hostText(machine, "C:\\Program Files\\Tool\\readme.txt"), "Read me first.");
    EXPECT_EQ(hostText(machine, "C:\\Program Files\\Tool\\Docs\\guide.txt"), tc.docsInstalled ? "The guide." : "<missing>");
    platform::Registry registry(machine);
    auto user = registry.queryValue(platform::RegRoot::CurrentUser, "Software\\Maker\\Tool", "User");
    ASSERT_TRUE(user);
    EXPECT_EQ(std::string(user->data.begin(), user->data.end()), std::string("Ann\0", 4));
    auto lines = journal(machine);
    EXPECT_TRUE(hasLine(lines, "notepad.exe")) << "the readme is shown";
    EXPECT_TRUE(hasLine(lines, "C:\\Program Files\\Tool\\readme.txt"));
    EXPECT_TRUE(hasLine(lines, "Programs\\Tool")) << "the program group is opened";
    EXPECT_FALSE(hasLine(lines, "restart"));
}

INSTANTIATE_TEST_SUITE_P(Types, SetupTypeInstall,
                         ::testing::Values(TypeCase{"Normal", 1021, true}, TypeCase{"Minimal", 1020, false}),
                         [](const auto& info) { return std::string(info.param.name); });
