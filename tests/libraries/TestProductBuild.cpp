// The build library: a product read from the project database, built below its "FileDestination",
// read back by Setup's reader and installed by its engine; a failed build is reported by name and
// never left marked as built.
#include "LibraryFixture.h"
#include "e2e/E2eSupport.h"
#include "installer/logic/SetupInfo.h"
#include "libraries/build/ProjectReader.h"
#include "libraries/build/nv_build.h"
#include "platform/Registry.h"
#include "standard/register_standard.h"
#include "standard/w_mdi.h"

namespace {

using namespace library_test;
using testing_support::readFile;

const std::string Alpha = "Alpha 1.00.00 Empty";

// Where two files' bytes first differ, for a short message; "" when they are the same.
std::string difference(const fs::path& a, const fs::path& b) {
    const std::string x = readFile(a), y = readFile(b);
    if (x == y) return {};
    size_t i = 0;
    while (i < x.size() && i < y.size() && x[i] == y[i]) ++i;
    return a.filename().string() + " differs from byte " + std::to_string(i) + " on (sizes " +
           std::to_string(x.size()) + " and " + std::to_string(y.size()) + ")";
}

// Product 3, "Alpha", with a row in every table; product 1, "Beta", lies beside it.
class ProductBuildTest : public LibraryFixture {
protected:
    void SetUp() override {
        LibraryFixture::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        const fs::path bin = fs::path(std::getenv("RUX_BUILD_DIR")) / "bin";
        ASSERT_EQ(settings().fnv_set_string("Redist", "Path", machine.windowsPath(bin)), 1);
        pakomo::register_build_library();

        contents = {{"alpha.exe", "MZ " + e2e::randomBytes(40000, 1)},
                    {"data.bin", e2e::randomBytes(300000, 2)},
                    {"readme.txt", std::string(5000, 'r')},
                    {"rux.dll", "shared " + e2e::randomBytes(700, 3)},
                    {"loose.txt", "in no component"},
                    {"empty.txt", ""}};
        for (const auto& [name, content] : contents) source("C:\\Sources\\Alpha\\" + name, content);
        source("C:\\Sources\\Beta\\beta.exe", "beta");

        std::vector<std::string> sql = {
            "INSERT INTO PRODUCT VALUES (1, 'Beta', '2.0', 0, 1, 0, 0, 'C:\\Beta', 'Empty')",
            "INSERT INTO PROGGRP VALUES (1, 1, 'Beta', '^SETUPPATH^', 0, 0, 1, 1, '', 0)",
            "INSERT INTO FILEGRP VALUES (1, 1, 'Beta', 1)",
            "INSERT INTO FILE VALUES (1, 1, 1, 'C:\\Sources\\Beta\\beta.exe', 0, 0, '', 0)",
            "INSERT INTO STRINGS VALUES (1, 1, 'BETA', 'beta')",
            // Blanks around char columns are not part of the texts.
            "INSERT INTO PRODUCT VALUES (3, ' Alpha ', '1.00.00', 1, 1, 0, 1, '^PROGRAMFILESDIR^\\Alpha', "
            "'Empty ')",
            "INSERT INTO STRINGS VALUES (2, 3, 'DOCS', '^SETUPPATH^\\Docs')",
            "INSERT INTO STRINGS VALUES (1, 3, 'MAKER', 'Maker Ltd')",
            "INSERT INTO PROGGRP VALUES (1, 3, 'Main', '^SETUPPATH^', 0, 0, 1, 3, 'The program itself.', 1)",
            "INSERT INTO PROGGRP VALUES (2, 3, 'Docs', '^DOCS^', 1, 1, 1, 1, 'Manuals', 0)",
            "INSERT INTO FILEGRP VALUES (1, 3, 'Program', 1)",
            "INSERT INTO FILEGRP VALUES (2, 3, 'Manuals', 2)",
            "INSERT INTO FILE VALUES (1, 3, 1, 'C:\\Sources\\Alpha\\alpha.exe', 0, 1, '^PRODUCTNAME^', 0)",
            "INSERT INTO FILE VALUES (2, 3, 1, 'C:\\Sources\\Alpha\\data.bin', 0, 0, '', 0)",
            "INSERT INTO FILE VALUES (3, 3, 2, 'C:\\Sources\\Alpha\\readme.txt', 1, 0, '', 0)",
            "INSERT INTO FILE VALUES (4, 3, 1, 'C:\\Sources\\Alpha\\rux.dll', 0, 0, NULL, 1)",
            "INSERT INTO FILE VALUES (6, 3, 2, 'C:\\Sources\\Alpha\\empty.txt', 0, 0, '', 0)",
            "INSERT INTO REGKEYS VALUES (1, 3, 1, 3, 'Software\\Maker\\Alpha', 'Path', '^SETUPPATH^', 1)",
            "INSERT INTO REGKEYS VALUES (2, 3, 1, 3, 'Software\\Maker\\Alpha', 'Count', '0x0000002A', 4)",
            "INSERT INTO REGKEYS VALUES (3, 3, 2, 2, 'Software\\Maker\\Alpha', 'Docs', '0a,1b', 3)",
        };
        for (auto& s : pageRows(1, "Beta's title")) sql.push_back(s);
        for (auto& s : pageRows(3)) sql.push_back(s);
        executeSql(sql);
        hold(3, Alpha);
        application().gi_prod_id = 3;
    }

