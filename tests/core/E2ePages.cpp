// Setup's pages as the publisher sees them, and as Setup then shows them. On the project window's
// background tab the example product gets a text near the lower right corner, one in the middle and
// a light yellow colour, all through its menus and dialogs; then a new name typed in the project
// window, which Setup's welcome sentence shows; the welcome and background previews are
// opened from the project window's pages tab, the product saved, built (F7) and tested (F8), and
// Setup's welcome page and background window are held against the previews: each text at the
// same place relative to its page or window, within a few pixels once scaled to Setup's size.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPointF>
#include <QRect>
#include <cmath>
#include <fstream>
#include <functional>
#include <span>
#include <string>

#include "core/AuthoringProcess.h"
#include "setup/ProcessDriver.h"

namespace {

namespace fs = std::filesystem;
using e2e_test::AuthoringProcess;

// Colours as the tables hold them: red + 256 green + 65536 blue.
constexpr long Yellow = 255 + 256 * 255 + 65536 * 192, Red = 255, Blue = 65536 * 255;

struct BackgroundText {
    const char* line;
    long x, y;  // ten-thousandths of the window's width and height
    long colour;
    int size;  // points
};
constexpr BackgroundText Corner{"Corner", 8000, 9000, Red, 24};
// The product's name as Setup will show it: the one typed in the project window, saved or not.
constexpr BackgroundText Middle{"^PRODUCTNAME^", 5000, 5000, Blue, 16};

constexpr const char* Artefacts = "pages-process";  // below test-artefacts, with places.txt
constexpr const char* NewName = "Wombat Warehouse Deluxe";
constexpr const char* Title = "Pages of ^PRODUCTNAME^";

using Pixel = std::function<bool(QRgb)>;
bool red(QRgb p) { return qRed(p) > 150 && qGreen(p) < 90 && qBlue(p) < 90; }
bool blue(QRgb p) { return qBlue(p) > 150 && qRed(p) < 90 && qGreen(p) < 90; }
// The side picture: dark blue to blue green, with a disc of grey blue.
bool navy(QRgb p) { return qBlue(p) > 100 && qRed(p) < 60; }
bool yellow(QRgb p) { return qRed(p) == 255 && qGreen(p) == 255 && qBlue(p) == 192; }
// The example product's background, 8388608.
bool navyBackground(QRgb p) { return qRed(p) == 0 && qGreen(p) == 0 && qBlue(p) == 128; }
bool dark(QRgb p) { return qGray(p) < 110 && !navy(p); }

// A point in a page's dialog units, in Setup's pixels.
QPoint dlu(int x, int y) { return QPoint((x * 3 + 1) / 2, (y * 13 + 4) / 8); }

// The smallest rectangle of `area` holding every pixel that `is` takes; null when none.
QRect where(const QImage& shot, const Pixel& is, QRect area = {}) {
    if (area.isNull()) area = shot.rect();
    area &= shot.rect();
    int left = INT_MAX, top = INT_MAX, right = -1, bottom = -1;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (is(shot.pixel(x, y))) {
                left = std::min(left, x), right = std::max(right, x);
                top = std::min(top, y), bottom = std::max(bottom, y);
            }
    return right < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

// Rows of `area` with ink, counted as runs: the lines of a text.
int lines(const QImage& shot, const QRect& area) {
    int runs = 0;
    bool inked = false;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        bool any = false;
        for (int x = area.left(); x <= area.right() && !any; ++x) any = dark(shot.pixel(x, y));
        if (any && !inked) ++runs;
        inked = any;
    }
    return runs;
}

// The ink's rectangle within `frame` as fractions of the frame, then laid on `onto`.
QRect scaled(const QRect& ink, const QRect& frame, const QRect& onto) {
    auto at = [&](QPointF p) {
        return QPoint(int(std::lround(onto.left() + (p.x() - frame.left()) * onto.width() / frame.width())),
                      int(std::lround(onto.top() + (p.y() - frame.top()) * onto.height() / frame.height())));
    };
    return QRect(at(ink.topLeft()), at(ink.bottomRight() + QPointF(1, 1))).adjusted(0, 0, -1, -1);
}

std::string text(const QRect& r) {
    return std::to_string(r.x()) + "," + std::to_string(r.y()) + " " + std::to_string(r.width()) + "x" +
           std::to_string(r.height());
}

// Where the preview showed a thing, laid on Setup's window, against where Setup shows it: the
// upper left corner within `near` pixels, the size within a tenth (the preview draws its fonts
// reduced, so their widths differ by rounding).
void expectSamePlace(const QRect& preview, const QRect& setup, int near, const std::string& what) {
    const std::string line = what + ": preview " + text(preview) + ", Setup " + text(setup);
    std::ofstream(testing_support::artefactFolder(Artefacts) / "places.txt", std::ios::app) << line << "\n";
    SCOPED_TRACE(line);
    ASSERT_FALSE(preview.isNull());
    ASSERT_FALSE(setup.isNull());
    EXPECT_LE(std::abs(preview.left() - setup.left()), near);
    EXPECT_LE(std::abs(preview.top() - setup.top()), near);
    EXPECT_LE(std::abs(preview.width() - setup.width()), std::max(near, setup.width() / 10));
    EXPECT_LE(std::abs(preview.height() - setup.height()), std::max(near, setup.height() / 10));
}

class PagesProcess : public AuthoringProcess {
protected:
    PagesProcess() {
        artefacts = Artefacts;
        fs::remove(testing_support::artefactFolder(artefacts) / "places.txt");
    }

