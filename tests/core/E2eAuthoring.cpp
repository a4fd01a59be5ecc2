// A publisher's whole road, from the run command's own steps: the default profile, then the
// program, worked only by real keys and clicks. A product made in the wizard with a string
// variable and a registry entry is opened in the project window, a component renamed and given a
// folder with a string variable, files added from the machine through the file dialog, a value
// pasted from the registry browser; the product is saved and built, its Setup run from the built
// disc (Custom, a chosen folder), what it installed checked, and the uninstaller leaves the
// machine as it found it.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "core/AuthoringProcess.h"
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

constexpr const char* Product = "Delta";

// The shared process fixture, with the steps of this road: the wizard's lists, the registry
// browser, a shortcut, and Setup and the uninstaller run from the built disc.
class AuthoringProcess : public e2e_test::AuthoringProcess {
protected:
    // The dialog browses the machine: its folder on drive C: is typed, then both files by name.
    void addFilesThroughDialog(const std::string& dialog) {
        ui.focus(dialog);
        ui.type("C:\\Source\\Delta");
        ui.keys("Return");
        ui.type("\"readme.txt\" \"tool.exe\"");
        keep(dialog, "11-select-files-typed");
        ui.keys("Return");
    }

    // The first of these captions that shows, waited for up to a minute; "" when none came.
    std::string nextOf(const std::vector<std::string>& captions, std::string& which) {
        for (int i = 0; i < 600; ++i) {
            for (const std::string& c : captions)
                if (ui.exists(c)) {
                    which = c;
                    return ui.waitFor(c, 5);
                }
            ::usleep(100000);
        }
        which.clear();
        return {};
    }

    // Setup from the built disc, as a user starts it, through its pages: Custom, the components'
    // folder under a chosen one.
    void runSetup() {
        setup_test::Child setup({(disc() / "Setup.exe").string()},
                                {"DISPLAY=" + x.display, "QT_QPA_PLATFORM=xcb", "RUX_MACHINE=" + machine.string()});
        ASSERT_GT(setup.pid(), 0);
        const std::vector<std::string> pages{"Welcome", "License-agreement", "User information", "Setup-type",
                                             "Destination folder", "Components", "Choose a programgroup",
                                             "Setup", "Progress", "Readme", "Finished"};
        std::set<std::string> seen;
        int n = 30;
        for (;;) {
            std::string which;
            const std::string w = nextOf(pages, which);
            if (w.empty()) break;
            // The progress dialog takes no input while it works.
            if (which != "Progress") {
                ASSERT_TRUE(ui.waitActive(w)) << which << "\n" << ui.transcript;
            }
            if (which != "Progress") keep(w, std::to_string(n++) + "-setup-" + which);
            seen.insert(which);
            const std::string shown = which;
            if (which == "User information") {
                ui.type("Ann Smith");
                ui.keys("Return");
            } else if (which == "Setup-type") {
                ui.click(w, QPoint(175, 208));  // Custom
                keep(w, std::to_string(n++) + "-setup-custom");
                ui.keys("Return");
            } else if (which == "Destination folder") {
                ui.click(w, QPoint(250, 148));  // the folder field
                ui.keys("ctrl+a");
                ui.type("C:\\Apps\\Delta");
                keep(w, std::to_string(n++) + "-setup-folder-typed");
                ui.click(w, QPoint(315, 299));  // Next
            } else if (which == "Components") {
                ui.click(w, QPoint(315, 299));  // Next
            } else if (which == "Progress") {
                // Enter closes it only once the run has ended.
                for (int i = 0; i < 600 && ui.exists("Progress"); ++i) {
                    if (i == 0) keep(w, std::to_string(n++) + "-setup-progress");
                    ui.keys(w, "Return");
                    ::usleep(100000);
                }
            } else {
                ui.keys("Return");
            }
            ASSERT_TRUE(ui.waitGone(shown)) << shown << " stayed\n" << ui.transcript;
            if (shown == "Finished") break;
        }
        const auto code = setup.wait(60);
        ASSERT_TRUE(code) << "Setup did not end\n" << ui.transcript;
        EXPECT_EQ(*code, 0) << ui.transcript;
        for (const char* page : {"Setup-type", "Destination folder", "Components", "Progress"})
            EXPECT_TRUE(seen.count(page)) << page << " never came\n" << ui.transcript;
    }