    // The same product written by hand: what the database rows must become.
    build::Product expected() {
        build::Product p;
        p.name = "Alpha";
        p.version = "1.00.00";
        p.readmeOffered = p.normalOffered = p.customOffered = true;
        p.minimalOffered = false;
        p.defaultDestination = "^PROGRAMFILESDIR^\\Alpha";
        p.showWelcome = p.showLicense = p.showFinished = p.useProgramGroup = true;
        p.showUser = false;
        p.title = "Setup of ^PRODUCTNAME^";
        p.backgroundColour = 8421376;
        p.backgroundTexts = {
            {"Welcome to ^PRODUCTNAME^", 500, 700, 24, true, false, true, 16777215, "Arial"},
            {"Version ^PRODUCTVERSION^", 500, 1500, 12, false, true, false, 255, "Times New Roman"}};
        p.protectionWarning = true;
        p.licenseText = "You may use ^PRODUCTNAME^.\r\nNothing else.";
        p.userKey = "Maker\\^PRODUCTNAME^";
        p.userText = "Who are you?";
        p.finishedText = "All done.";
        p.offerRestart = true;
        p.restartNowText = "Restart now";
        p.restartLaterText = "Restart later";
        p.defaultGroup = "^PRODUCTNAME^";
        p.groupText = "Choose a group.";
        p.readmeMode = 2;
        p.readmeCheckText = "Show the readme file";
        p.progressText = "Installing ^PRODUCTNAME^ ...";
        p.showFileName = true;
        p.registryEntries = {{1, 3, "Software\\Maker\\Alpha", "Path", 1, "^SETUPPATH^"},
                             {1, 3, "Software\\Maker\\Alpha", "Count", 4, "0x0000002A"},
                             {2, 2, "Software\\Maker\\Alpha", "Docs", 3, "0a,1b"}};
        p.variables = {{"MAKER", "Maker Ltd"}, {"DOCS", "^SETUPPATH^\\Docs"}};
        p.components = {{.id = 1,
                         .parentId = 0,
                         .name = "Main",
                         .visible = true,
                         .setupTypes = 3,
                         .requiredId = 0,
                         .description = "The program itself.",
                         .destination = "^SETUPPATH^",
                         .folderChangeable = true},
                        {.id = 2,
                         .parentId = 1,
                         .name = "Docs",
                         .visible = true,
                         .setupTypes = 1,
                         .requiredId = 1,
                         .description = "Manuals",
                         .destination = "^DOCS^",
                         .folderChangeable = false}};
        auto file = [&](uint32_t component, const std::string& name) -> build::ProductFile& {
            p.files.push_back({.componentId = component,
                               .name = name,
                               .source = machine.hostPath("C:\\Sources\\Alpha\\" + name).value()});
            return p.files.back();
        };
        file(1, "alpha.exe").shortcut = true;
        p.files.back().linkText = "^PRODUCTNAME^";
        file(1, "data.bin");
        file(2, "readme.txt").readme = true;
        file(1, "rux.dll").shared = true;
        file(2, "empty.txt");
        return p;
    }

    // A file group and a registry entry of no component, which the build leaves out and lists.
    void addLooseParts() {
        executeSql({"INSERT INTO FILEGRP VALUES (3, 3, 'Loose', 0)",
                    "INSERT INTO FILE VALUES (5, 3, 3, 'C:\\Sources\\Alpha\\loose.txt', 0, 0, '', 0)",
                    "INSERT INTO REGKEYS VALUES (4, 3, 0, 3, 'Software\\Maker\\Orphan', 'X', 'x', 1)"});
    }