    // Setup's background on the project window's background tab, as a publisher makes it: the
    // example's text deleted through its menu, each text added where the background is
    // right-clicked and then put at its exact place through the Left and Top fields, the colour
    // mixed with the colour dialog's RGB... The drawing is Setup's window on the example's navy.
    void placeBackground(long colour, std::span<const BackgroundText> texts) {
        ui.keys("alt+b");
        ASSERT_TRUE(frameChanged()) << "no background tab";
        const QImage tab = keep(stable(frame), "02-background-tab");
        const QRect drawn = where(tab, navyBackground, QRect(16, 112, 597, 244));
        ASSERT_GT(drawn.width(), 100) << "the tab draws no background of the example's colour";
        // The example's white text, below the white title.
        const QRect example = where(tab, [](QRgb p) { return qGray(p) > 200; }, drawn.adjusted(0, 12, 0, 0));
        ASSERT_FALSE(example.isNull()) << "the tab draws no example text";
        ASSERT_TRUE(menu(example.center(), "d"));
        ASSERT_TRUE(frameChanged());
        int n = 0;
        for (const BackgroundText& b : texts) {
            // Near its place; the fields make it exact.
            ASSERT_TRUE(menu(drawn.topLeft() + QPoint(drawn.width() * b.x / 10000, drawn.height() * b.y / 10000),
                             "n"));
            const std::string font = ui.waitFor("Font selection", 10);
            ASSERT_FALSE(font.empty()) << "New text... asked for no text";
            ASSERT_TRUE(ui.waitActive(font));
            ui.type(b.line);  // the text's field has the focus
            ui.click(font, QPoint(100, 88));
            ::usleep(300000);
            // Looked up in the open list of fonts from its top: from the face shown, the lookup
            // would go on to the next face of the same start.
            ui.keys("Home");
            ui.type("DejaVu Sans");
            ui.keys("Return");
            ui.click(font, QPoint(360, 87));
            ui.keys("ctrl+a");
            ui.type(std::to_string(b.size));
            ui.keys("Tab");
            ui.click(font, QPoint(545, 95));  // RGB...
            ASSERT_NO_FATAL_FAILURE(mix(b.colour));
            keep(stable(font), "02-text-" + std::to_string(++n));
            ui.keys("alt+o");
            ASSERT_TRUE(ui.waitGone("Font selection"));
            for (auto [at, edge] : {std::pair{QPoint(435, 94), b.x}, {QPoint(549, 94), b.y}}) {
                ui.click(frame, at);
                ui.keys("ctrl+a");
                ui.type(std::to_string(edge / 100));
                ui.keys("Tab");
            }
        }
        ASSERT_TRUE(menu(drawn.topLeft() + QPoint(drawn.width() / 4, drawn.height() / 2), "b"));
        const std::string picker = ui.waitFor("Select a color", 10);
        ASSERT_FALSE(picker.empty()) << "Backgroundcolor... showed no colour dialog";
        ASSERT_TRUE(ui.waitActive(picker));
        keep(stable(picker), "02-colour");
        ui.keys("alt+r");
        ASSERT_NO_FATAL_FAILURE(mix(colour));
        ui.keys("alt+o");
        ASSERT_TRUE(ui.waitGone("Select a color"));
        ASSERT_TRUE(ui.waitActive(frame));
        keep(stable(frame, yellow), "02-background");
    }

