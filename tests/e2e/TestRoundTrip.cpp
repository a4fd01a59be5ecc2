// What the writer writes, Setup's reader reads back field by field, and its engine finds every
// file's stored bytes wherever the disc boundaries fall.
#include "E2eSupport.h"
#include "installer/logic/SetupInfo.h"
#include "libraries/build/SetupLayout.h"

using namespace e2e;

namespace {

std::vector<uint8_t> bytesOf(const fs::path& p) { return testing_support::readBytes(p); }

void expectSame(const build::Product& p, const build::BuildResult& r, const setup::SetupInfo& s) {
    EXPECT_EQ(s.header.productName, p.name);
    EXPECT_EQ(s.header.version, p.version);
    EXPECT_EQ(s.header.reserved, 0u);
    EXPECT_FALSE(s.reservedTrailer.has_value());
    EXPECT_EQ(s.header.readmeOffered != 0, p.readmeOffered);
    EXPECT_EQ(s.header.normalOffered != 0, p.normalOffered);
    EXPECT_EQ(s.header.minimalOffered != 0, p.minimalOffered);
    EXPECT_EQ(s.header.customOffered != 0, p.customOffered);
    EXPECT_EQ(s.header.defaultDestination, p.defaultDestination);
    EXPECT_EQ(s.wizard.welcome != 0, p.showWelcome);
    EXPECT_EQ(s.wizard.license != 0, p.showLicense);
    EXPECT_EQ(s.wizard.userInformation != 0, p.showUser);
    EXPECT_EQ(s.wizard.finished != 0, p.showFinished);
    EXPECT_EQ(s.wizard.programGroup != 0, p.useProgramGroup);
    EXPECT_EQ(s.mainWindow.title, p.title);
    EXPECT_EQ(s.mainWindow.backgroundColour, p.backgroundColour);
    ASSERT_EQ(s.backgroundTexts.size(), p.backgroundTexts.size());
    for (size_t i = 0; i < p.backgroundTexts.size(); ++i) {
        const auto& a = p.backgroundTexts[i];
        const auto& b = s.backgroundTexts[i];
        EXPECT_EQ(b.text, a.text);
        EXPECT_EQ(b.left, a.left);
        EXPECT_EQ(b.top, a.top);
        EXPECT_EQ(b.pointSize, a.pointSize);
        EXPECT_EQ(b.bold != 0, a.bold);
        EXPECT_EQ(b.italic != 0, a.italic);
        EXPECT_EQ(b.underline != 0, a.underline);
        EXPECT_EQ(b.colour, a.colour);
        EXPECT_EQ(b.faceName, a.faceName);
    }
    EXPECT_EQ(s.welcome.protectionWarning != 0, p.protectionWarning);
    // A memo is used as a text: a zero byte inside it ends it.
    EXPECT_EQ(s.license.text, p.licenseText.substr(0, p.licenseText.find('\0')));
    EXPECT_EQ(s.user.key, p.userKey);
    EXPECT_EQ(s.user.text, p.userText);
    EXPECT_EQ(s.finished.text, p.finishedText);
    EXPECT_EQ(s.finished.restartOffered != 0, p.offerRestart);
    EXPECT_EQ(s.finished.firstChoice, p.restartNowText);
    EXPECT_EQ(s.finished.secondChoice, p.restartLaterText);
    EXPECT_EQ(s.programGroup.defaultGroup, p.defaultGroup);
    EXPECT_EQ(s.programGroup.text, p.groupText);
    EXPECT_EQ(s.readme.mode, p.readmeMode);
    EXPECT_EQ(s.readme.checkBoxText, p.readmeCheckText);
    EXPECT_EQ(s.progress.text, p.progressText);
    EXPECT_EQ(s.progress.showFileName != 0, p.showFileName);
    ASSERT_EQ(s.registryEntries.size(), p.registryEntries.size());
    for (size_t i = 0; i < p.registryEntries.size(); ++i) {
        const auto& a = p.registryEntries[i];
        const auto& b = s.registryEntries[i];
        EXPECT_EQ(b.componentId, a.componentId);
        EXPECT_EQ(b.root, a.root);
        EXPECT_EQ(b.key, a.key);
        EXPECT_EQ(b.valueName, a.valueName);
        EXPECT_EQ(b.valueType, a.type);
        EXPECT_EQ(b.data, a.data);
    }
    ASSERT_EQ(s.stringVariables.size(), p.variables.size());
    for (size_t i = 0; i < p.variables.size(); ++i) {
        EXPECT_EQ(s.stringVariables[i].name, p.variables[i].name);
        EXPECT_EQ(s.stringVariables[i].value, p.variables[i].value);
    }
    ASSERT_EQ(s.components.size(), p.components.size());
    for (size_t i = 0; i < p.components.size(); ++i) {
        const auto &a = p.components[i];
        const auto &b = s.components[i];
        EXPECT_EQ(b.firstDisc, r.components[i].firstDisc);
        EXPECT_EQ(b.offset, r.components[i].offset);
        EXPECT_EQ(b.id, a.id);
        EXPECT_EQ(b.parentId, a.parentId);
        EXPECT_EQ(b.name, a.name);
        EXPECT_EQ(b.visible != 0, a.visible);
        EXPECT_EQ(b.setupBits, a.setupTypes);
        EXPECT_EQ(b.requiredId, a.requiredId);
        EXPECT_EQ(b.description, a.description);
        EXPECT_EQ(b.destination, a.destination);
        EXPECT_EQ(b.folderChangeable != 0, a.folderChangeable);
    }
    ASSERT_EQ(s.files.size(), p.files.size());
    for (size_t i = 0; i < p.files.size(); ++i) {
        const auto &a = p.files[i];
        const auto &b = s.files[i];
        EXPECT_EQ(b.componentId, a.componentId);
        EXPECT_EQ(b.name, a.name);
        EXPECT_EQ(b.readme != 0, a.readme);
        EXPECT_EQ(b.shortcut != 0, a.shortcut);
        EXPECT_EQ(b.shortcutText, a.linkText);
        EXPECT_EQ(b.shared != 0, a.shared);
        EXPECT_EQ(b.time, build::fileTimeOf(a.source));
        EXPECT_EQ(b.installedSize, fs::file_size(a.source));
        EXPECT_EQ(b.storedSize, r.files[i].storedSize);
    }
}

build::Product widest(const fs::path& source) {
    auto w = [](size_t n, char c) { return std::string(n - 1, c); };
    build::Product p;
    p.name = w(33, 'N');
    p.version = w(17, 'V');
    p.readmeOffered = p.minimalOffered = p.customOffered = true;
    p.normalOffered = false;
    p.defaultDestination = w(255, 'D');
    p.showWelcome = p.showLicense = p.showUser = p.showFinished = p.useProgramGroup = true;
    p.title = w(65, 'T');
    p.backgroundColour = 0xFFFFFFFFu;
    p.backgroundTexts = {{w(255, 'b'), 10000, 9999, 0xFFFF, true, true, true, 0x00FF8040, w(40, 'F')},
                         {"second", 0, 0, 8, false, true, false, 0, "Arial"}};
    p.protectionWarning = true;
    p.licenseText = std::string(70000, 'L') + std::string("\0inside", 7);
    p.userKey = w(255, 'K');
    p.userText = "user ^PRODUCTNAME^";
    p.finishedText = "done";
    p.offerRestart = true;
    p.restartNowText = w(65, 'R');
    p.restartLaterText = w(65, 'S');
    p.defaultGroup = w(33, 'G');
    p.groupText = "group";
    p.readmeMode = 255;
    p.readmeCheckText = w(65, 'C');
    p.progressText = w(255, 'P');
    p.showFileName = true;
    p.variables = {{w(33, 'X'), w(255, 'v')}, {"EMPTY", ""}};
    p.components = {{.id = 0xFFFFFFFFu, .parentId = 0, .name = w(33, 'c'), .visible = false, .setupTypes = 0xFF,
                     .requiredId = 7, .description = std::string(1000, 'd'), .destination = w(255, 'p'),
                     .folderChangeable = true},
                    {.id = 7, .parentId = 0xFFFFFFFFu, .name = "child", .description = "", .destination = "x"}};
    p.files = {{.componentId = 7, .name = "f\\" + w(258, 'n'), .readme = true, .shortcut = true,
                .linkText = w(65, 'l'), .shared = true, .source = source}};
    // Every value type the installer writes, in every root.
    uint8_t root = 1;
    for (uint8_t type : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 255}) {
        std::string data = type == 4 || type == 5 ? build::encodeDwordData(0xA1B2C3D4)
                           : type == 1 || type == 2 ? "text ^PRODUCTNAME^"
                           : type == 255 ? std::string("\0\x01raw", 5)
                                         : build::encodeBinaryData(std::vector<uint8_t>{0x0a, 0x1b, 0xff});
        p.registryEntries.push_back({7, root, w(255, 'k'), type % 2 ? w(255, 'v') : "", type, data});
        root = root % 4 + 1;
    }
    p.registryEntries.push_back({7, 3, "Software\\Empty", "", 3, ""});
    return p;
}

}  // namespace