    int16_t build() {
        auto b = runtime::createByName("nv_build").as<pakomo::nv_build>();
        int16_t result = b->ii_result;
        runtime::destroy(b);
        return result;
    }

    fs::path productFolder() { return out.path() / Alpha; }
    void useDestination() { ASSERT_EQ(settings().fnv_set_filedest(machine.windowsPath(out.path())), 1); }

    testing_support::TempFolder out{"builds"};
    std::map<std::string, std::string> contents;
};

class ProductBuildOnEachSystem : public ProductBuildTest,
                                 public ::testing::WithParamInterface<testing_support::DatabaseSystem> {
protected:
    testing_support::DatabaseSystem databaseSystem() const override { return GetParam(); }
};

TEST_P(ProductBuildOnEachSystem, ReadFromTheDatabaseBuiltAndInstalledFileForFile) {
    addLooseParts();
    runtime::ScriptedFileDialog dialog;
    dialog.answer({.result = 1, .folder = out.path().string()});
    boxes.answer(1);
    EXPECT_EQ(build(), 1);

    // What belongs to no component was named before the build went on.
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].title, "Build");
    EXPECT_NE(boxes.shown()[0].text.find("\nFile group \"Loose\" (1 file)\nRegistry entry "
                                         "HKEY_LOCAL_MACHINE\\Software\\Maker\\Orphan, value \"X\"\n"),
              std::string::npos)
        << boxes.shown()[0].text;

    // The empty destination was asked for once, as a folder, and stored as the machine's path.
    ASSERT_EQ(dialog.requests().size(), 1u);
    EXPECT_TRUE(dialog.requests()[0].folderOnly);
    EXPECT_EQ(settings().fnv_get_filedest(""), machine.windowsPath(out.path()));
    EXPECT_EQ(settings().fnv_get_compiled(0), 1u);
    EXPECT_EQ(project->loaded, std::vector<int64_t>{3});
    // Where the program looks for the built installer.
    EXPECT_TRUE(runtime::fileExists(settings().fnv_get_filedest("") + "\\" + Alpha + "\\Disc1\\Setup.exe"));
    const fs::path disc1 = productFolder() / "Disc1";
    const fs::path bin = fs::path(std::getenv("RUX_BUILD_DIR")) / "bin";
    EXPECT_EQ(difference(disc1 / "Setup.exe", bin / "Setup"), "");
    EXPECT_EQ(difference(disc1 / "libruxdecompress.so", bin / "libruxdecompress.so"), "");

    // The wait window named each file as it was packed, in archive order, and closed again.
    EXPECT_EQ(waitLog().opens, 1);
    EXPECT_EQ(waitLog().closes, 1);
    EXPECT_EQ(waitLog().texts,
              (std::vector<std::string>{"Please wait a moment...", "Packing alpha.exe (1 of 5)",
                                        "Packing data.bin (2 of 5)", "Packing rux.dll (3 of 5)",
                                        "Packing readme.txt (4 of 5)", "Packing empty.txt (5 of 5)",
                                        "Please wait a moment..."}));
    // The setup files are those the writer makes of the hand-written product.
    const build::Product want = expected();
    e2e::Built direct(want);
    EXPECT_EQ(difference(disc1 / "SetupInfo.RUX", direct.disc(1) / "SetupInfo.RUX"), "");
    EXPECT_EQ(difference(disc1 / "Setup1.RUX", direct.disc(1) / "Setup1.RUX"), "");

    auto parsed = setup::ParseSetupInfo(testing_support::readBytes(disc1 / "SetupInfo.RUX"));
    ASSERT_TRUE(parsed.info.has_value()) << parsed.detail;
    EXPECT_EQ(parsed.info->header.productName, "Alpha");
    EXPECT_EQ(parsed.info->files.size(), 5u);  // the file of no component is left out
    EXPECT_EQ(parsed.info->registryEntries.size(), 3u);

    // Installed by Setup's engine: every file byte for byte at its component's folder.
    e2e::SetupRun run;
    ASSERT_TRUE(run.prepare(disc1));
    ASSERT_EQ(run.install(), setup::result::Complete);
    const std::map<std::string, std::string> installed = {
        {"alpha.exe", "C:\\Program Files\\Alpha\\alpha.exe"},
        {"data.bin", "C:\\Program Files\\Alpha\\data.bin"},
        {"rux.dll", "C:\\Program Files\\Alpha\\rux.dll"},
        {"readme.txt", "C:\\Program Files\\Alpha\\Docs\\readme.txt"},
        {"empty.txt", "C:\\Program Files\\Alpha\\Docs\\empty.txt"}};
    for (const auto& [name, path] : installed) {
        SCOPED_TRACE(path);
        auto host = machine.hostPath(path);
        ASSERT_TRUE(host && fs::exists(*host));
        EXPECT_EQ(readFile(*host), contents.at(name));
    }
    EXPECT_FALSE(fs::exists(machine.hostPath("C:\\Program Files\\Alpha\\loose.txt").value()));
    platform::Registry registry(machine);
    EXPECT_TRUE(registry.queryValue(platform::RegRoot::LocalMachine, "Software\\Maker\\Alpha", "Count").ok());
    EXPECT_FALSE(registry.queryValue(platform::RegRoot::LocalMachine, "Software\\Maker\\Orphan", "X").ok());
}

