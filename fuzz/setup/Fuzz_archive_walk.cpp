// The installation engine's walk over the archives, in test mode, with any setup information and
// any archive bytes: extraction across the archive's end, decompression of whatever is stored,
// and every box answered with Cancel or OK. Input: u32 length of the setup information, the
// setup information, then the archive of disc 1.
#include "fuzz/setup/FuzzSupport.h"
#include "installer/logic/CSetupApp.h"
#include "installer/logic/SetupInfo.h"
#include "libraries/decompress/ruxdecompress.h"

#include <cstdlib>
#include <fstream>
#include <unistd.h>

namespace fs = std::filesystem;
using fuzz::QuietUi;
using fuzz::writeFile;

namespace {

struct World {
    fs::path root;
    platform::Machine machine;
    fs::path disc;
};

World& world() {
    static World* w = [] {
        char pattern[] = "/tmp/rux-fuzz-XXXXXX";
        fs::path root = ::mkdtemp(pattern);
        auto machine = platform::Machine::openAt(root / "machine");
        if (!machine) std::abort();
        fs::create_directories(root / "Disc1");
        const uint8_t label[8] = {1, 0, 0, 0, 1, 0, 0, 0};
        std::ofstream(root / "Disc1" / "Disc.lbl", std::ios::binary).write(reinterpret_cast<const char*>(label), 8);
        std::atexit([] {
            std::error_code ec;
            fs::remove_all(world().root, ec);
        });
        return new World{root, *machine, root / "Disc1"};
    }();
    return *w;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 4) return 0;
    const size_t infoSize = size_t(data[0]) | size_t(data[1]) << 8 | size_t(data[2]) << 16 | size_t(data[3]) << 24;
    if (infoSize > size - 4) return 0;
    // Only setups that the reader accepts reach the engine.
    if (!setup::ParseSetupInfo({data + 4, infoSize}).info) return 0;
    World& w = world();
    writeFile(w.disc / "SetupInfo.RUX", data + 4, infoSize);
    writeFile(w.disc / "Setup1.RUX", data + 4 + infoSize, size - 4 - infoSize);

    QuietUi ui;
    setup::CSetupApp app(w.machine, ui);
    app.InitRun({"Test"}, w.machine.windowsPath(w.disc / "Setup.exe"));
    if (app.CheckDisc() != 0 || !app.ReadSetupInfo() || !app.BuildVariableTable()) return 0;
    app.LoadUninstallRecord();
    for (const auto& c : app.info().components) app.componentSelection.push_back({1, c.destination});
    app.programGroupName = "Group";
    app.userKey = "Software\\Fuzz";
    app.decompress = &ruxdecompress;
    app.StartInstallation();
    return 0;
}
