// The progress dialog's bar: frame, white field, the percentage, and the XOR fill up to the
// rounded width.
#include "SetupProducts.h"

#include "installer/logic/CInstallEngine.h"
#include "installer/setup/CProgressDialog.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <QImage>

using namespace setup_test;

namespace {

struct ProgressBarTest : ::testing::Test {
    testing_support::TempFolder sources{"sources"};
    std::unique_ptr<SetupDiscs> discs = writeDiscs(smallProduct(sources.path()));
    platform::Machine machine = openMachine();
    std::unique_ptr<setup::CSetupProgram> program;
    std::unique_ptr<setup::CInstallEngine> engine;
    std::unique_ptr<setup::CProgressDialog> dialog;

    void SetUp() override {
        application();
        program = std::make_unique<setup::CSetupProgram>(machine, std::vector<std::string>{},
                                                         machine.windowsPath(discs->disc(1) / "Setup.exe"));
        auto& app = program->app();
        app.InitRun({}, machine.windowsPath(discs->disc(1) / "Setup.exe"));
        ASSERT_TRUE(app.ReadSetupInfo());
        ASSERT_TRUE(app.BuildVariableTable());
        engine = std::make_unique<setup::CInstallEngine>(app);
        dialog = std::make_unique<setup::CProgressDialog>(app, *engine);
    }

    QImage drawn(uint64_t done, uint64_t total) {
        dialog->AdvanceProgress(done, total);
        return dialog->grab().toImage();
    }
};

QColor at(const QImage& image, int x, int y) { return image.pixelColor(x, y); }

}  // namespace

TEST_F(ProgressBarTest, HalfWayFillsHalfTheBarInBlue) {
    QImage image = drawn(50, 100);
    const QColor blue(0, 0, 255), white(255, 255, 255);
    // Row 97 is inside the field, above the digits. Width 489 at 50% gives 245 pixels, and the
    // fill stops 3 short of it: x 17 to 257.
    EXPECT_EQ(at(image, 17, 97), blue);
    EXPECT_EQ(at(image, 257, 97), blue);
    EXPECT_EQ(at(image, 258, 97), white);
    EXPECT_EQ(at(image, 500, 97), white);
    EXPECT_EQ(at(image, 16, 100), QColor(Qt::black)) << "the frame's left edge";
    EXPECT_EQ(at(image, 100, 96), QColor(Qt::black)) << "the frame's top edge";
}

TEST_F(ProgressBarTest, CompleteFillsTheFieldAndNothingIsDrawnWithoutBytes) {
    QImage full = drawn(7, 7);
    EXPECT_EQ(at(full, 17, 97), QColor(0, 0, 255));
    EXPECT_EQ(at(full, 501, 97), QColor(0, 0, 255));
    QImage none = drawn(0, 0);
    EXPECT_EQ(at(none, 17, 97), none.pixelColor(5, 5)) << "the dialog's own background";
    EXPECT_EQ(at(none, 16, 100), none.pixelColor(5, 5));
}

TEST_F(ProgressBarTest, DigitsStayReadableInsideTheFill) {
    // At 100% the digits are drawn blue and the XOR turns them white (their smoothed edges light)
    // on blue.
    QImage full = drawn(1, 1);
    full.save(QString::fromStdString((testing_support::artefactFolder("setup") / "progress-bar-full.png").string()));
    bool whiteInside = false;
    for (int x = 230; x < 290; ++x)
        for (int y = 99; y < 114; ++y)
            if (at(full, x, y).red() > 200 && at(full, x, y).green() > 200) whiteInside = true;
    EXPECT_TRUE(whiteInside);
}
