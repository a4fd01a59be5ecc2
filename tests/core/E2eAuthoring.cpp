// A publisher's whole road, from the run command's own steps: the default profile, then the
// program, worked only by real keys and clicks. A product made in the wizard is opened in the
// project window, a component renamed and given a folder with a string variable, files added
// from the machine through the file dialog; the product is saved and built, its Setup run from
// the built disc (Custom, a chosen folder), what it installed checked, and the uninstaller
// leaves the machine as it found it.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>

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
        ASSERT_TRUE(fs::exists("/usr/bin/Xvfb") && fs::exists("/usr/bin/openbox") &&
                    fs::exists("/usr/bin/xdotool"))
            << "scripts/install-deps.sh installs them";
        fs::create_directories(home);
        ASSERT_EQ(runScript(), 0) << e2e_test::textOf(folder / "log.txt");
        ASSERT_TRUE(x.managed) << "Xvfb or openbox did not start";
        ui.display = x.display;
    }

    // Each screenshot is kept under its step's name, to be looked at.
    QImage keep(const std::string& window, const std::string& name) {
        QImage shot = ui.screenshot(window);
        shot.save(QString::fromStdString(
            (testing_support::artefactFolder("authoring-process") / (name + ".png")).string()));
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
        const int code = t.selectInto(sql, {}, row);
        EXPECT_TRUE(code == 0 || code == 100) << sql << ": " << t.sqlErrText;  // 100: no row (yet)
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

    // The dialog browses the machine: its folder on drive C: is typed, then both files by name.
    void addFilesThroughDialog(const std::string& dialog) {
        ui.focus(dialog);
        ui.type("C:\\Source\\Delta");
        ui.keys("Return");
        ui.type("\"readme.txt\" \"tool.exe\"");
        keep(dialog, "11-select-files-typed");
        ui.keys("Return");
    }

    // Where the discs go is the product's setting, as a publisher sets it once; F7 on the chosen
    // product in the chooser builds it.
    void build() {
        {
            platform::Registry registry(platform::Machine::openAt(machine).value());
            const std::string parms = "Software\\RUX\\Pakomo 1.0e\\Products\\" + full + "\\BuildParms";
            ASSERT_TRUE(registry.createKey(platform::RegRoot::CurrentUser, parms).ok());
            ASSERT_TRUE(
                registry.setString(platform::RegRoot::CurrentUser, parms, "FileDestination", "C:\\Builds")
                    .ok());
        }
        ui.focus(frame);
        ui.click(frame, QPoint(244, 72));
        ui.keys("F7");
        // The build names the folder it keeps; Enter is Yes.
        const std::string ask = ui.waitFor("Build");
        ASSERT_FALSE(ask.empty()) << "the build did not name its disc folder";
        ASSERT_TRUE(ui.waitActive(ask));
        keep(ask, "14-build-folder");
        ui.keys("Return");
        auto built = [&] {
            platform::Registry now(platform::Machine::openAt(machine).value());
            auto v = now.queryValue(platform::RegRoot::CurrentUser,
                                    "Software\\RUX\\Pakomo 1.0e\\Products\\" + full, "UpToDate");
            // 0 while the build runs, 1 once everything is written.
            return v.ok() && std::any_of(v.value().data.begin(), v.value().data.end(),
                                         [](uint8_t b) { return b != 0; });
        };
        for (int i = 0; i < 600 && !built(); ++i) ::usleep(100000);
        keep(frame, "14-after-build");
        ASSERT_TRUE(built()) << "F7 did not build the product";
        ASSERT_TRUE(fs::exists(disc() / "Setup.exe"));
    }
    fs::path disc() { return machine / "drive_c" / "Builds" / full / "Disc1"; }

    setup_test::XServer x;
    Driver ui;
    std::unique_ptr<setup_test::Child> pakomo;
    std::string frame;
    QImage frameShot, screenShot;
    std::string full;  // the product's full name, as the chooser and the build name it
};

