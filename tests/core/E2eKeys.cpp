// The program as the run command starts it (the default profile, then the program), worked by the
// keyboard alone: every shortcut that its menus show, and F1, on each window, seen by the windows
// that open (their captions) and kept as screenshots for review.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QImage>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/Machine.h"
#include "platform/Registry.h"
#include "setup/ProcessDriver.h"
#include "support/TempFolder.h"

namespace {

namespace fs = std::filesystem;

class KeysOfTheProgram : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(home);
        fs::create_directories(artefacts);
        const fs::path source = std::getenv("RUX_SOURCE_DIR");
        std::string command = "env -u ODBCINI -u XDG_DATA_HOME HOME='" + home.string() + "' RUX_MACHINE='" +
                              machine.string() + "' bash '" +
                              (source / "scripts" / "setup-profile.sh").string() + "' '" +
                              (build / "bin").string() + "' > '" + (folder / "log.txt").string() + "' 2>&1";
        ASSERT_EQ(std::system(command.c_str()), 0);
        // Where the example product's discs go, as a publisher sets it once.
        platform::Registry registry(platform::Machine::openAt(machine).value());
        const std::string parms = "Software\\RUX\\Pakomo 1.0e\\Products\\Hello 1.00.00 Example\\BuildParms";
        ASSERT_TRUE(registry.createKey(platform::RegRoot::CurrentUser, parms).ok());
        ASSERT_TRUE(
            registry.setString(platform::RegRoot::CurrentUser, parms, "FileDestination", "C:\\Builds").ok());
    }
    std::vector<std::string> environment(const std::string& display) {
        return {"DISPLAY=" + display,
                "QT_QPA_PLATFORM=xcb",
                "HOME=" + home.string(),
                "RUX_MACHINE=" + machine.string(),
                "ODBCINI=" + (home / ".odbc.ini").string(),
                "XDG_DATA_HOME=" + (home / ".local" / "share").string()};
    }
    void keep(setup_test::Driver& driver, const std::string& window, const std::string& name) {
        driver.screenshot(window).save(QString::fromStdString((artefacts / (name + ".png")).string()));
    }

    testing_support::TempFolder folder{"keys"};
    fs::path home = folder / "home";
    fs::path machine = folder / "machine";
    fs::path build = std::getenv("RUX_BUILD_DIR");
    fs::path artefacts = build / "test-artefacts" / "authoring" / "keys";
};

TEST_F(KeysOfTheProgram, EveryShortcutAndF1OpensWhatItShows) {
    setup_test::XServer x;
    ASSERT_TRUE(x.managed) << "Xvfb or openbox did not start";
    setup_test::Child pakomo({(build / "bin" / "pakomo").string()}, environment(x.display));
    setup_test::Driver driver{x.display, {}};
    const std::string frame = driver.waitFor("Pakomo");
    ASSERT_FALSE(frame.empty()) << "no frame; the program ended with " << pakomo.poll().value_or(-1);
    ASSERT_TRUE(driver.waitActive(frame));
    keep(driver, frame, "chooser");

    // A key opens a window with this caption, which is kept and closed by its own keys.
    auto opens = [&](const std::string& keys, const std::string& caption, const std::string& shot,
                     const std::string& closeKeys, std::string back = {}) {
        if (back.empty()) back = frame;
        SCOPED_TRACE(keys + " -> " + caption);
        driver.keys(keys);
        const std::string w = driver.waitFor(caption, 20);
        EXPECT_FALSE(w.empty()) << keys << " opened no \"" << caption << "\"";
        if (w.empty()) return;
        ::usleep(300000);
        keep(driver, w, shot);
        driver.focus(w);
        driver.keys(closeKeys);
        EXPECT_TRUE(driver.waitGone(caption, 20)) << closeKeys << " did not close \"" << caption << "\"";
        driver.focus(back);
        ASSERT_TRUE(driver.waitActive(back));
    };

    // Help, on the frame with the chooser: contents, search, about.
    opens("F1", "Help - Contents", "help-contents", "alt+F4");
    opens("shift+F1", "Help - Index", "help-index", "alt+F4");
    opens("alt+F1", "About...", "about", "Return");
    // The product commands on the example product (the second large icon).
    driver.click(frame, QPoint(148, 72));
    opens("ctrl+w", "Product wizard - Hello", "wizard-existing", "Escape");
    driver.click(frame, QPoint(148, 72));  // the wizard's end made the list anew, without a selection
    opens("F2", "Summary", "summary", "Escape");
    opens("ctrl+n", "New product", "wizard-new", "Escape");
    // F1 in the wizard: its own topic, above the wizard.
    driver.keys("ctrl+n");
    const std::string wizard = driver.waitFor("New product");
    ASSERT_FALSE(wizard.empty());
    ASSERT_TRUE(driver.waitActive(wizard));
    opens("F1", "Help - Product wizard", "help-wizard", "alt+F4", wizard);
    driver.type("Keys");     // the placeholder name is refused on leaving the page
    driver.keys("alt+n");  // Next >, not a check box of the page
    ::usleep(500000);
    keep(driver, wizard, "wizard-page2");
    driver.keys("Escape");
    ASSERT_TRUE(driver.waitGone("New product"));
    driver.focus(frame);
    ASSERT_TRUE(driver.waitActive(frame));

    // F7 builds into the product's folder, through the keyboard alone.
    driver.click(frame, QPoint(148, 72));
    driver.keys("F7");
    const std::string ask = driver.waitFor("Build");
    ASSERT_FALSE(ask.empty()) << "the build did not name its disc folder";
    ASSERT_TRUE(driver.waitActive(ask));
    driver.keys("Return");  // Yes: the folder kept
    const fs::path setup = machine / "drive_c" / "Builds" / "Hello 1.00.00 Example" / "Disc1" / "Setup.exe";
    for (int i = 0; i < 300 && !fs::exists(setup); ++i) ::usleep(100000);
    EXPECT_TRUE(fs::exists(setup)) << "F7 built nothing";
    ASSERT_TRUE(driver.waitActive(frame));
    ::usleep(500000);
    keep(driver, frame, "after-build");
    // F8 tests it: Setup in test mode.
    driver.keys("F8");
    const std::string welcome = driver.waitFor("Welcome", 60);
    EXPECT_FALSE(welcome.empty()) << "F8 started no Setup";
    if (!welcome.empty()) keep(driver, welcome, "setup-test");
    setup_test::runOn(x.display, "xdotool search --name '^Setup of Hello$' windowkill");
    setup_test::runOn(x.display, "xdotool search --name '^Welcome$' windowkill");
    driver.focus(frame);
    ASSERT_TRUE(driver.waitActive(frame));

    // Ctrl+F4 closes the chooser: its Product keys are gone with it; Ctrl+O brings it back.
    driver.keys("ctrl+F4");
    ::usleep(800000);
    keep(driver, frame, "chooser-closed");
    driver.keys("ctrl+n");
    ::usleep(1500000);
    EXPECT_FALSE(driver.exists("New product")) << "Ctrl+F4 left the chooser open";
    driver.keys("ctrl+o");
    ::usleep(800000);
    opens("ctrl+n", "New product", "wizard-after-reopen", "Escape");

    driver.keys("alt+F4");
    EXPECT_EQ(pakomo.wait(30), std::optional<int>(0)) << "Alt+F4 ends the program";
}

}  // namespace
