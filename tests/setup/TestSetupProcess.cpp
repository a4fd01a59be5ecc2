// Setup as a user runs it: the program copied to the first disc by the build, started as its own
// process in an X server of its own under a window manager, worked only by real keys and clicks
// on windows found by their captions.
#include "ProcessDriver.h"
#include "SetupProducts.h"

#include "installer/setup/CProgressDialog.h"
#include "installer/setup/DialogUnits.h"
#include "platform/Files.h"
#include "platform/Registry.h"
#include "support/TempFolder.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace fs = std::filesystem;
using namespace setup_test;

namespace {

constexpr std::size_t BigFileSize = 128u << 20;

// The centre of a control placed in dialog units.
QPoint centre(int x, int y, int width, int height) { return setup::dlu(x, y, width, height).center(); }

struct SetupProcess : ::testing::Test {
    testing_support::TempFolder sources{"sources"};
    platform::Machine machine = openMachine();
    XServer x;
    Driver ui;
    std::unique_ptr<Child> setup;

    void SetUp() override {
        ASSERT_TRUE(fs::exists("/usr/bin/Xvfb") && fs::exists("/usr/bin/xdotool") && fs::exists("/usr/bin/openbox") &&
                    fs::exists("/usr/bin/xwd") && fs::exists("/usr/bin/xprop"))
            << "scripts/install-deps.sh installs them";
        ASSERT_FALSE(x.display.empty()) << "Xvfb did not start";
        ASSERT_TRUE(x.managed) << "openbox did not start";
        ui.display = x.display;
    }

    void start(const SetupDiscs& discs) {
        setup = std::make_unique<Child>(
            std::vector<std::string>{(discs.disc(1) / "Setup.exe").string()},
            std::vector<std::string>{"DISPLAY=" + x.display, "QT_QPA_PLATFORM=xcb", "RUX_MACHINE=" + machine.root().string()});
        ASSERT_GT(setup->pid(), 0);
    }

    // Main on the first disc with a large file between two small ones; Extras, with Samples below
    // it, on the second disc.
    build::Product twoDiscProduct(bool bigFile) {
        build::Product p = smallProduct(sources.path());
        p.showLicense = false;
        p.useProgramGroup = false;
        p.files.front().shortcut = false;
        if (bigFile) {
            addFile(p, sources.path(), 1, "big.dat", noise(BigFileSize, 7));
            std::swap(p.files[1], p.files[2]);  // tool.exe, big.dat, readme.txt
        }
        p.components.push_back({.id = 2, .name = "Extras", .setupTypes = 1, .destination = "^SETUPPATH^\\Extras"});
        p.components.push_back({.id = 3, .parentId = 2, .name = "Samples", .setupTypes = 1,
                                .destination = "^SETUPPATH^\\Samples"});
        addFile(p, sources.path(), 2, "extras.dat", noise(300000, 8));
        addFile(p, sources.path(), 3, "sample.dat", "sample");
        return p;
    }

    std::unique_ptr<SetupDiscs> writeTwoDiscs(const build::Product& p, std::size_t firstDiscArchive) {
        const fs::path bin = fs::path(std::getenv("RUX_BUILD_DIR")) / "bin";
        const uint64_t capacity = fs::file_size(bin / "Setup") + fs::file_size(bin / "libruxdecompress.so") +
                                  firstDiscArchive + 100000;
        auto discs = writeDiscs(p, capacity, true);
        EXPECT_TRUE(fs::exists(discs->disc(2) / "Disc.lbl"));
        EXPECT_FALSE(fs::exists(discs->disc(3)));
        return discs;
    }