INSTANTIATE_DATABASE_TEST_SUITE_P(ProductBuildOnEachSystem);

}  // namespace

namespace {

TEST_F(ProductBuildTest, ACancelledFolderChoiceBuildsNothingAndStoresNothing) {
    runtime::ScriptedFileDialog dialog;
    dialog.answer({.result = 0});
    EXPECT_EQ(build(), 0);
    EXPECT_EQ(dialog.requests().size(), 1u);
    EXPECT_EQ(settings().fnv_get_filedest(""), "");
    EXPECT_EQ(settings().fnv_get_compiled(0), 0u);
    EXPECT_TRUE(fs::is_empty(out.path()));
}

// A destination already chosen is used without asking; "Sizetype" 1 splits the archives into
// discs of "Size" kilobytes.
TEST_F(ProductBuildTest, BuildSettingsGiveTheDiscSizeAndCompression) {
    useDestination();
    // Disc 1 holds Setup and its library besides some 250 kilobytes, less than the product's.
    const fs::path bin = fs::path(std::getenv("RUX_BUILD_DIR")) / "bin";
    const uint32_t kilobytes = static_cast<uint32_t>(
        (fs::file_size(bin / "Setup") + fs::file_size(bin / "libruxdecompress.so")) / 1024 + 250);
    ASSERT_EQ(settings().fnv_set_sizetype(1), 1);
    ASSERT_EQ(settings().fnv_set_size(kilobytes), 1);
    ASSERT_EQ(settings().fnv_set_compression_level(19), 1);
    boxes.answer(1);  // Yes: the stored folder
    EXPECT_EQ(build(), 1);
    EXPECT_EQ(settings().fnv_get_compiled(0), 1u);
    for (int disc : {1, 2}) {
        const fs::path folder = productFolder() / ("Disc" + std::to_string(disc));
        EXPECT_TRUE(fs::exists(folder / ("Setup" + std::to_string(disc) + ".RUX"))) << disc;
        EXPECT_LE(fs::file_size(folder / ("Setup" + std::to_string(disc) + ".RUX")), kilobytes * 1024u);
    }
}

// A stored folder is named before each build: Yes builds there, No chooses another, which is
// then kept, and Cancel (or a cancelled choice) builds nothing and leaves a built product so.
TEST_F(ProductBuildTest, TheStoredFolderIsNamedAndAnotherCanBeChosen) {
    useDestination();
    boxes.answer(1);
    ASSERT_EQ(build(), 1);
    const std::string first = machine.windowsPath(out.path());
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].buttons, runtime::MessageButtons::YesNoCancel);
    EXPECT_NE(boxes.shown()[0].text.find(first + "\\" + Alpha), std::string::npos) << boxes.shown()[0].text;

    runtime::ScriptedFileDialog dialog;
    struct Case {
        const char* name;
        std::vector<int> answers;
        bool chooses;  // the folder dialog is shown and cancelled
    };
    for (const Case& c : {Case{"Cancel", {3}, false}, Case{"No, then no folder", {2}, true}}) {
        SCOPED_TRACE(c.name);
        for (int a : c.answers) boxes.answer(a);
        if (c.chooses) dialog.answer({.result = 0});
        EXPECT_EQ(build(), 0);
        EXPECT_EQ(dialog.take().size(), c.chooses ? 1u : 0u);
        EXPECT_EQ(settings().fnv_get_filedest(""), first);
        EXPECT_EQ(settings().fnv_get_compiled(0), 1u);
    }

    testing_support::TempFolder other{"other-builds"};
    boxes.answer(2);
    dialog.answer({.result = 1, .folder = other.path().string()});
    EXPECT_EQ(build(), 1);
    const std::vector<runtime::FileOpenRequest> asked = dialog.take();
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_TRUE(asked[0].folderOnly);
    EXPECT_EQ(fs::path(asked[0].folder), out.path());  // it opens on the folder used so far
    EXPECT_EQ(settings().fnv_get_filedest(""), machine.windowsPath(other.path()));
    EXPECT_TRUE(fs::exists(other.path() / Alpha / "Disc1" / "Setup.exe"));
    EXPECT_EQ(settings().fnv_get_compiled(0), 1u);
}

