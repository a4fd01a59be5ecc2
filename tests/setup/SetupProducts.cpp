#include "SetupProducts.h"

#include "libraries/decompress/ruxdecompress.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <fstream>
#include <random>

namespace fs = std::filesystem;

namespace setup_test {

platform::Machine openMachine() {
    auto machine = platform::Machine::open();
    if (!machine) throw std::runtime_error("no machine: " + machine.error().text);
    return *machine;
}

QApplication& application() {
    static int argc = 1;
    static char name[] = "Setup";
    static char* argv[] = {name, nullptr};
    // Lives until the process ends: destroying it among the exit handlers would outlive Qt's own.
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

std::string noise(std::size_t size, uint32_t seed) {
    std::mt19937 rng(seed);
    std::string s(size, '\0');
    for (auto& c : s) c = static_cast<char>(rng());
    return s;
}

void addFile(build::Product& product, const fs::path& sources, uint32_t component, std::string name,
             const std::string& content) {
    fs::path source = sources / (std::to_string(component) + "-" + name);
    testing_support::writeFile(source, content);
    product.files.push_back({.componentId = component, .name = std::move(name), .source = source});
}

build::Product smallProduct(const fs::path& sources) {
    build::Product p;
    p.name = "Tool";
    p.version = "1.0";
    p.readmeOffered = true;
    p.normalOffered = p.minimalOffered = p.customOffered = true;
    p.defaultDestination = "^PROGRAMFILESDIR^\\Tool";
    p.showWelcome = p.showLicense = p.showUser = p.showFinished = true;
    p.useProgramGroup = true;
    p.title = "^PRODUCTNAME^ Setup";
    p.backgroundColour = 0x800000;  // dark blue
    p.backgroundTexts.push_back({.text = "^PRODUCTNAME^ ^PRODUCTVERSION^", .left = 500, .top = 400, .pointSize = 28,
                                 .bold = true, .italic = true, .colour = 0xFFFFFF, .faceName = "DejaVu Sans"});
    p.backgroundTexts.push_back({.text = "Installing into ^SETUPPATH^", .left = 500, .top = 8500, .pointSize = 12,
                                 .colour = 0x00FFFF, .faceName = "DejaVu Sans"});
    p.protectionWarning = true;
    p.licenseText = "You may use ^PRODUCTNAME^ as you like.";
    p.userKey = "Maker\\^PRODUCTNAME^";
    p.userText = "Please enter your name and the name of your company.";
    p.finishedText = "^PRODUCTNAME^ has been installed.";
    p.offerRestart = true;
    p.restartNowText = "Yes, restart the computer now.";
    p.restartLaterText = "No, I will restart later.";
    p.defaultGroup = "Tool";
    p.groupText = "Setup will add the program's icons to the program group below.";
    p.readmeMode = 2;
    p.readmeCheckText = "Show the readme file";
    p.progressText = "Installing ^PRODUCTNAME^ ...";
    p.showFileName = true;
    p.components.push_back({.id = 1, .name = "Main", .setupTypes = 3, .description = "The program itself.",
                            .destination = "^SETUPPATH^", .folderChangeable = true});
    addFile(p, sources, 1, "tool.exe", "program bytes");
    addFile(p, sources, 1, "readme.txt", "Read me first.");
    p.files.back().readme = true;
    p.files.front().shortcut = true;
    p.files.front().linkText = "Tool";
    p.registryEntries.push_back({.componentId = 1, .root = 2, .key = "Software\\Maker\\Tool", .valueName = "Path",
                                 .type = 1, .data = "^PATH_Main^"});
    return p;
}

std::unique_ptr<SetupDiscs> writeDiscs(const build::Product& product, uint64_t capacity, bool withProgram) {
    auto discs = std::make_unique<SetupDiscs>();
    build::BuildOptions options;
    options.outputFolder = discs->folder.path();
    options.discCapacity = capacity;
    if (withProgram) {
        fs::path bin = fs::path(std::getenv("RUX_BUILD_DIR")) / "bin";
        options.setupProgram = bin / "Setup";
        options.decompressor = bin / "libruxdecompress.so";
    }
    discs->result = build::writeSetup(product, options);
    EXPECT_TRUE(discs->result.ok()) << discs->result.error;
    return discs;
}

int runSetup(const SetupDiscs& discs, std::vector<std::string> arguments) {
    application();
    auto machine = openMachine();
    setup::CSetupProgram program(machine, std::move(arguments), machine.windowsPath(discs.disc(1) / "Setup.exe"));
    program.app().decompress = &ruxdecompress;
    return program.InitInstance();
}

std::vector<std::string> journal(const platform::Machine& machine) {
    std::vector<std::string> lines;
    std::ifstream in(machine.journalPath());
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

}  // namespace setup_test
