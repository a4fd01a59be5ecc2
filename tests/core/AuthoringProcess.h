#pragma once
// The authoring program as its own process, made as the run command makes it (the default
// profile, then the program), in an X server of its own under a window manager and worked by
// real keys and clicks; screenshots are kept as artefacts, the database and the machine's
// registry read as the program left them.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QImage>
#include <QPoint>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "core/ProfileFixture.h"
#include "platform/Machine.h"
#include "platform/Registry.h"
#include "runtime/db/Transaction.h"
#include "setup/ProcessDriver.h"
#include "support/TestEnvironment.h"

namespace e2e_test {

namespace fs = std::filesystem;

class AuthoringProcess : public ProfileScript {
protected:
    void SetUp() override {
        ASSERT_TRUE(fs::exists("/usr/bin/Xvfb") && fs::exists("/usr/bin/openbox") &&
                    fs::exists("/usr/bin/xdotool"))
            << "scripts/install-deps.sh installs them";
        fs::create_directories(home);
        ASSERT_EQ(runScript(), 0) << textOf(folder / "log.txt");
        ASSERT_TRUE(x.managed) << "Xvfb or openbox did not start";
        ui.display = x.display;
    }

    // Each screenshot is kept under its step's name, to be looked at.
    QImage keep(const std::string& window, const std::string& name) {
        return keep(ui.screenshot(window), name);
    }
    QImage keep(const QImage& shot, const std::string& name) {
        shot.save(
            QString::fromStdString((testing_support::artefactFolder(artefacts) / (name + ".png")).string()));
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
    // Waits, at most five seconds, until the window shows the same twice in a row 0.3 s apart.
    void settle(const std::string& window) {
        QImage before = ui.screenshot(window);
        for (int i = 0; i < 16; ++i) {
            ::usleep(300000);
            QImage now = ui.screenshot(window);
            if (now == before) return;
            before = now;
        }
    }
    void settle() { settle(frame); }

    // Where the discs go is the product's setting, as a publisher sets it once; F7 on the product
    // chosen by a click on its icon in the chooser builds it.
    void build(QPoint icon = QPoint(244, 72), const std::string& shot = "14-after-build") {
        {
            platform::Registry registry(platform::Machine::openAt(machine).value());
            const std::string parms = "Software\\RUX\\Pakomo 1.0e\\Products\\" + full + "\\BuildParms";
            ASSERT_TRUE(registry.createKey(platform::RegRoot::CurrentUser, parms).ok());
            ASSERT_TRUE(
                registry.setString(platform::RegRoot::CurrentUser, parms, "FileDestination", "C:\\Builds")
                    .ok());
        }
        // The chooser may still be filling its list anew after the project window closed; a click
        // meanwhile chooses nothing, so F7 is pressed once the frame has settled, and the click
        // and key are given once more (as a user would) when no question came.
        std::string ask;
        for (int attempt = 0; attempt < 2 && ask.empty(); ++attempt) {
            settle();
            ui.focus(frame);
            ui.click(frame, icon);
            settle();
            ui.keys("F7");
            // The build names the folder it keeps; Enter is Yes.
            ask = ui.waitFor("Build", attempt == 0 ? 15 : 30);
            if (ask.empty()) keep(frame, shot + "-no-question-" + std::to_string(attempt));
        }
        ASSERT_FALSE(ask.empty()) << "the build did not name its disc folder";
        ASSERT_TRUE(ui.waitActive(ask));
        keep(ask, shot + "-folder");
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
        keep(frame, shot);
        ASSERT_TRUE(built()) << "F7 did not build the product";
        ASSERT_TRUE(fs::exists(disc() / "Setup.exe"));
    }
    fs::path disc() { return machine / "drive_c" / "Builds" / full / "Disc1"; }

    setup_test::XServer x;
    setup_test::Driver ui;
    std::unique_ptr<setup_test::Child> pakomo;
    std::string frame;
    QImage frameShot, screenShot;
    std::string full;  // the product's full name, as the chooser and the build name it
    std::string artefacts = "authoring-process";  // the screenshots' folder below test-artefacts
};

}  // namespace e2e_test