    // The uninstaller, started as the product's "UninstallString" says, asked and answered.
    void runUninstaller(const std::string& commandLine) {
        const auto args = platform::splitCommandLine(commandLine);
        ASSERT_EQ(args.size(), 2u) << commandLine;
        const auto program = platform::Machine::openAt(machine).value().hostPath(args[0]);
        ASSERT_TRUE(program.ok()) << args[0];
        setup_test::Child uninstaller({program.value().string(), args[1]},
                                      {"DISPLAY=" + x.display, "QT_QPA_PLATFORM=xcb", "RUX_MACHINE=" + machine.string()});
        std::string w = ui.waitFor("Uninstall");
        ASSERT_FALSE(w.empty()) << ui.transcript;
        ASSERT_TRUE(ui.waitActive(w));
        keep(w, "50-uninstall-question");
        ui.keys("alt+y");  // No is the default
        // The closing words come in a box of the same caption.
        const std::string question = w;
        for (int i = 0; i < 300 && (w.empty() || w == question); ++i, ::usleep(100000)) w = ui.waitFor("Uninstall", 1);
        ASSERT_NE(w, question) << ui.transcript;
        ASSERT_FALSE(w.empty()) << ui.transcript;
        ASSERT_TRUE(ui.waitActive(w));
        keep(w, "51-uninstall-done");
        ui.keys("Return");
        const auto code = uninstaller.wait(30);
        ASSERT_TRUE(code) << "the uninstaller did not end\n" << ui.transcript;
        EXPECT_EQ(*code, 0);
    }


    // A row added through a list's menu on the wizard's current page: the menu's "Add".
    // The menu is a window of its own: it is looked for on the screen, and the key waits until it
    // is drawn, or the key would go to the list.
    void addRowThroughMenu(const std::string& wizard, QImage& page) {
        const std::string screen = root();
        QImage shot = ui.screenshot(screen);
        rightClick(wizard, QPoint(200, 150));
        ASSERT_TRUE(changed(screen, shot)) << "no menu came";
        settle(screen);
        page = ui.screenshot(wizard);
        ui.keys("a");
        ASSERT_TRUE(changed(wizard, page)) << "no row was added";
        settle(wizard);
        page = ui.screenshot(wizard);
    }
    // The next page, once the wizard has finished drawing it: a key pressed while it changes
    // pages may find its button still disabled.
    void nextPage(const std::string& wizard, QImage& page) {
        ui.keys("alt+n");
        ASSERT_TRUE(changed(wizard, page));
        settle(wizard);
        page = ui.screenshot(wizard);
    }

    // The string-variable page, then the registry page: a variable, and an entry whose data is it.
    void fillWizardLists(const std::string& wizard) {
        QImage page = ui.screenshot(wizard);
        for (int i = 0; i < 4; ++i) ASSERT_NO_FATAL_FAILURE(nextPage(wizard, page));
        keep(wizard, "01a-string-variables");
        ASSERT_NO_FATAL_FAILURE(addRowThroughMenu(wizard, page));
        ui.type("maker");
        ui.keys("Tab");
        ui.type("Maker Ltd");
        keep(wizard, "01b-string-variable-typed");
        ASSERT_NO_FATAL_FAILURE(nextPage(wizard, page));
        keep(wizard, "01c-registry-entries");
        ASSERT_NO_FATAL_FAILURE(addRowThroughMenu(wizard, page));
        ui.type("Software\\Maker\\Delta");
        ui.keys("Tab");
        ui.type("Vendor");
        ui.keys("Tab");  // the type, left REG_SZ as it comes
        ui.keys("Tab");  // the data
        ui.type("^MAKER^");
        keep(wizard, "01d-registry-entry-typed");
    }