    // Right-clicks the drawing at `at` and chooses the menu's entry by its key.
    bool menu(QPoint at, const std::string& key) {
        screenShot = ui.screenshot(root());
        rightClick(frame, at);
        if (!screenChanged()) return false;
        ::usleep(300000);  // the menu takes its keys once it has grabbed them
        ui.keys(key);
        return true;
    }

    // The colour mixed from its red, green and blue, typed into the mixer that RGB... opened.
    void mix(long colour) {
        const std::string mixer = ui.waitFor("Color selection", 10);
        ASSERT_FALSE(mixer.empty()) << "RGB... opened no mixer";
        ASSERT_TRUE(ui.waitActive(mixer));
        for (auto [y, part] : {std::pair{31, colour & 255}, {100, (colour >> 8) & 255}, {169, colour >> 16}}) {
            ui.click(mixer, QPoint(40, y));
            ui.keys("ctrl+a");
            ui.type(std::to_string(part));
            ui.keys("Tab");
        }
        ui.keys("alt+o");
        ASSERT_TRUE(ui.waitGone("Color selection"));
    }

    // Opens the preview of the pages tab's page shown (its Preview button), keeps its screenshot
    // and closes it.
    QImage preview(const std::string& caption, const std::string& name) {
        ui.focus(frame);
        ui.click(frame, QPoint(361, 94));
        // A page reduced to fit has the reduction after its caption.
        const std::string window = ui.waitFor(caption + "( \\([0-9]+% zoomed\\))?", 15);
        EXPECT_FALSE(window.empty()) << ui.transcript;
        if (window.empty()) return {};
        EXPECT_TRUE(ui.waitActive(window));
        QImage shot = stable(window);
        keep(shot, name);
        ui.keys("alt+o");
        EXPECT_TRUE(ui.waitGone(caption + ".*")) << ui.transcript;
        return shot;
    }

