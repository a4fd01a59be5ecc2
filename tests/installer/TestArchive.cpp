// Extraction out of the setup archives: files over disc boundaries, prompts, and damaged,
// short or missing archives.
#include "InstallerTestSupport.h"
#include "platform/Files.h"

#include <numeric>

using namespace setup;
using namespace setup_test;

namespace {

FxProduct sweepProduct() {
    FxProduct p;
    p.wizardProgramGroup = 0;
    p.components = {FxComponent{1, "Main", "^SETUPPATH^"}, FxComponent{2, "More", "^SETUPPATH^\\More"}};
    p.files = {FxFile{1, "a.txt", "first file, some words to store"},
               FxFile{1, "empty.txt", ""},
               FxFile{1, "b.txt", std::string(300, 'b') + "tail"},
               FxFile{2, "c.txt", "third"},
               FxFile{2, "d.txt", "fourth file of the product"}};
    return p;
}

struct Archive : ::testing::Test {
    SetupRun run;
    platform::Files files{run.machine};

    void autoDiscs() {
        run.ui.discAnswerer = [this](uint16_t d) -> std::optional<std::string> { return run.discFolder(d); };
    }
    std::string content(const std::string& path) {
        auto host = run.machine.hostPath(path);
        return host && std::filesystem::exists(*host) ? testing_support::readFile(*host) : "<none>";
    }
    void expectInstalled(const FxProduct& p, const std::string& dest) {
        for (const auto& f : p.files) {
            std::string path = dest + (f.component == 2 ? "\\More\\" : "\\") + f.name;
            EXPECT_EQ(content(path), f.content) << path;
        }
    }
    std::filesystem::path archive(int d) {
        return run.discs / ("Disc" + std::to_string(d)) / ("Setup" + std::to_string(d) + ".RUX");
    }
};

}  // namespace

TEST_F(Archive, FilesAndComponentsAcrossDiscBoundaries) {
    // Stored sizes, to place archive ends before, at and after each file's end.
    std::vector<uint64_t> sizes;
    for (const auto& f : sweepProduct().files) sizes.push_back(zstdCompress(f.content).size());
    const uint64_t total = std::accumulate(sizes.begin(), sizes.end(), uint64_t(0));
    std::vector<uint64_t> capacities{1, 7, total / 3, total / 2, total, total + 1};
    for (uint64_t end = 0; uint64_t s : sizes) {
        end += s;
        for (uint64_t c : {end - 1, end, end + 1})
            if (c > 0) capacities.push_back(c);
    }
    autoDiscs();
    for (uint64_t capacity : capacities) {
        SCOPED_TRACE("capacity " + std::to_string(capacity));
        testing_support::TempFolder discs("sweep");
        FxProduct p = sweepProduct();
        p.destination = "C:\\Sweep\\" + std::to_string(capacity);
        int discCount = writeDiscs(p, discs.path(), capacity);
        run.ui.discAnswerer = [&](uint16_t d) -> std::optional<std::string> {
            return run.winPath(discs / ("Disc" + std::to_string(d))) + "\\";
        };
        run.app->InitRun({}, run.winPath(discs / "Disc1") + "\\Setup.exe");
        ASSERT_TRUE(run.app->ReadSetupInfo());
        ASSERT_TRUE(run.app->BuildVariableTable());
        ASSERT_TRUE(run.app->LoadUninstallRecord());  // the run order's end writes it
        run.app->componentSelection = {{1, ""}, {1, ""}};
        run.app->decompress = &ruxdecompress;
        run.ui.transcript.clear();
        ASSERT_EQ(run.install(), 0);
        expectInstalled(p, p.destination);
        EXPECT_EQ(run.ui.lastDone, total);
        // Each crossing asks for the next disc; on one disc nothing is asked.
        auto prompts = std::count_if(run.ui.transcript.begin(), run.ui.transcript.end(),
                                     [](const std::string& line) { return line.starts_with("disc "); });
        EXPECT_EQ(prompts == 0, discCount == 1);
    }
}

TEST_F(Archive, ComponentStartingAtTheEndOfAnArchiveCrossesAtOnce) {
    FxProduct p = sweepProduct();
    uint64_t first = 0;
    for (const auto& f : p.files)
        if (f.component == 1) first += zstdCompress(f.content).size();
    p.components[1].firstDisc = 1;
    p.components[1].offset = uint32_t(first);
    autoDiscs();
    ASSERT_EQ(writeDiscs(p, run.discs.path(), first), 2);
    run.prepare(p);
    ASSERT_EQ(run.install(), 0);
    expectInstalled(p, p.destination);
}