    // On the registry tab: the wizard's entry given to Core, then a value of the machine's registry
    // pasted through the browser.
    void pasteFromRegistryBrowser() {
        frameShot = ui.screenshot(frame);
        ui.click(frame, QPoint(409, 39));
        ASSERT_TRUE(frameChanged());
        keep(frame, "12a-registry-tab");
        ui.click(frame, QPoint(58, 115));  // the first entry's component
        ASSERT_TRUE(frameChanged());
        ui.keys("ctrl+a");
        ui.type("Core");
        ui.keys("Tab");
        ASSERT_TRUE(frameChanged());
        keep(frame, "12b-entry-of-core");
        ui.click(frame, QPoint(60, 343));  // Registry...
        const std::string browser = ui.waitFor("Registry");
        ASSERT_FALSE(browser.empty()) << ui.transcript;
        ASSERT_TRUE(ui.waitActive(browser));
        QImage shot = ui.screenshot(browser);
        keep(browser, "12c-registry-browser");
        // HKEY_CURRENT_USER opened, its Software opened, Acme found by its first letter and opened,
        // and its Delta chosen.
        ui.click(browser, QPoint(100, 28));
        for (const char* key : {"Right", "Down", "Right", "a", "Right", "Down"}) {
            ui.keys(key);
            ASSERT_TRUE(changed(browser, shot)) << key;
        }
        keep(browser, "12d-registry-values");
        ui.click(browser, QPoint(280, 28));  // the value
        ASSERT_TRUE(changed(browser, shot));
        keep(browser, "12e-registry-value-chosen");
        frameShot = ui.screenshot(frame);
        ui.keys("alt+p");
        ASSERT_TRUE(ui.waitGone("Registry")) << ui.transcript;
        ASSERT_TRUE(ui.waitActive(frame));
        ASSERT_TRUE(frameChanged()) << "nothing was pasted";
        keep(frame, "12f-pasted");
    }


    // tool.exe, the list's second file, gets a shortcut through its properties.
    void giveShortcut() {
        rightClick(frame, QPoint(300, 121));
        ASSERT_TRUE(frameChanged()) << "no menu came";
        ui.keys("p");
        // (Captions are matched as patterns: a dot stands for each backslash.)
        const std::string caption = "Properties of C:.Source.Delta.tool.exe";
        const std::string w = ui.waitFor(caption);
        ASSERT_FALSE(w.empty()) << ui.transcript;
        ASSERT_TRUE(ui.waitActive(w));
        QImage shot = ui.screenshot(w);
        keep(w, "12g-file-properties");
        ui.click(w, QPoint(114, 45));  // Shortcut
        ASSERT_TRUE(changed(w, shot));
        ui.click(w, QPoint(360, 45));  // its text
        ui.type("Delta Tool");
        keep(w, "12h-file-shortcut");
        ui.click(w, QPoint(280, 93));  // Ok
        ASSERT_TRUE(ui.waitGone(caption)) << ui.transcript;
        ASSERT_TRUE(ui.waitActive(frame));
    }
};

