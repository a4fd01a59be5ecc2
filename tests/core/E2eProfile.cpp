// The run command's two steps on a fresh home and machine folder: the default profile script makes
// the machine folder, the project database, the data source and the two settings (a second run
// changes nothing that exists); then the program starts as its own process under a window manager,
// shows its box and ends once the box is answered.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "core/ProfileFixture.h"
#include "platform/Machine.h"
#include "platform/Registry.h"
#include "runtime/db/Transaction.h"
#include "setup/ProcessDriver.h"
#include "support/TempFolder.h"

namespace {

namespace fs = std::filesystem;

using e2e_test::ProfileScript;
using e2e_test::textOf;

TEST_F(ProfileScript, MakesTheDefaultProfileAndASecondRunKeepsWhatExists) {
    fs::create_directories(home);
    ASSERT_EQ(runScript(), 0) << textOf(folder / "log.txt");
    EXPECT_TRUE(fs::is_directory(machine / "drive_c" / "Windows"));
    const fs::path database = home / ".local" / "share" / "pakomo" / "pakomo.db";
    ASSERT_TRUE(fs::exists(database));
    const std::string ini = textOf(home / ".odbc.ini");
    EXPECT_NE(
        ini.find("[Pakomo]\nDriver=SQLite3\nDatabase=" + database.string() + "\nNoCreat=1\nTimeout=5000\n"),
        std::string::npos)
        << ini;
    EXPECT_EQ(setting("Db", "Dsn"), "Pakomo");
    EXPECT_TRUE(setting("Help", "Path").starts_with("Z:\\")) << setting("Help", "Path");

    // The data source reaches the database the script made.
    ::setenv("ODBCINI", (home / ".odbc.ini").c_str(), 1);
    {
        runtime::Transaction t;
        t.dbms = "ODBC";
        t.dbParm = "Connectstring='DSN=Pakomo'";
        ASSERT_EQ(t.connect(), 0) << t.sqlErrText;
        runtime::SqlRow row;
        ASSERT_EQ(t.selectInto("SELECT COUNT(*) FROM MESSAGE", {}, row), 0) << t.sqlErrText;
        EXPECT_EQ(row[0], "5");
        // A new profile holds the example product, whose files lie in the machine.
        ASSERT_EQ(t.selectInto("SELECT PRODNAME, LABEL FROM PRODUCT WHERE ID = 1", {}, row), 0)
            << t.sqlErrText;
        EXPECT_EQ(row[0], "Hello");
        EXPECT_EQ(row[1], "Example");
        EXPECT_TRUE(fs::exists(machine / "drive_c" / "Examples" / "Hello" / "hello.exe"));
        ASSERT_EQ(t.executeImmediate("INSERT INTO PRODUCT (ID, PRODNAME) VALUES (7, 'Kept')"), 0);
        t.commit();
        t.disconnect();
    }

    // The user's own choices survive the next run.
    platform::Registry registry(platform::Machine::openAt(machine).value());
    ASSERT_TRUE(
        registry.setString(platform::RegRoot::CurrentUser, "Software\\RUX\\Pakomo 1.0e\\Db", "Dsn", "Mine")
            .ok());
    ASSERT_EQ(runScript(), 0) << textOf(folder / "log.txt");
    EXPECT_EQ(setting("Db", "Dsn"), "Mine");
    EXPECT_EQ(textOf(home / ".odbc.ini"), ini);
    runtime::Transaction t;
    t.dbms = "ODBC";
    t.dbParm = "Connectstring='DSN=Pakomo'";
    ASSERT_EQ(t.connect(), 0) << t.sqlErrText;
    runtime::SqlRow row;
    ASSERT_EQ(t.selectInto("SELECT PRODNAME FROM PRODUCT WHERE ID = 7", {}, row), 0) << t.sqlErrText;
    EXPECT_EQ(row[0], "Kept");
}

TEST_F(ProfileScript, TheProgramStartsReadsItsSettingsAndEndsAfterItsBox) {
    ASSERT_TRUE(fs::exists("/usr/bin/Xvfb") && fs::exists("/usr/bin/openbox"))
        << "scripts/install-deps.sh installs them";
    fs::create_directories(home);
    ASSERT_EQ(runScript(), 0) << textOf(folder / "log.txt");
    // A data source that does not exist: the start cannot go past the connection.
    platform::Registry registry(platform::Machine::openAt(machine).value());
    ASSERT_TRUE(
        registry.setString(platform::RegRoot::CurrentUser, "Software\\RUX\\Pakomo 1.0e\\Db", "Dsn", "Missing")
            .ok());

    setup_test::XServer x;
    ASSERT_TRUE(x.managed) << "Xvfb or openbox did not start";
    const fs::path program = fs::path(std::getenv("RUX_BUILD_DIR")) / "bin" / "pakomo";
    setup_test::Child pakomo({program.string()}, programEnvironment(x.display));
    setup_test::Driver driver{x.display, {}};
    // The database's box, or, while the splash window is not built, the fatal-error box about it.
    std::string caption;
    for (int i = 0; i < 300 && caption.empty() && !pakomo.poll(); ++i) {
        for (const char* c : {"Error opening database", "Fatal error"})
            if (driver.exists(c)) caption = c;
        if (caption.empty()) ::usleep(100000);
    }
    ASSERT_FALSE(caption.empty()) << "no box came; the program ended with " << pakomo.poll().value_or(-1);
    std::string box = driver.waitFor(caption);
    driver.focus(box);
    driver.keys("Return");
    EXPECT_EQ(pakomo.wait(30), std::optional<int>(0)) << "the program must end once its box is answered";
    EXPECT_EQ(setting("Db", "Dsn"), "Missing") << "the settings are left for the next start";
}

// The run command's way: the default profile, then the program, which starts into its frame with
// the product chooser and ends by Alt+F4. HOME is not the password file's home here, and ODBCINI is
// empty: the program still finds the data source that the profile script wrote under HOME.
TEST_F(ProfileScript, TheProgramStartsIntoTheProductChooserAndEndsByItsExitKey) {
    fs::create_directories(home);
    ASSERT_EQ(runScript(), 0) << textOf(folder / "log.txt");
    setup_test::XServer x;
    ASSERT_TRUE(x.managed) << "Xvfb or openbox did not start";
    const fs::path program = fs::path(std::getenv("RUX_BUILD_DIR")) / "bin" / "pakomo";
    std::vector<std::string> environment = programEnvironment(x.display);
    std::erase_if(environment, [](const std::string& e) { return e.starts_with("ODBCINI="); });
    environment.push_back("ODBCINI=");
    setup_test::Child pakomo({program.string()}, environment);
    setup_test::Driver driver{x.display, {}};
    const std::string frame = driver.waitFor("Pakomo");
    ASSERT_FALSE(frame.empty()) << "no frame; the program ended with " << pakomo.poll().value_or(-1);
    // The chooser is a sheet inside the frame; the start has no box to show.
    ::usleep(1000000);
    EXPECT_FALSE(driver.exists("Fatal error"));
    EXPECT_FALSE(driver.exists("Error opening database"));
    const QImage shot = driver.screenshot(frame);
    EXPECT_FALSE(shot.isNull());
    fs::create_directories(fs::path(std::getenv("RUX_BUILD_DIR")) / "test-artefacts" / "authoring");
    shot.save(QString::fromStdString(
        (fs::path(std::getenv("RUX_BUILD_DIR")) / "test-artefacts" / "authoring" / "chooser-at-start.png")
            .string()));
    driver.focus(frame);
    driver.keys("alt+F4");
    EXPECT_EQ(pakomo.wait(30), std::optional<int>(0)) << "Exit ends the program";
}

// As a user would: click the example product, build it by F7, test it by F8; Setup runs in test
// mode and nothing is installed.
TEST_F(ProfileScript, TheExampleProductIsBuiltAndTestedByItsKeys) {
    fs::create_directories(home);
    ASSERT_EQ(runScript(), 0) << textOf(folder / "log.txt");
    platform::Registry registry(platform::Machine::openAt(machine).value());
    const char* buildParms = "Software\\RUX\\Pakomo 1.0e\\Products\\Hello 1.00.00 Example\\BuildParms";
    ASSERT_TRUE(registry.createKey(platform::RegRoot::CurrentUser, buildParms).ok());
    ASSERT_TRUE(registry
                    .setString(platform::RegRoot::CurrentUser,
                               "Software\\RUX\\Pakomo 1.0e\\Products\\Hello 1.00.00 Example\\BuildParms",
                               "FileDestination", "C:\\Builds")
                    .ok());
    setup_test::XServer x;
    ASSERT_TRUE(x.managed) << "Xvfb or openbox did not start";
    const fs::path program = fs::path(std::getenv("RUX_BUILD_DIR")) / "bin" / "pakomo";
    setup_test::Child pakomo({program.string()}, programEnvironment(x.display));
    setup_test::Driver driver{x.display, {}};
    const std::string frame = driver.waitFor("Pakomo");
    ASSERT_FALSE(frame.empty());
    ASSERT_TRUE(driver.waitActive(frame));
    // The second item of the chooser's large icons, right of "New product" at the frame's top left.
    // Its menu entries are enabled by an event the click posts; on a slow machine a key typed at
    // once would come first, so F7 waits, as a user would, until "&Open" shows it enabled.
    const QRect openButton(186, 325, 72, 15);
    const QImage disabledOpen = driver.screenshot(frame).copy(openButton);
    driver.click(frame, QPoint(148, 72));
    for (int i = 0; i < 100 && driver.screenshot(frame).copy(openButton) == disabledOpen; ++i) ::usleep(100000);
    ASSERT_NE(driver.screenshot(frame).copy(openButton), disabledOpen) << "the click chose no product";
    driver.keys("F7");
    const std::string ask = driver.waitFor("Build");
    ASSERT_FALSE(ask.empty()) << "the build did not name its disc folder";
    ASSERT_TRUE(driver.waitActive(ask));
    driver.keys("Return");  // Yes: the folder kept
    const fs::path setup = machine / "drive_c" / "Builds" / "Hello 1.00.00 Example" / "Disc1" / "Setup.exe";
    for (int i = 0; i < 300 && !fs::exists(setup); ++i) ::usleep(100000);
    ASSERT_TRUE(fs::exists(setup)) << "F7 built nothing";
    // The build marks the product built last of all.
    auto built = [&] {
        platform::Registry now(platform::Machine::openAt(machine).value());
        return now
            .queryValue(platform::RegRoot::CurrentUser,
                        "Software\\RUX\\Pakomo 1.0e\\Products\\Hello 1.00.00 Example", "UpToDate")
            .ok();
    };
    for (int i = 0; i < 100 && !built(); ++i) ::usleep(100000);
    ASSERT_TRUE(built());
    // No click or focus call after the build: the keyboard is still the chooser's.
    ASSERT_TRUE(driver.waitActive(frame));
    driver.keys("F8");
    const std::string welcome = driver.waitFor("Welcome", 60);
    ASSERT_FALSE(welcome.empty()) << "F8 started no Setup";
    const fs::path artefacts = fs::path(std::getenv("RUX_BUILD_DIR")) / "test-artefacts" / "authoring";
    fs::create_directories(artefacts);
    // Setup's first page comes to the front of the authoring program, where the user sees it.
    ASSERT_TRUE(driver.waitActive(welcome)) << "Setup's first page did not take the keyboard";
    const std::vector<unsigned long> order = driver.stacking();
    ASSERT_FALSE(order.empty());
    EXPECT_EQ(driver.name(order.back()), "Welcome") << "Setup's first page is behind another window";
    driver.screenshot(welcome).save(QString::fromStdString((artefacts / "setup-test-mode.png").string()));
    setup_test::runOn(x.display, "xdotool search --name '^Setup of Hello$' windowkill");
    setup_test::runOn(x.display, "xdotool search --name '^Welcome$' windowkill");
    EXPECT_FALSE(fs::exists(machine / "drive_c" / "Program Files" / "Hello")) << "test mode installs nothing";
    driver.focus(frame);
    driver.keys("alt+F4");
    EXPECT_EQ(pakomo.wait(30), std::optional<int>(0));
}

// The main road as a user walks it in one run: a new product made in the wizard by Ctrl+N, a
// name and Alt+F is saved and listed; Enter opens it in the project window and Alt+C closes it
// again; F7 builds it and F8 test-runs the built Setup, which installs nothing.
TEST_F(ProfileScript, AProductMadeInTheWizardIsOpenedBuiltAndTested) {
    fs::create_directories(home);
    ASSERT_EQ(runScript(), 0) << textOf(folder / "log.txt");
    setup_test::XServer x;
    ASSERT_TRUE(x.managed) << "Xvfb or openbox did not start";
    const fs::path program = fs::path(std::getenv("RUX_BUILD_DIR")) / "bin" / "pakomo";
    setup_test::Child pakomo({program.string()}, programEnvironment(x.display));
    setup_test::Driver driver{x.display, {}};
    const fs::path artefacts = fs::path(std::getenv("RUX_BUILD_DIR")) / "test-artefacts" / "authoring";
    fs::create_directories(artefacts);
    auto keep = [&](const std::string& window, const char* name) {
        QImage shot = driver.screenshot(window);
        shot.save(QString::fromStdString((artefacts / name).string()));
        return shot;
    };
    const std::string frame = driver.waitFor("Pakomo");
    ASSERT_FALSE(frame.empty());
    ASSERT_TRUE(driver.waitActive(frame));
    driver.keys("ctrl+n");
    const std::string wizard = driver.waitFor("New product");
    ASSERT_FALSE(wizard.empty()) << "Ctrl+N opened no wizard";
    ASSERT_TRUE(driver.waitActive(wizard));
    driver.keys("ctrl+a");
    driver.type("Gamma");
    keep(wizard, "wizard.png");
    driver.keys("alt+f");
    ASSERT_TRUE(driver.waitGone("New product")) << "Finish did not end the wizard";
    // The chooser lists it after the example product.
    ::usleep(500000);
    const QImage chooser = keep(frame, "chooser-after-wizard.png");
    ::setenv("ODBCINI", (home / ".odbc.ini").c_str(), 1);
    runtime::Transaction t;
    t.dbms = "ODBC";
    t.dbParm = "Connectstring='DSN=Pakomo'";
    ASSERT_EQ(t.connect(), 0) << t.sqlErrText;
    runtime::SqlRow row;
    ASSERT_EQ(t.selectInto("SELECT PRODNAME, PRODVERS, LABEL FROM PRODUCT WHERE ID = 2", {}, row), 0)
        << t.sqlErrText;
    EXPECT_EQ(row[0], "Gamma");
    EXPECT_EQ(row[1], "1.00.00");
    t.disconnect();
    const std::string label = row[2].value_or("");
    const std::string full =
        "Gamma " + *row[1] + (label.find_first_not_of(' ') == std::string::npos ? "" : " " + label);

    // Open: the third large icon, then Enter presses Open; the project sheet takes the chooser's place.
    driver.focus(frame);
    driver.click(frame, QPoint(244, 72));
    driver.keys("Return");
    QImage project;
    int changed = 0;
    for (int i = 0; i < 50 && changed * 20 < chooser.width() * chooser.height(); ++i) {
        ::usleep(100000);
        project = driver.screenshot(frame);
        changed = 0;
        if (project.size() != chooser.size()) continue;
        for (int y = 0; y < project.height(); y += 2)
            for (int px = 0; px < project.width(); px += 2)
                if (project.pixel(px, y) != chooser.pixel(px, y)) changed += 4;
    }
    project.save(QString::fromStdString((artefacts / "project-window.png").string()));
    EXPECT_GT(changed * 20, chooser.width() * chooser.height()) << "Enter opened no project window";
    driver.keys("alt+c");
    ::usleep(500000);

    // Build: where the discs go is the product's setting, as a publisher sets it once.
    {
        platform::Registry registry(platform::Machine::openAt(machine).value());
        const std::string parms = "Software\\RUX\\Pakomo 1.0e\\Products\\" + full + "\\BuildParms";
        ASSERT_TRUE(registry.createKey(platform::RegRoot::CurrentUser, parms).ok());
        ASSERT_TRUE(
            registry.setString(platform::RegRoot::CurrentUser, parms, "FileDestination", "C:\\Builds").ok());
    }
    driver.focus(frame);
    driver.click(frame, QPoint(244, 72));
    driver.keys("F7");
    const std::string ask = driver.waitFor("Build");
    ASSERT_FALSE(ask.empty()) << "the build did not name its disc folder";
    ASSERT_TRUE(driver.waitActive(ask));
    driver.keys("Return");  // Yes: the folder kept
    const fs::path setup = machine / "drive_c" / "Builds" / full / "Disc1" / "Setup.exe";
    for (int i = 0; i < 300 && !fs::exists(setup); ++i) ::usleep(100000);
    keep(frame, "after-build.png");
    ASSERT_TRUE(fs::exists(setup)) << "F7 built nothing";
    auto built = [&] {
        platform::Registry now(platform::Machine::openAt(machine).value());
        auto v = now.queryValue(platform::RegRoot::CurrentUser,
                                "Software\\RUX\\Pakomo 1.0e\\Products\\" + full, "UpToDate");
        // Written 0 when the build starts and 1 only when everything is written.
        return v.ok() &&
               std::any_of(v.value().data.begin(), v.value().data.end(), [](uint8_t b) { return b != 0; });
    };
    for (int i = 0; i < 100 && !built(); ++i) ::usleep(100000);
    ASSERT_TRUE(built());
    // The wait window has gone: the keys reach the chooser again without a click.
    ASSERT_TRUE(driver.waitActive(frame));
    driver.keys("F8");
    // Setup's background window, titled as the wizard's main-window page says.
    const std::string background = driver.waitFor("Gamma Setup", 60);
    if (background.empty()) keep(frame, "no-setup-after-F8.png");
    ASSERT_FALSE(background.empty()) << "F8 started no Setup";
    ::usleep(1000000);
    keep(background, "setup-of-wizard-product.png");
    setup_test::runOn(x.display, "xdotool search --name '^Gamma Setup$' windowkill");
    EXPECT_FALSE(fs::exists(machine / "drive_c" / "Program Files" / "Gamma")) << "test mode installs nothing";
    driver.focus(frame);
    driver.keys("alt+F4");
    EXPECT_EQ(pakomo.wait(30), std::optional<int>(0));
}

}  // namespace