class BuildFailure;
struct FailureCase {
    const char* name;
    std::function<void(BuildFailure&)> breakIt;
    std::vector<std::string> says;  // parts of the message
    bool foundOnReading = false;  // refused before the disc folder is asked for
};
void PrintTo(const FailureCase& c, std::ostream* os) { *os << c.name; }

class BuildFailure : public ProductBuildTest, public ::testing::WithParamInterface<FailureCase> {
public:
    void execute(const std::string& sql) { executeSql({sql}); }
    void removeSource(const std::string& path) { fs::remove(machine.hostPath(path).value()); }
    void addSource(const std::string& path) { source(path, "another"); }
    pakomo::nv_registry_create_setup& productSettings() { return settings(); }
};

// After a good build, the product is changed so that it cannot be built: the message names what
// is wrong, and the product no longer counts as built.
TEST_P(BuildFailure, IsReportedByNameAndLeavesTheProductNotBuilt) {
    useDestination();
    boxes.answer(1);
    ASSERT_EQ(build(), 1);
    ASSERT_EQ(settings().fnv_get_compiled(0), 1u);

    GetParam().breakIt(*this);
    const size_t before = boxes.shown().size();
    if (!GetParam().foundOnReading) boxes.answer(1);  // Yes: the stored folder
    boxes.answer(1);
    EXPECT_EQ(build(), -1);
    // The folder question, unless the fault was found first, and one message.
    ASSERT_EQ(boxes.shown().size(), before + (GetParam().foundOnReading ? 1 : 2));
    if (!GetParam().foundOnReading) {
        EXPECT_EQ(boxes.shown()[before].buttons, runtime::MessageButtons::YesNoCancel);
    }
    const runtime::MessageBoxRequest& said = boxes.shown().back();
    EXPECT_EQ(said.title, "Build");
    EXPECT_EQ(said.icon, runtime::MessageIcon::StopSign);
    for (const std::string& part : GetParam().says)
        EXPECT_NE(said.text.find(part), std::string::npos) << part << " not in: " << said.text;
    EXPECT_EQ(settings().fnv_get_compiled(0), 0u);
    EXPECT_EQ(waitLog().opens, waitLog().closes);
}

INSTANTIATE_TEST_SUITE_P(
    Build, BuildFailure,
    ::testing::Values(
        FailureCase{"missing source file",
                    [](BuildFailure& t) { t.removeSource("C:\\Sources\\Alpha\\data.bin"); },
                    {"\"C:\\Sources\\Alpha\\data.bin\" of the file group \"Program\" (component \"Main\")",
                     "does not exist"},
                    true},
        FailureCase{"title too long for its field",
                    [](BuildFailure& t) {
                        t.execute("UPDATE WMAIN SET TITLE = '" + std::string(65, 'T') + "' WHERE PRODID = 3");
                    },
                    {"window title", "65 characters", "at most 64"}},
        FailureCase{"shortcut text too long for its field",
                    [](BuildFailure& t) {
                        t.execute("UPDATE FILE SET LINKTEXT = '" + std::string(65, 'L') +
                                  "' WHERE PRODID = 3 AND ID = 1");
                    },
                    {"alpha.exe", "shortcut text", "at most 64"}},
        FailureCase{"file group of a component that is gone",
                    [](BuildFailure& t) {
                        t.execute("UPDATE FILEGRP SET PROGGRPID = 9 WHERE PRODID = 3 AND ID = 2");
                    },
                    {"C:\\Sources\\Alpha\\readme.txt", "\"Manuals\"", "component that does not exist"},
                    true},
        FailureCase{"two files of one component with the same name",
                    [](BuildFailure& t) {
                        t.addSource("C:\\Sources\\Beta\\DATA.BIN");
                        t.execute(
                            "INSERT INTO FILE VALUES (7, 3, 1, 'C:\\Sources\\Beta\\DATA.BIN', 0, 0, '', 0)");
                    },
                    {"\"C:\\Sources\\Alpha\\data.bin\" and \"C:\\Sources\\Beta\\DATA.BIN\"", "\"Main\""},
                    true},
        FailureCase{"compression level out of range",
                    [](BuildFailure& t) { t.productSettings().fnv_set_compression_level(20); },
                    {"CompressionLevel", "20"}},
        FailureCase{"discs too small for the setup files",
                    [](BuildFailure& t) {
                        t.productSettings().fnv_set_sizetype(1);
                        t.productSettings().fnv_set_size(1);
                    },
                    {"1024 bytes"}}),
    [](const auto& info) {
        std::string n = info.param.name;
        for (char& c : n)
            if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
        return n;
    });