    // Presses Enter on the progress dialog until the run has ended and it closes.
    void closeProgress(const std::string& progress) {
        for (int i = 0; i < 600 && ui.exists("Progress"); ++i) {
            ui.keys(progress, "Return");
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    }

    std::string artefact(const std::string& name) {
        return (testing_support::artefactFolder("setup-process") / name).string();
    }
};

// A title bar with a close box only: the window asks for no minimise or maximise box and no
// sizing (its Motif hints), and the window manager offers closing but no maximising or sizing.
// (openbox offers minimising whatever a window asks.)
void expectCloseBoxOnly(Driver& ui, const std::string& window) {
    const std::string actions = ui.allowedActions(window);
    EXPECT_TRUE(actions.find("_NET_WM_ACTION_CLOSE") != std::string::npos) << actions;
    for (const char* action : {"_NET_WM_ACTION_MAXIMIZE", "_NET_WM_ACTION_RESIZE"})
        EXPECT_TRUE(actions.find(action) == std::string::npos) << actions;
    const std::string hints = runOn(ui.display, "xprop -id " + window + " _MOTIF_WM_HINTS").second;
    std::vector<unsigned long> v;
    for (auto at = hints.find("0x"); at != std::string::npos; at = hints.find("0x", at + 2))
        v.push_back(std::stoul(hints.substr(at), nullptr, 16));
    ASSERT_GE(v.size(), 3u) << hints;
    EXPECT_EQ(v[1] & (1 | 8 | 16), 0u) << "functions: neither all, minimise nor maximise; " << hints;
    EXPECT_NE(v[1] & 32, 0u) << "functions: close; " << hints;
    EXPECT_EQ(v[2] & (1 | 32 | 64), 0u) << "decorations: neither all, minimise nor maximise box; " << hints;
}

// The bar's filled width in a screenshot of the progress dialog: the blue run along a row of the
// field above the digits.
int barFill(const QImage& shot) {
    const QRect bar = setup::CProgressDialog::BarRect;
    int fill = 0;
    for (int x = bar.left() + 1; x < bar.right() && x < shot.width(); ++x)
        if (shot.pixel(x, bar.top() + 1) == qRgb(0, 0, 255)) ++fill;
    return fill;
}

// Whether an area of a screenshot is all one colour.
bool plain(const QImage& shot, const QRect& area) {
    for (int y = area.top(); y <= area.bottom() && y < shot.height(); ++y)
        for (int x = area.left(); x <= area.right() && x < shot.width(); ++x)
            if (shot.pixel(x, y) != shot.pixel(area.topLeft())) return false;
    return !shot.isNull();
}

}  // namespace

TEST_F(SetupProcess, InstallsAProductWhenStartedFromTheFirstDisc) {
    build::Product product = smallProduct(sources.path());
    product.showLicense = product.showFinished = false;
    product.useProgramGroup = false;
    product.minimalOffered = product.customOffered = false;
    product.readmeMode = 0;
    product.files.front().shortcut = false;
    auto discs = writeDiscs(product, 0, true);
    ASSERT_TRUE(fs::exists(discs->disc(1) / "Setup.exe"));
    start(*discs);

    // Welcome, user information (the name typed), destination folder, the question, progress.
    std::string w = ui.waitFor("Welcome");
    ASSERT_FALSE(w.empty()) << ui.transcript;
    ui.keys(w, "Return");
    w = ui.waitFor("User information");
    ASSERT_FALSE(w.empty()) << ui.transcript;
    ui.type(w, "Ann Smith");
    ui.keys(w, "Tab");
    ui.type(w, "Maker Ltd");
    ui.keys(w, "Return");
    w = ui.waitFor("Destination folder");
    ASSERT_FALSE(w.empty()) << ui.transcript;
    ui.keys(w, "ctrl+a");
    ui.type(w, "C:\\Tools\\Tool");
    ui.keys(w, "Return");
    w = ui.waitFor("Setup");
    ASSERT_FALSE(w.empty()) << ui.transcript;
    ui.keys(w, "Return");
    w = ui.waitFor("Progress");
    ASSERT_FALSE(w.empty()) << ui.transcript;
    // Enter closes the progress dialog only once the run has ended.
    closeProgress(w);
    auto code = setup->wait(30);
    ASSERT_TRUE(code) << "Setup did not end\n" << ui.transcript;
    EXPECT_EQ(*code, 0) << ui.transcript;

    platform::Files files(machine);
    auto host = machine.hostPath("C:\\Tools\\Tool\\tool.exe");
    ASSERT_TRUE(host && fs::exists(*host)) << ui.transcript;
    EXPECT_EQ(testing_support::readFile(*host), "program bytes");
    platform::Registry registry(machine);
    auto user = registry.queryValue(platform::RegRoot::CurrentUser, "Software\\Maker\\Tool", "User");
    ASSERT_TRUE(user);
    EXPECT_EQ(std::string(user->data.begin(), user->data.end()), std::string("Ann Smith\0", 10));
    auto company = registry.queryValue(platform::RegRoot::CurrentUser, "Software\\Maker\\Tool", "Company");
    ASSERT_TRUE(company);
    EXPECT_EQ(std::string(company->data.begin(), company->data.end()), std::string("Maker Ltd\0", 10));
    // Registered for removal, with its record in the Windows folder.
    EXPECT_TRUE(registry.keyExists(platform::RegRoot::LocalMachine,
                                   "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tool 1.0")
                    .valueOr(false));
    EXPECT_TRUE(files.exists("C:\\Windows\\UninstTool10.RUX"));
}

TEST_F(SetupProcess, CustomInstallByKeysAndClicksWithTheBarMovingDuringALargeFile) {
    // The first disc ends a little past the middle of the large file.
    auto discs = writeTwoDiscs(twoDiscProduct(true), BigFileSize * 11 / 20);
    start(*discs);
    std::map<std::string, QRect> at;  // each page's client area on the screen
    std::string w = ui.waitFor("Welcome");
    ASSERT_FALSE(w.empty()) << ui.transcript;
    at["Welcome"] = ui.geometry(w);
    // Owned by the background window; a title bar with a close box only.
    EXPECT_EQ(ui.owner(w), windowNumber(ui.waitFor("Tool Setup")));
    expectCloseBoxOnly(ui, w);
    ui.keys(w, "Return");
    w = ui.waitFor("User information");
    ASSERT_FALSE(w.empty()) << ui.transcript;
    at["User information"] = ui.geometry(w);
    ui.type("Ann Smith");
    ui.keys("Return");
    w = ui.waitFor("Setup-type");
    ASSERT_FALSE(w.empty()) << ui.transcript;
    at["Setup-type"] = ui.geometry(w);
    ui.click(w, centre(97, 123, 39, 10));  // Custom
    ui.keys("Return");
    w = ui.waitFor("Destination folder");
    ASSERT_FALSE(w.empty()) << ui.transcript;
    at["Destination folder"] = ui.geometry(w);
    // Browse opens the folder picker over the page, in front of it; Escape leaves the field.
    const std::string destination = w;
    ui.click(w, centre(249, 85, 50, 12));
    w = ui.waitFor("Choose folder");
    ASSERT_FALSE(w.empty()) << ui.transcript;
    EXPECT_EQ(ui.owner(w), windowNumber(destination));
    expectCloseBoxOnly(ui, w);
    ui.screenshot(w).save(QString::fromStdString(artefact("choose-folder.png")));
    ui.keys("Escape");
    ASSERT_TRUE(ui.waitGone("Choose folder")) << ui.transcript;
    ui.click(destination, centre(89, 84, 156, 14));  // into the folder field
    ui.keys("ctrl+a");
    ui.type("C:\\Apps\\Tool");
    ui.click(destination, centre(185, 178, 50, 12));  // Next
    const std::string page = ui.waitFor("Components");
    ASSERT_FALSE(page.empty()) << ui.transcript;
    at["Components"] = ui.geometry(page);
    // Lines "Extras" and "Main": a click on the first line's name makes it current, Options
    // opens its level.
    ui.click(page, QPoint(200, 36));
    ui.click(page, centre(215, 17, 50, 14));
    w = ui.waitFor("Components - Extras");
    ASSERT_FALSE(w.empty()) << ui.transcript;
    const QRect options = ui.geometry(w);
    // The list has the focus: its first line carries the focus mark, and the space bar unticks it.
    QImage shot = ui.screenshot(w);
    shot.save(QString::fromStdString(artefact("options-focus.png")));
    // (Extras, the level's parent, stands greyed above Samples.) The mark's dotted edges: a row
    // that turns from dark to light many times between the name and the size column.
    int dottedRows = 0;
    for (int y = 29; y < 90; ++y) {
        int turns = 0;
        for (int x = 200; x < 280; ++x)
            if (qGray(shot.pixel(x, y)) < 128 && qGray(shot.pixel(x + 1, y)) >= 128) ++turns;
        if (turns >= 20) ++dottedRows;
    }
    EXPECT_GE(dottedRows, 1) << "the focus mark on the list's current line";
    ui.keys("space");
    ui.keys("Return");
    ASSERT_TRUE(ui.waitGone("Components - Extras")) << ui.transcript;
    ui.screenshot(page).save(QString::fromStdString(artefact("components.png")));
    ui.click(page, centre(185, 178, 50, 12));  // Next

    // Every page at one place; the Options dialog 8 pixels to the right of its page.
    for (const auto& [caption, rect] : at)
        EXPECT_EQ(rect.topLeft(), at["Welcome"].topLeft()) << caption;
    EXPECT_EQ(options.topLeft(), at["Components"].topLeft() + QPoint(8, 0));

    w = ui.waitFor("Setup");
    ASSERT_FALSE(w.empty()) << ui.transcript;
    ui.keys("Return");
    const std::string progress = ui.waitFor("Progress");
    ASSERT_FALSE(progress.empty()) << ui.transcript;
    // A screenshot every second while the large file is worked on; the second disc is asked for
    // in the middle of it. The bar moves, and once the prompt has gone the dialog shows itself
    // again, not the prompt's image.
    std::vector<int> fills;
    bool prompted = false;
    int afterPrompt = 0;
    const int full = setup::CProgressDialog::BarRect.width() - 4;
    for (int n = 0; n < 120; ++n) {
        if (!prompted && ui.exists("Next disc")) {
            prompted = true;
            ui.keys("ctrl+a");
            ui.type(machine.windowsPath(discs->disc(2)));
            ui.keys("Return");
            ASSERT_TRUE(ui.waitGone("Next disc")) << ui.transcript;
        }
        shot = ui.screenshot(progress);
        shot.save(QString::fromStdString(artefact("custom-progress-" + std::to_string(n) + ".png")));
        // A prompt that came up while the shot was taken may cover the bar: it is answered first.
        if (!prompted && ui.exists("Next disc")) continue;
        fills.push_back(barFill(shot));
        if (prompted && !ui.exists("Next disc")) {
            ++afterPrompt;
            // Between the status line and the file's path the dialog is plain.
            EXPECT_TRUE(plain(shot, QRect(5, 30, 515, 20)))
                << "custom-progress-" << n << ".png shows what was over the dialog";
        }
        if (fills.back() >= full * 95 / 100) break;
        std::this_thread::sleep_for(std::chrono::seconds(1));
    }
    EXPECT_TRUE(prompted) << ui.transcript;
    EXPECT_GE(afterPrompt, 1);
    std::vector<int> within;
    for (int fill : fills)
        if (fill > full / 20 && fill < full * 19 / 20 && (within.empty() || fill != within.back())) within.push_back(fill);
    EXPECT_GE(within.size(), 2u) << "bar widths seen: " << ::testing::PrintToString(fills);
    EXPECT_TRUE(std::is_sorted(within.begin(), within.end())) << ::testing::PrintToString(fills);

    closeProgress(progress);
    w = ui.waitFor("Readme");
    ASSERT_FALSE(w.empty()) << ui.transcript;
    ui.keys("Return");
    w = ui.waitFor("Finished");
    ASSERT_FALSE(w.empty()) << ui.transcript;
    ui.keys("Return");
    auto code = setup->wait(60);
    ASSERT_TRUE(code) << "Setup did not end\n" << ui.transcript;
    EXPECT_EQ(*code, 0) << ui.transcript;

    auto big = machine.hostPath("C:\\Apps\\Tool\\big.dat");
    ASSERT_TRUE(big && fs::exists(*big));
    EXPECT_EQ(fs::file_size(*big), BigFileSize);
    auto extras = machine.hostPath("C:\\Apps\\Tool\\Extras\\extras.dat");
    EXPECT_TRUE(extras && fs::exists(*extras)) << "from the second disc";
    auto sample = machine.hostPath("C:\\Apps\\Tool\\Samples\\sample.dat");
    EXPECT_TRUE(sample && !fs::exists(*sample)) << "unticked in the Options dialog";
}

TEST_F(SetupProcess, CancelClickedDuringALargeFileStopsTheRunAfterIt) {
    auto discs = writeTwoDiscs(twoDiscProduct(true), BigFileSize);
    const auto before = folderContents(machine.root());
    start(*discs);
    for (const char* caption : {"Welcome", "User information", "Setup-type", "Destination folder", "Setup"}) {
        std::string w = ui.waitFor(caption);
        ASSERT_FALSE(w.empty()) << ui.transcript;
        if (std::string(caption) == "User information") ui.type("Ann");
        ui.keys("Return");
    }
    const std::string progress = ui.waitFor("Progress");
    ASSERT_FALSE(progress.empty()) << ui.transcript;
    ASSERT_TRUE(ui.waitActive(progress)) << ui.transcript;
    ui.click(progress, centre(150, 76, 50, 14));
    // The large file is finished first: the bar fills (to 100% once rounded, as the files that
    // follow are small) and the run ends, its file line hidden, without asking for the second disc.
    const int full = setup::CProgressDialog::BarRect.width() - 3;
    const QRect fileLine = setup::dlu(10, 32, 330, 20);
    QImage shot;
    for (int i = 0; i < 600; ++i) {
        shot = ui.screenshot(progress);
        if (barFill(shot) == full && plain(shot, fileLine)) break;
        ASSERT_FALSE(ui.exists("Next disc")) << "Cancel did not stop the run\n" << ui.transcript;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    shot.save(QString::fromStdString(artefact("canceled-after-large-file.png")));
    EXPECT_EQ(barFill(shot), full);
    EXPECT_TRUE(plain(shot, fileLine)) << "the run has ended";
    // Then Enter closes the dialog.
    for (int i = 0; i < 600 && ui.exists("Progress"); ++i) {
        ASSERT_FALSE(ui.exists("Next disc")) << "Cancel did not stop the run\n" << ui.transcript;
        ui.keys(progress, "Return");
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    std::string w = ui.waitFor("Setup");  // "The installation has not been completed."
    ASSERT_FALSE(w.empty()) << ui.transcript;
    ui.keys("Return");
    auto code = setup->wait(60);
    ASSERT_TRUE(code) << "Setup did not end\n" << ui.transcript;
    EXPECT_EQ(*code, 1) << ui.transcript;
    EXPECT_EQ(folderContents(machine.root()), before) << "the machine is as it was";
}

TEST_F(SetupProcess, CancelAtTheNextDiscPromptLeavesTheProgressDialogInFront) {
    auto discs = writeTwoDiscs(twoDiscProduct(false), 0);
    const auto before = folderContents(machine.root());
    start(*discs);
    for (const char* caption : {"Welcome", "User information", "Setup-type", "Destination folder", "Setup"}) {
        std::string w = ui.waitFor(caption);
        ASSERT_FALSE(w.empty()) << ui.transcript;
        if (std::string(caption) == "User information") ui.type("Ann");
        ui.keys("Return");
    }
    const std::string progress = ui.waitFor("Progress");
    ASSERT_FALSE(progress.empty()) << ui.transcript;
    std::string w = ui.waitFor("Next disc");
    ASSERT_FALSE(w.empty()) << ui.transcript;
    // Each window is owned by the one it belongs to: the progress dialog by the background
    // window, the prompt by the progress dialog, the question by the prompt.
    EXPECT_EQ(ui.owner(progress), windowNumber(ui.waitFor("Tool Setup")));
    EXPECT_EQ(ui.owner(w), windowNumber(progress));
    expectCloseBoxOnly(ui, progress);
    expectCloseBoxOnly(ui, w);
    const std::string prompt = w;
    ui.click(w, centre(142, 72, 50, 14));  // Cancel
    w = ui.waitFor("Setup");               // "Are you sure ...?"
    ASSERT_FALSE(w.empty()) << ui.transcript;
    EXPECT_EQ(ui.owner(w), windowNumber(prompt));
    ui.keys("Return");
    ASSERT_TRUE(ui.waitGone("Next disc")) << ui.transcript;
    // The progress dialog, now saying "Canceled.", is the top window, not behind the background.
    unsigned long top = 0;
    for (int i = 0; i < 100 && top != windowNumber(progress); ++i) {
        auto stack = ui.stacking();
        top = stack.empty() ? 0 : stack.back();
        if (top != windowNumber(progress)) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    runOn(x.display, "xwd -silent -root | cat > " + artefact("canceled-at-next-disc.xwd"));
    EXPECT_EQ(top, windowNumber(progress)) << "top window: " << ui.name(top);
    ui.screenshot(progress).save(QString::fromStdString(artefact("canceled-at-next-disc.png")));
    closeProgress(progress);
    w = ui.waitFor("Setup");
    ASSERT_FALSE(w.empty()) << ui.transcript;
    ui.keys("Return");
    auto code = setup->wait(60);
    ASSERT_TRUE(code) << "Setup did not end\n" << ui.transcript;
    EXPECT_EQ(*code, 1) << ui.transcript;
    EXPECT_EQ(folderContents(machine.root()), before) << "the machine is as it was";
}