TEST_F(AuthoringProcess, AProductDescribedInTheProgramIsBuiltInstalledAndUninstalled) {
    for (const char* name : {"readme.txt", "tool.exe"})
        testing_support::writeFile(machine / "drive_c" / "Source" / "Delta" / name,
                                   std::string("bytes of ") + name);
    {
        // A value of the machine's registry, for the browser to show and paste.
        platform::Registry registry(platform::Machine::openAt(machine).value());
        ASSERT_TRUE(registry.createKey(platform::RegRoot::CurrentUser, "Software\\Acme\\Delta").ok());
        ASSERT_TRUE(registry.setDword(platform::RegRoot::CurrentUser, "Software\\Acme\\Delta", "Level", 42).ok());
    }
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
    ASSERT_NO_FATAL_FAILURE(fillWizardLists(wizard));
    ui.keys("alt+f");
    ASSERT_TRUE(ui.waitGone("New product")) << ui.transcript;
    ::usleep(500000);
    keep(frame, "02-chooser");
    const runtime::SqlRow made = query("SELECT PRODNAME, PRODVERS, LABEL FROM PRODUCT WHERE ID = 2");
    ASSERT_EQ(made.size(), 3u);
    EXPECT_EQ(made[0], Product);
    // Both lists were saved with the product, the name in capitals as references use it.
    const runtime::SqlRow variable = query("SELECT NAME, VALUE FROM STRINGS WHERE PRODID = 2");
    ASSERT_EQ(variable.size(), 2u) << "the string variable was not saved";
    EXPECT_EQ(variable[0], "MAKER");
    EXPECT_EQ(variable[1], "Maker Ltd");
    const runtime::SqlRow entry =
        query("SELECT ROOTKEY, REGKEY, VALUENAME, VALUETYPE, REGDATA FROM REGKEYS WHERE PRODID = 2");
    ASSERT_EQ(entry.size(), 5u) << "the registry entry was not saved";
    EXPECT_EQ(entry[0], "2");
    EXPECT_EQ(entry[1], "Software\\Maker\\Delta");
    EXPECT_EQ(entry[2], "Vendor");
    EXPECT_EQ(entry[3], "1");
    EXPECT_EQ(entry[4], "^MAKER^");
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
    ui.click(picker, QPoint(40, 156));  // SETUPPATH, the folder the user chooses in Setup, below MAKER
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
    ASSERT_NO_FATAL_FAILURE(giveShortcut());

    ASSERT_NO_FATAL_FAILURE(pasteFromRegistryBrowser());

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
    // Both entries belong to Core now, the pasted one as it was read.
    EXPECT_EQ(query("SELECT COUNT(*) FROM REGKEYS R JOIN PROGGRP P ON P.PRODID = R.PRODID AND P.ID = R.PROGGRPID "
                    "WHERE R.PRODID = 2 AND P.NAME = 'Core'")[0],
              "2");
    const runtime::SqlRow pasted =
        query("SELECT ROOTKEY, REGKEY, VALUENAME, VALUETYPE, REGDATA FROM REGKEYS WHERE PRODID = 2 AND "
              "VALUENAME = 'Level'");
    ASSERT_EQ(pasted.size(), 5u) << "no pasted entry was saved";
    EXPECT_EQ(pasted[1], "Software\\Acme\\Delta");
    EXPECT_EQ(pasted[3], "4");
    ui.keys("alt+c");
    ASSERT_TRUE(frameChanged());
    keep(frame, "13-closed");
    ASSERT_NO_FATAL_FAILURE(build());

    // The pasted value is taken from the machine before Setup runs, so what Setup writes is its own.
    {
        platform::Registry registry(platform::Machine::openAt(machine).value());
        ASSERT_TRUE(registry.deleteKey(platform::RegRoot::CurrentUser, "Software\\Acme\\Delta").ok());
        ASSERT_TRUE(registry.deleteKey(platform::RegRoot::CurrentUser, "Software\\Acme").ok());
    }
    const auto before = testing_support::snapshotMachine(platform::Machine::openAt(machine).value());
    ASSERT_NO_FATAL_FAILURE(runSetup());

    platform::Machine installed = platform::Machine::openAt(machine).value();
    for (const char* name : {"readme.txt", "tool.exe"}) {
        const auto host = installed.hostPath(std::string("C:\\Apps\\Delta\\Core\\") + name);
        ASSERT_TRUE(host.ok());
        EXPECT_EQ(testing_support::readFile(host.value()), std::string("bytes of ") + name) << host.value();
    }
    const auto after = testing_support::snapshotMachine(installed);
    const auto added = testing_support::differences(before.files, after.files);
    // The shortcut in the product's program group.
    EXPECT_EQ(std::count(added.begin(), added.end(), "+ Windows/Start Menu/Programs/Delta/Delta Tool.lnk"), 1)
        << ::testing::PrintToString(added);
    platform::Registry registry(installed);
    auto vendor = registry.queryValue(platform::RegRoot::CurrentUser, "Software\\Maker\\Delta", "Vendor");
    ASSERT_TRUE(vendor.ok()) << "the wizard's entry was not written";
    EXPECT_EQ(vendor.value().type, 1u);
    EXPECT_EQ(std::string(vendor.value().data.begin(), vendor.value().data.end()), std::string("Maker Ltd\0", 10));
    auto level = registry.queryValue(platform::RegRoot::CurrentUser, "Software\\Acme\\Delta", "Level");
    ASSERT_TRUE(level.ok()) << "the pasted value was not written";
    EXPECT_EQ(level.value().type, 4u);
    EXPECT_EQ(level.value().data, (std::vector<uint8_t>{0x2a, 0, 0, 0}));

    // Removed as the product's uninstall entry says, the machine is as it was before Setup.
    std::string uninstall;
    if (auto keys = registry.subkeys(platform::RegRoot::LocalMachine,
                                     "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall"))
        for (const auto& k : keys.value())
            if (k.starts_with(Product)) uninstall = k;
    ASSERT_FALSE(uninstall.empty()) << "Setup registered no uninstall entry";
    auto command = registry.queryValue(platform::RegRoot::LocalMachine,
                                       "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + uninstall,
                                       "UninstallString");
    ASSERT_TRUE(command.ok());
    std::string commandLine(command.value().data.begin(), command.value().data.end());
    while (!commandLine.empty() && commandLine.back() == '\0') commandLine.pop_back();
    ASSERT_NO_FATAL_FAILURE(runUninstaller(commandLine));
    const auto removed = testing_support::snapshotMachine(platform::Machine::openAt(machine).value());
    EXPECT_EQ(testing_support::differences(before.files, removed.files), std::vector<std::string>{});
    EXPECT_EQ(testing_support::differences(before.registry, removed.registry), std::vector<std::string>{});
}

}  // namespace