TEST(RoundTrip, EveryFieldReadsBackAsWritten) {
    Sources sources;
    const fs::path source = sources.add("f", "contents");
    struct Case {
        const char* name;
        build::Product product;
    };
    std::vector<Case> cases;
    cases.push_back({"empty product", {}});
    build::Product memos;
    memos.name = "Memos";
    memos.components = {{.id = 1, .name = "A", .description = ""}, {.id = 2, .name = "B", .description = "b"},
                        {.id = 3, .parentId = 2, .name = "C", .description = ""}};
    memos.registryEntries = {{1, 2, "K", "", 1, ""}, {2, 2, "K", "v", 3, ""}, {3, 2, "K", "w", 1, "x"}};
    cases.push_back({"zero-length memos and data", memos});
    cases.push_back({"widest texts, every registry type", widest(source)});

    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Built built(c.product);
        auto parse = setup::ParseSetupInfo(bytesOf(built.disc(1) / "SetupInfo.RUX"));
        ASSERT_TRUE(parse.info.has_value()) << parse.detail;
        expectSame(c.product, built.result, *parse.info);
        EXPECT_EQ(testing_support::readFile(built.disc(1) / "Disc.lbl"), std::string("\1\0\0\0\1\0\0\0", 8));
    }
}

// Archive ends before, at and after file and component boundaries, over three discs: every
// file is extracted across the discs, decompressed and installed byte for byte.
TEST(RoundTrip, CapacitySweepOverThreeDiscs) {
    Sources sources;
    build::Product p;
    p.name = "Sweep";
    p.version = "1";
    p.defaultDestination = "C:\\Sweep";
    p.components = {{.id = 1, .name = "One", .destination = "^SETUPPATH^\\one"},
                    {.id = 2, .name = "Two", .destination = "^SETUPPATH^\\two"},
                    {.id = 3, .name = "Nothing", .destination = "^SETUPPATH^\\none"}};
    const std::vector<std::pair<uint32_t, size_t>> files = {{1, 40000}, {1, 0}, {1, 25000}, {2, 30000}, {2, 10}};
    for (size_t i = 0; i < files.size(); ++i) {
        const std::string name = "f" + std::to_string(i) + ".bin";
        p.files.push_back({.componentId = files[i].first, .name = name,
                           .source = sources.add(name, randomBytes(files[i].second, uint32_t(i)))});
    }
    const Built whole(p);
    ASSERT_TRUE(whole.result.ok());
    const uint64_t total = whole.result.archiveSizes[0];
    const uint64_t label = build::layout::disclabel::Size;
    const uint64_t overhead = fs::file_size(whole.disc(1) / "SetupInfo.RUX") + label;

    // Boundaries in archive order, and archive sizes that make three discs.
    // The first disc's archive has `room` bytes, the others the whole disc but their label.
    auto discsFor = [&](uint64_t room) {
        const uint64_t other = room + overhead - label;
        return total <= room ? 1 : 1 + (total - room + other - 1) / other;
    };
    std::vector<uint64_t> rooms;
    uint64_t boundary = 0;
    for (size_t f : {0, 1, 2, 3, 4}) {
        boundary += whole.result.files[f].storedSize;
        for (uint64_t room : {boundary - 1, boundary, boundary + 1})
            if (discsFor(room) == 3) rooms.push_back(room);
    }
    for (uint64_t room = total / 3 - overhead; discsFor(room) == 3; room += 997) rooms.push_back(room);
    ASSERT_GE(rooms.size(), 4u);
    for (uint64_t room : rooms) {
        SCOPED_TRACE("archive room " + std::to_string(room));
        const Built built(p, room + overhead);
        ASSERT_EQ(built.result.archiveSizes.size(), 3u);
        SetupRun run;
        ASSERT_TRUE(run.prepare(built.disc(1)));
        // Each later disc is asked for once; the user points at its folder.
        run.ready();
        for (int d = 2; d <= 3; ++d) run.ui.disc(uint16_t(d), run.machine.windowsPath(built.disc(d)));
        ASSERT_EQ(run.install(), setup::result::Complete);
        EXPECT_EQ(run.decompressCalls, int(files.size()));
        platform::Files installed(run.machine);
        for (size_t i = 0; i < files.size(); ++i) {
            const std::string name = "f" + std::to_string(i) + ".bin";
            const std::string dest = std::string("C:\\Sweep\\") + (files[i].first == 1 ? "one\\" : "two\\") + name;
            auto host = run.machine.hostPath(dest);
            ASSERT_TRUE(host.ok());
            EXPECT_EQ(testing_support::readFile(*host), sources.content(name)) << dest;
        }
        EXPECT_TRUE(installed.isFolder("C:\\Sweep\\none"));
    }
}