// A label that would lead out of the destination folder names no folder.
TEST_F(ProductBuildTest, AFullNameThatCannotNameAFolderIsRefused) {
    useDestination();
    executeSql({"UPDATE PRODUCT SET LABEL = '..\\..\\Windows' WHERE ID = 3"});
    hold(3, "Alpha 1.00.00 ..\\..\\Windows");
    boxes.answer(1);
    EXPECT_EQ(build(), -1);
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_NE(boxes.shown()[0].text.find("cannot hold (\\)"), std::string::npos) << boxes.shown()[0].text;
    EXPECT_TRUE(fs::is_empty(out.path()));
}

}  // namespace

namespace {

// When the project service cannot hold the product to build, the settings it would reach are
// another product's: nothing is built and those settings stay as they are.
TEST_F(ProductBuildTest, AnotherProductsSettingsAreNeverTouched) {
    hold(1, "Beta 2.0 Empty");
    ASSERT_EQ(settings().fnv_set_compiled(1), 1);
    project->names.erase(3);
    boxes.answer(1);
    EXPECT_EQ(build(), -1);
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_NE(boxes.shown()[0].text.find("\"Alpha 1.00.00 Empty\" cannot be reached"), std::string::npos)
        << boxes.shown()[0].text;
    hold(1, "Beta 2.0 Empty");
    EXPECT_EQ(settings().fnv_get_compiled(0), 1u);
    EXPECT_EQ(settings().fnv_get_filedest(""), "");
    EXPECT_TRUE(fs::is_empty(out.path()));
}

}  // namespace

namespace {

// With the program's own wait window the build shows its progress there and closes it again.
TEST_F(ProductBuildTest, TheProgramsWaitWindowOpensAndClosesAroundTheBuild) {
    pakomo::register_standard();
    useDestination();
    boxes.answer(1);
    EXPECT_EQ(build(), 1);
    EXPECT_EQ(settings().fnv_get_compiled(0), 1u);
    EXPECT_FALSE(application().w_moment_aub.isValid());
    EXPECT_EQ(application().wait_open_count, 0);
    EXPECT_TRUE(runtime::Window::openWindows().empty());
    EXPECT_EQ(waitLog().opens, 0);  // it was the program's window, not the test's
}

}  // namespace

namespace {

// The outcome stays in the frame's status bar: where the discs are, or why nothing was built.
TEST_F(ProductBuildTest, TheFramesStatusBarTellsTheOutcome) {
    pakomo::register_standard();
    runtime::Ref<pakomo::w_mdi> frame = runtime::create<pakomo::w_mdi>();
    frame->open();
    core_test::settle();
    ASSERT_EQ(application().g_w_frame.get(), frame.get());
    runtime::ScriptedFileDialog dialog;
    dialog.answer({.result = 0});
    EXPECT_EQ(build(), 0);
    EXPECT_EQ(frame->statusText(), "Not built: no folder was chosen for the discs of " + Alpha + ".");

    useDestination();
    ASSERT_EQ(settings().fnv_set_compression_level(20), 1);
    boxes.answer(1);
    boxes.answer(1);
    EXPECT_EQ(build(), -1);
    EXPECT_NE(frame->statusText().find("Not built: \"" + Alpha + "\" cannot be built. The compression level"),
              std::string::npos)
        << frame->statusText();

    ASSERT_EQ(settings().fnv_set_compression_level(3), 1);
    boxes.answer(1);
    EXPECT_EQ(build(), 1);
    EXPECT_EQ(frame->statusText(), "\"" + Alpha + "\" is built: its discs are in " +
                                       machine.windowsPath(out.path()) + "\\" + Alpha + ".");
    frame->close();
}

}  // namespace
