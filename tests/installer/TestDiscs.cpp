// Disc labels, the next-disc prompt, and the start of a run: arguments and the setup information.
#include "InstallerTestSupport.h"
#include "installer/logic/StringTable.h"
#include "platform/Files.h"

using namespace setup;
using namespace setup_test;
using testing_support::writeFile;

namespace {

struct Discs : ::testing::Test {
    SetupRun run;
    void label(int disc, std::string_view bytes) {
        std::filesystem::create_directories(run.discs / ("Disc" + std::to_string(disc)));
        writeFile(run.discs / ("Disc" + std::to_string(disc)) / "Disc.lbl", bytes);
    }
    void start() { run.app->InitRun({}, run.discFolder(1) + "Setup.exe"); }
};

std::string u32(uint32_t n) { return {char(n), char(n >> 8), char(n >> 16), char(n >> 24)}; }

}  // namespace

TEST_F(Discs, MatchingLabelAsksNothing) {
    label(1, u32(1) + "anything after the number");
    start();
    EXPECT_EQ(run.app->CheckDisc(), 0);
    EXPECT_TRUE(run.ui.transcript.empty());
    EXPECT_EQ(run.app->knownDiscCount, 0);
}

TEST_F(Discs, WrongMissingOrShortLabelsPromptUntilTheRightFolder) {
    label(1, u32(2));   // disc 2 where disc 1 is expected
    label(2, "\x01");   // too short to hold a number
    label(3, u32(1));
    start();
    std::string disc2 = run.discFolder(2);
    std::string disc3 = run.discFolder(3);
    disc3.pop_back();  // typed without its closing backslash
    run.ui.disc(1, run.discFolder(2))
        .systemError(disc2 + "Disc.lbl", "end of the file")
        .disc(1, run.discFolder(4))  // no label there at all
        .disc(1, disc3);
    EXPECT_EQ(run.app->CheckDisc(), 0);
    EXPECT_EQ(run.app->sourceFolder, disc3 + "\\");
}

TEST_F(Discs, CancelledPromptEndsWithTwo) {
    start();
    run.ui.disc(1, std::nullopt);
    EXPECT_EQ(run.app->CheckDisc(), 2);
}

TEST_F(Discs, EmptyFolderBecomesABackslash) {
    start();
    run.ui.disc(1, "").disc(1, std::nullopt);
    EXPECT_EQ(run.app->CheckDisc(), 2);
    EXPECT_EQ(run.ui.transcript.back(), "disc 1 in \\");
}

TEST_F(Discs, LabelMayNameTheNumberOfDiscs) {
    label(1, u32(1) + u32(3));
    start();
    EXPECT_EQ(run.app->CheckDisc(), 0);
    EXPECT_EQ(run.app->knownDiscCount, 3);
}

TEST_F(Discs, OnlyExactlyTestSelectsTestModeAndTheSourceFolderIsTheProgramsFolder) {
    run.app->InitRun({"Test", "C:\\readme.txt"}, "Z:\\media\\Disc1\\Setup.exe");
    EXPECT_TRUE(run.app->testMode);
    EXPECT_EQ(run.app->sourceFolder, "Z:\\media\\Disc1\\");
    EXPECT_EQ(run.app->currentDisc, 1);
    for (const char* other : {"test", "TEST", "Tests", ""}) {
        run.app->InitRun({other}, "Z:\\media\\Disc1\\Setup.exe");
        EXPECT_FALSE(run.app->testMode) << other;
    }
}

TEST_F(Discs, SetupInformationFailuresAreReportedWithTheirCaption) {
    std::filesystem::create_directories(run.discs / "Disc1");
    start();
    // Missing: the system's text with the file's path as caption.
    run.ui.systemError(run.discFolder(1) + "SetupInfo.RUX", "cannot find the file");
    EXPECT_FALSE(run.app->ReadSetupInfo());
    EXPECT_FALSE(run.app->setupInfo);

    FxProduct product;
    auto bytes = encodeSetupInfo(product);
    const auto path = run.discs / "Disc1" / "SetupInfo.RUX";
    writeBytes(path, {bytes.begin(), bytes.end() - 1});
    run.ui.systemError(std::string(ErrorCaption), "end of the file");
    EXPECT_FALSE(run.app->ReadSetupInfo());

    product.components = {FxComponent{1, "A", "C:\\A", 1}};
    writeBytes(path, encodeSetupInfo(product));
    run.ui.systemError(std::string(ErrorCaption), "data is invalid");
    EXPECT_FALSE(run.app->ReadSetupInfo());

    product.components = {FxComponent{1, "A", "C:\\A"}};
    writeBytes(path, encodeSetupInfo(product));
    {
        auto lock = platform::FileLock::acquire(path);
        ASSERT_TRUE(lock);
        run.ui.systemError(run.discFolder(1) + "SetupInfo.RUX", "being used by another process");
        EXPECT_FALSE(run.app->ReadSetupInfo());
    }
    EXPECT_TRUE(run.app->ReadSetupInfo());
    EXPECT_EQ(run.app->info().components.size(), 1u);
    run.app->ReleaseSetupInfo();
    EXPECT_FALSE(run.app->setupInfo);
}
