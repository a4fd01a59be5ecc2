// The dialog ancestor in a real process under a window manager, worked by real keys: Enter on an
// empty field keeps the dialog open, Enter after typing confirms it, Esc cancels the next one.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

#include "setup/ProcessDriver.h"
#include "support/TempFolder.h"
#include "support/TestEnvironment.h"

namespace {

namespace fs = std::filesystem;

TEST(FrameworkProcess, EnterConfirmsWithValidationAndEscCancelsUnderAWindowManager) {
    ASSERT_TRUE(fs::exists("/usr/bin/Xvfb") && fs::exists("/usr/bin/openbox")) << "scripts/install-deps.sh installs them";
    testing_support::TempFolder folder("probe");
    const fs::path result = folder / "result.txt";
    setup_test::XServer x;
    ASSERT_TRUE(x.managed) << "Xvfb or openbox did not start";
    const fs::path program = fs::path(std::getenv("RUX_BUILD_DIR")) / "tests" / "framework_probe";
    setup_test::Child probe({program.string(), result.string()},
                            {"DISPLAY=" + x.display, "QT_QPA_PLATFORM=xcb",
                             "RUX_MACHINE=" + testing_support::machineFolder().string()});
    setup_test::Driver driver{x.display, {}};

    std::string dialog = driver.waitFor("Framework probe");
    ASSERT_FALSE(dialog.empty()) << "the dialog did not come";
    driver.focus(dialog);
    ASSERT_TRUE(driver.waitActive(dialog));
    driver.keys("Return");  // the field is empty: validation keeps the dialog open
    ::usleep(500000);
    EXPECT_TRUE(driver.exists("Framework probe"));
    driver.type("Setup");
    driver.keys("Return");
    // The first dialog's result is written once it has closed.
    auto lines = [&] {
        std::ifstream in(result);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    };
    for (int i = 0; i < 100 && lines().empty() && !probe.poll(); ++i) ::usleep(100000);
    ASSERT_EQ(lines(), "1|Setup\n") << "the program ended with " << probe.poll().value_or(-1);

    std::string second = driver.waitFor("Framework probe");
    ASSERT_FALSE(second.empty());
    driver.focus(second);
    ASSERT_TRUE(driver.waitActive(second));
    driver.keys("Escape");
    EXPECT_EQ(probe.wait(30), std::optional<int>(0));

    EXPECT_EQ(lines(), "1|Setup\n2|\n") << driver.transcript;
}

}  // namespace