TEST_F(AuthoringProcess, AProductDescribedInTheProgramIsBuiltInstalledAndUninstalled) {
    for (const char* name : {"readme.txt", "tool.exe"})
        testing_support::writeFile(machine / "drive_c" / "Source" / "Delta" / name,
                                   std::string("bytes of ") + name);
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
    const runtime::SqlRow made = query("SELECT PRODNAME, PRODVERS, LABEL FROM PRODUCT WHERE ID = 2");
    ASSERT_EQ(made.size(), 3u);
    EXPECT_EQ(made[0], Product);
    const std::string label = made[2].value_or("");
    full = std::string(Product) + " " + made[1].value_or("") +
           (label.find_first_not_of(' ') == std::string::npos ? "" : " " + label);
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
    // The folder field emptied, then a string variable pasted into it through its edit popup.
    ui.click(properties, QPoint(350, 118));
    ui.keys("ctrl+a");
    ui.keys("Delete");
    QImage form = ui.screenshot(properties);
    rightClick(properties, QPoint(350, 118));
    ASSERT_TRUE(changed(properties, form)) << "no edit popup came";
    ui.keys("p");
    ui.keys("s");
    const std::string picker = ui.waitFor("Stringconstants");
    ASSERT_FALSE(picker.empty()) << ui.transcript;
    ASSERT_TRUE(ui.waitActive(picker));
    keep(picker, "09-stringconstants");
    ui.click(picker, QPoint(40, 136));  // SETUPPATH, the folder the user chooses in Setup
    ui.click(picker, QPoint(92, 259));  // Paste
    ASSERT_TRUE(ui.waitGone("Stringconstants")) << ui.transcript;
    ASSERT_TRUE(ui.waitActive(properties));
    ui.keys("End");
    ui.type("\\Core");
    keep(properties, "10-properties-filled");
    ui.click(properties, QPoint(401, 292));  // Ok
    ASSERT_TRUE(ui.waitGone("Properties of Core")) << ui.transcript;
    ASSERT_TRUE(ui.waitActive(frame));

    // Files added to the file group from the machine's drive C: through the file dialog.
    frameShot = ui.screenshot(frame);
    ui.click(frame, QPoint(105, 112));
    ASSERT_TRUE(frameChanged());
    rightClick(frame, QPoint(440, 200));
    ASSERT_TRUE(frameChanged()) << "no menu came";
    ui.keys("a");
    const std::string dialog = ui.waitFor("Select files");
    ASSERT_FALSE(dialog.empty()) << ui.transcript;
    ASSERT_TRUE(ui.waitActive(dialog));
    keep(dialog, "11-select-files");
    addFilesThroughDialog(dialog);
    ASSERT_TRUE(ui.waitGone("Select files")) << ui.transcript;
    ASSERT_TRUE(ui.waitActive(frame));
    ASSERT_TRUE(frameChanged()) << "the file list did not change";
    keep(frame, "12-files");

    // Save, then what was saved is what the tree and the form showed.
    ui.keys("alt+s");
    runtime::SqlRow component;
    for (int i = 0; i < 100 && component.empty(); ++i, ::usleep(100000))
        component = query("SELECT NAME, INSTALLPTH FROM PROGGRP WHERE PRODID = 2 AND NAME = 'Core'");
    ASSERT_FALSE(component.empty()) << "Save wrote no component called Core";
    EXPECT_EQ(component[1], "^SETUPPATH^\\Core");
    EXPECT_EQ(query("SELECT COUNT(*) FROM FILE WHERE PRODID = 2")[0], "2");
    // The dialog answers Windows paths, which the build reads.
    EXPECT_EQ(query("SELECT MIN(PATH) FROM FILE WHERE PRODID = 2")[0].value_or(""), "C:\\Source\\Delta\\readme.txt");
    ui.keys("alt+c");
    ASSERT_TRUE(frameChanged());
    keep(frame, "13-closed");
    ASSERT_NO_FATAL_FAILURE(build());
}

}  // namespace