TEST_F(Archive, OffsetPastTheArchiveIsDamaged) {
    FxProduct p = sweepProduct();
    p.components[1].firstDisc = 1;
    p.components[1].offset = 100000;
    run.prepare(p);
    run.ui.systemError(run.discFolder(1) + "Setup1.RUX", "data is invalid");
    EXPECT_EQ(run.install(), 2);
    EXPECT_EQ(content(p.destination + "\\More\\c.txt"), "<none>");
}

TEST_F(Archive, StoredBytesPastTheLastDisc) {
    FxProduct p = sweepProduct();
    run.prepare(p);
    // The last file claims more stored bytes than the archives hold.
    p.files.back().storedSize += 10;
    writeBytes(run.discs / "Disc1" / "SetupInfo.RUX", encodeSetupInfo(p));
    ASSERT_TRUE(run.app->ReadSetupInfo());
    // Without a disc count, a disc that does not exist is asked for; cancelling cancels.
    run.ui.disc(2, std::nullopt);
    EXPECT_EQ(run.install(), 1);

    // A label that names the number of discs lets the run report the setup as damaged.
    SetupRun again;
    again.prepare(p);
    p.files.back().storedSize += 10;
    writeBytes(again.discs / "Disc1" / "SetupInfo.RUX", encodeSetupInfo(p));
    testing_support::writeFile(again.discs / "Disc1" / "Disc.lbl", std::string("\1\0\0\0\1\0\0\0", 8));
    ASSERT_EQ(again.app->CheckDisc(), 0);
    ASSERT_TRUE(again.app->ReadSetupInfo());
    EXPECT_EQ(again.app->knownDiscCount, 1);
    again.ui.systemError(again.discFolder(1) + "Setup1.RUX", "data is invalid");
    EXPECT_EQ(again.install(), 2);
}

TEST_F(Archive, ShortReadIsAReadError) {
    FxProduct p = sweepProduct();
    std::string noise(300000, '\0');
    for (std::size_t i = 0, x = 12345; i < noise.size(); ++i, x = x * 1103515245 + 12345) noise[i] = char(x >> 16);
    p.files[2].content = noise;
    run.prepare(p);
    // The archive shrinks after it was opened, in the middle of a file.
    run.ui.onFile = [&](const std::string& destination) {
        if (destination.ends_with("b.txt")) std::filesystem::resize_file(archive(1), 100000);
    };
    run.ui.message(16397, 1, run.discFolder(1) + "Setup1.RUX");
    EXPECT_EQ(run.install(), 2);
}

TEST_F(Archive, MissingArchiveIsAskedForAgain) {
    FxProduct p = sweepProduct();
    run.prepare(p);
    auto kept = testing_support::readFile(archive(1));
    std::filesystem::remove(archive(1));
    int asked = 0;
    run.ui.onEvent = [&](const std::string& line) {
        if (line.starts_with("message 16393") && ++asked == 2) testing_support::writeFile(archive(1), kept);
    };
    const std::string path = run.discFolder(1) + "Setup1.RUX";
    run.ui.message(16393, 4, path).message(16393, 4, path);
    ASSERT_EQ(run.install(), 0);
    expectInstalled(p, p.destination);

    std::filesystem::remove(archive(1));
    SetupRun again;
    FxProduct p2 = sweepProduct();
    p2.destination = "C:\\Other";
    again.prepare(p2);
    std::filesystem::remove(again.discs / "Disc1" / "Setup1.RUX");
    again.ui.message(16393, 2, again.discFolder(1) + "Setup1.RUX");
    EXPECT_EQ(again.install(), 1);
}

TEST_F(Archive, CancelAtADiscCrossingCancels) {
    FxProduct p = sweepProduct();
    run.prepare(p, 20);
    run.ui.disc(2, std::nullopt);
    EXPECT_EQ(run.install(), 1);
    EXPECT_EQ(content(p.destination + "\\a.txt"), "<none>");  // rolled back
}

TEST_F(Archive, WithoutTempFoldersTheDrivesRootHoldsTheTemporaryFiles) {
    ASSERT_TRUE(run.machine.setEnvironment("TMP", ""));
    ASSERT_TRUE(run.machine.setEnvironment("TEMP", ""));
    FxProduct p = sweepProduct();
    run.prepare(p);
    std::vector<std::string> during;
    auto temporaries = [&] {
        std::vector<std::string> found;
        auto entries = files.entries("C:\\");
        if (entries.ok())
            for (const auto& e : entries.value())
                if (e.starts_with("RUX")) found.push_back(e);
        return found;
    };
    run.ui.onFile = [&](const std::string&) {
        if (during.empty()) during = temporaries();
    };
    ASSERT_EQ(run.install(), 0);
    EXPECT_EQ(during.size(), 2u);
    EXPECT_TRUE(temporaries().empty());
    expectInstalled(p, p.destination);
}