    // The window's screenshot once two in a row agree: it has painted itself.
    QImage stable(const std::string& window, const Pixel& shows = {}) {
        QImage last = ui.screenshot(window);
        for (int i = 0; i < 100; ++i) {
            ::usleep(100000);
            QImage now = ui.screenshot(window);
            if (!now.isNull() && now == last && (!shows || !where(now, shows).isNull())) return now;
            last = now;
        }
        return last;
    }
};

TEST_F(PagesProcess, SetupShowsItsPagesWhereThePreviewsShowedThem) {
    pakomo = std::make_unique<setup_test::Child>(
        std::vector<std::string>{(fs::path(std::getenv("RUX_BUILD_DIR")) / "bin" / "pakomo").string()},
        programEnvironment(x.display));
    frame = ui.waitFor("Pakomo");
    ASSERT_FALSE(frame.empty()) << ui.transcript;
    ASSERT_TRUE(ui.waitActive(frame));
    frameShot = ui.screenshot(frame);
    ui.click(frame, QPoint(148, 72));  // the example product
    ui.keys("Return");
    ASSERT_TRUE(frameChanged()) << "no project window came";
    keep(stable(frame), "01-project");
    const BackgroundText texts[] = {Corner, Middle};
    ASSERT_NO_FATAL_FAILURE(placeBackground(Yellow, texts));
    ui.keys("alt+p");
    ASSERT_TRUE(frameChanged()) << "no product tab";

    // The product's new name, typed over the old one.
    ui.click(frame, QPoint(265, 94));
    ui.keys("ctrl+a");
    ui.type(NewName);
    keep(frame, "02-name");
    ui.keys("alt+g");
    ASSERT_TRUE(frameChanged()) << "no pages tab";
    keep(frame, "03-pages");
    const QImage welcomePreview = preview("Preview: Welcome", "04-welcome-preview");
    ASSERT_TRUE(ui.waitActive(frame));
    // The background window's page: its title, then its preview.
    screenShot = ui.screenshot(root());
    ui.click(frame, QPoint(226, 94));
    ASSERT_TRUE(screenChanged()) << "the list of pages did not open";
    ui.keys("End Return");
    ASSERT_TRUE(frameChanged());
    ui.click(frame, QPoint(300, 121));
    ui.keys("ctrl+a");
    ui.type(Title);
    keep(frame, "05-background-page");
    const QImage backgroundPreview = preview("Preview: Background window", "06-background-preview");
    ASSERT_TRUE(ui.waitActive(frame));

    ui.keys("alt+s");
    runtime::SqlRow saved;
    for (int i = 0; i < 100 && (saved.empty() || saved[0] != NewName); ++i, ::usleep(100000))
        saved = query("SELECT PRODNAME, PRODVERS, LABEL FROM PRODUCT WHERE ID = 1");
    ASSERT_EQ(saved.size(), 3u);
    ASSERT_EQ(saved[0], NewName) << "Save wrote no new name";
    EXPECT_EQ(query("SELECT TITLE FROM WMAIN WHERE PRODID = 1")[0], Title);
    full = std::string(NewName) + " " + saved[1].value_or("") + " " + saved[2].value_or("");
    ui.keys("alt+c");
    ASSERT_TRUE(frameChanged());
    ASSERT_NO_FATAL_FAILURE(build(QPoint(148, 72), "07-after-build"));

    // F8: Setup in test mode, its welcome page over its background window.
    ui.keys("F8");
    const std::string welcome = ui.waitFor("Welcome", 30);
    ASSERT_FALSE(welcome.empty()) << "F8 started no Setup";
    const std::string background = ui.waitFor(std::string("Pages of ") + NewName);
    ASSERT_FALSE(background.empty()) << "Setup's background window has not the title typed";
    const QImage welcomePage = keep(stable(welcome), "08-setup-welcome");
    // The page stands in the middle of the screen, over the middle text: moved aside, as a user
    // would drag it, to see the whole background.
    setup_test::runOn(x.display, "xdotool windowmove --sync " + welcome + " 0 0");
    const QImage backgroundWindow = keep(stable(background, blue), "09-setup-background");
    setup_test::runOn(x.display, "xdotool search --name '^Welcome$' windowkill");

    // The background: each text where the preview put it within the window's client area.
    const QRect previewClient = where(backgroundPreview, yellow), setupClient = backgroundWindow.rect();
    ASSERT_FALSE(previewClient.isNull()) << "the preview shows no background of the product's colour";
    for (auto [what, is] : {std::pair<const char*, Pixel>{"corner text", red}, {"middle text", blue}})
        expectSamePlace(scaled(where(backgroundPreview, is, previewClient), previewClient, setupClient),
                        where(backgroundWindow, is), 4, what);
    EXPECT_EQ(where(backgroundWindow, yellow).size(), setupClient.size())
        << "Setup's background is not the product's colour";

    // The welcome page: laid on each other by the side picture (at 3, 1 and 81 x 161 dialog
    // units on both), the sentence with the new name and the advice stand at the same places.
    // (Searched left of the texts: the default button's frame is blue too.)
    const QRect previewPicture = where(welcomePreview, navy, QRect(0, 0, welcomePreview.width() / 3, 9999));
    const QRect setupPicture = where(welcomePage, navy, QRect(0, 0, dlu(88, 0).x(), 9999));
    ASSERT_FALSE(previewPicture.isNull()) << "the preview shows no side picture";
    EXPECT_EQ(setupPicture, QRect(dlu(3, 1), QSize(dlu(81, 161).x(), dlu(81, 161).y())))
        << text(setupPicture);
    const double k = double(previewPicture.width()) / setupPicture.width();
    const QRect previewPage(previewPicture.topLeft() - dlu(3, 1) * k, welcomePage.size() * k);
    for (auto [what, area] : {std::pair<const char*, QRect>{"sentence", QRect(dlu(91, 4), dlu(290, 46))},
                              {"advice", QRect(dlu(91, 48), dlu(290, 98))}}) {
        const QRect onSetup = where(welcomePage, dark, area.adjusted(0, 0, -1, -1));
        const QRect onPreview =
            scaled(where(welcomePreview, dark, scaled(area, welcomePage.rect(), previewPage)), previewPage,
                   welcomePage.rect());
        expectSamePlace(onPreview, onSetup, 3, what);
        // The new name makes the sentence three lines long (the old one, two).
        if (std::string(what) == "sentence") {
            EXPECT_EQ(lines(welcomePage, onSetup), 3);
        }
    }
}

}  // namespace
