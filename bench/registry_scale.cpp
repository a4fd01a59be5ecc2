// Registry entries, shared counts and small files at the scale of real products: each product is
// built by the build's writer, installed by Setup's engine (no dialogs) into a machine folder of
// its own and removed again by the uninstaller, RUXUninst /S started as its own process on the
// registered command line, as a user's script would. Prints a table of the times and
//   registry_install_ratio = install of 10,000 registry values / install of 1,000 (linear: ~10)
//   uninstall_ratio        = uninstall / install of 50,000 small files in one folder
// Usage: bench_registry_scale [work folder] (default: a new folder below $TMPDIR, removed after).
#include "bench/BenchUi.h"
#include "installer/logic/CInstallEngine.h"
#include "installer/logic/CSetupApp.h"
#include "libraries/build/SetupWriter.h"
#include "libraries/decompress/ruxdecompress.h"
#include "platform/Process.h"
#include "platform/Registry.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {


double since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

enum class Kind { Values, SharedFiles, SmallFiles };

struct Case {
    Kind kind;
    unsigned count;
    std::string label;
    double install = 0, uninstall = 0;
    std::string productName = {};  // its display name, once built
};

// A few distinct 1 KB sources that the product's files take in turn.
std::vector<fs::path> makeSources(const fs::path& folder) {
    fs::create_directories(folder);
    std::vector<fs::path> out;
    uint64_t state = 88172645463325252ull;
    for (int i = 0; i < 64; ++i) {
        std::string bytes(1024, '\0');
        for (char& c : bytes) {
            state ^= state << 13;
            state ^= state >> 7;
            state ^= state << 17;
            c = char('a' + state % 26);
        }
        out.push_back(folder / ("s" + std::to_string(i) + ".txt"));
        std::ofstream(out.back(), std::ios::binary) << bytes;
    }
    return out;
}

build::Product makeProduct(const Case& c, unsigned index, const std::vector<fs::path>& sources) {
    build::Product p;
    p.name = "Bench" + std::to_string(index);
    p.version = "1";
    p.defaultDestination = "^PROGRAMFILESDIR^\\Bench" + std::to_string(index);
    p.components = {{.id = 1, .name = "Main", .description = {}, .destination = "^SETUPPATH^"}};
    auto file = [&](unsigned n, bool shared) {
        char name[32];
        std::snprintf(name, sizeof name, "f%05u.txt", n);
        p.files.push_back({.componentId = 1, .name = name, .linkText = {}, .shared = shared,
                           .source = sources[n % sources.size()]});
    };
    switch (c.kind) {
    case Kind::Values:
        file(0, false);
        // A hundred values a key, in the kinds a product registers: texts, paths and numbers.
        for (unsigned i = 0; i < c.count; ++i) {
            std::string key = "Software\\Bench\\Values\\K" + std::to_string(i / 100);
            std::string name = "V" + std::to_string(i);
            if (i % 4 == 3)
                p.registryEntries.push_back({1, 3, key, name, 4, build::encodeDwordData(i)});
            else if (i % 4 == 2)
                p.registryEntries.push_back({1, 3, key, name, 1, "^SETUPPATH^\\f" + std::to_string(i)});
            else
                p.registryEntries.push_back({1, 3, key, name, 1, "value " + std::to_string(i)});
        }
        break;
    case Kind::SharedFiles:
        for (unsigned i = 0; i < c.count; ++i) file(i, true);
        break;
    case Kind::SmallFiles:
        for (unsigned i = 0; i < c.count; ++i) file(i, false);
        break;
    }
    return p;
}

bool runCase(Case& c, unsigned index, const fs::path& work, const std::vector<fs::path>& sources) {
    const fs::path discs = work / ("discs" + std::to_string(index));
    const build::Product product = makeProduct(c, index, sources);
    c.productName = product.name + " " + product.version;
    auto built = build::writeSetup(product, {.outputFolder = discs});
    if (!built.ok()) {
        std::fprintf(stderr, "%s: build failed: %s\n", c.label.c_str(), built.error.c_str());
        return false;
    }
    auto machine = platform::Machine::openAt(work / ("machine" + std::to_string(index)));
    if (!machine) {
        std::fprintf(stderr, "no machine: %s\n", machine.error().text.c_str());
        return false;
    }
    BenchUi ui;
    std::string recordPath;
    {
        const auto start = std::chrono::steady_clock::now();
        setup::CSetupApp app(*machine, ui);
        app.InitRun({}, machine->windowsPath(discs / "Disc1" / "Setup.exe"));
        if (app.CheckDisc() != 0 || !app.ReadSetupInfo() || !app.BuildVariableTable() || !app.LoadUninstallRecord())
            return false;
        for (const auto& comp : app.info().components) app.componentSelection.push_back({1, comp.destination});
        app.userKey = "Software\\Bench";
        app.userName = "Bench";
        app.decompress = &ruxdecompress;
        const int result = app.StartInstallation();
        if (result != setup::result::Complete || !app.WriteUninstallRecord() || ui.failed) {
            std::fprintf(stderr, "%s: install ended with %d\n", c.label.c_str(), result);
            return false;
        }
        recordPath = app.uninstallRecordPath;
        c.install = since(start);
    }
    // The registered command line, with the switch that keeps the uninstaller from asking.
    platform::Registry registry(*machine);
    const std::string key = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + c.productName;
    auto registered = registry.queryValue(platform::RegRoot::LocalMachine, key, "UninstallString");
    if (!registered || registered->data.empty()) {
        std::fprintf(stderr, "%s: no UninstallString\n", c.label.c_str());
        return false;
    }
    std::string commandLine(registered->data.begin(), registered->data.end() - 1);
    commandLine.insert(commandLine.find(' '), " /S");
    const auto start = std::chrono::steady_clock::now();
    const auto rc = platform::runCommandLine(*machine, commandLine, true);
    c.uninstall = since(start);
    if (!rc || *rc != 0) {
        std::fprintf(stderr, "%s: %s ended with %d\n", c.label.c_str(), commandLine.c_str(), rc ? *rc : -1);
        return false;
    }
    if (fs::exists(machine->hostPath(recordPath).valueOr(fs::path()))) {
        std::fprintf(stderr, "%s: the record is still there\n", c.label.c_str());
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    fs::path work;
    bool own = argc < 2;
    if (own) {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = (fs::path(tmp && *tmp ? tmp : "/tmp") / "rux-registry-scale-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) return 1;
        work = pattern;
    } else {
        work = argv[1];
        fs::create_directories(work);
    }
    const auto sources = makeSources(work / "sources");
    std::vector<Case> cases = {
        {Kind::Values, 100, "100 registry values"},       {Kind::Values, 1000, "1,000 registry values"},
        {Kind::Values, 10000, "10,000 registry values"},  {Kind::Values, 50000, "50,000 registry values"},
        {Kind::SharedFiles, 1000, "1,000 shared files"},   {Kind::SharedFiles, 10000, "10,000 shared files"},
        {Kind::SmallFiles, 10000, "10,000 small files (1 KB)"}, {Kind::SmallFiles, 20000, "20,000 small files (1 KB)"},
        {Kind::SmallFiles, 50000, "50,000 small files (1 KB)"},
    };
    // Every machine folder is seeded with the uninstaller in its Windows folder.
    if (!std::getenv("RUX_MACHINE_SEED")) ::setenv("RUX_MACHINE_SEED", RUX_MACHINE_SEED_FOLDER, 1);
    // The largest product of small files first and nothing deleted between the runs: creating files
    // just after many were deleted costs some file systems (ext4) far more, which would blur the
    // install and uninstall times of 50,000 files.
    const size_t largest = cases.size() - 1;
    bool ok = runCase(cases[largest], unsigned(largest), work, sources);
    for (unsigned i = 0; i < largest && ok; ++i) ok = runCase(cases[i], i, work, sources);
    if (own) {
        std::error_code ec;
        fs::remove_all(work, ec);
    }
    if (!ok) return 1;
    std::printf("| Work in one product | Install | Uninstall |\n|---|---|---|\n");
    for (const auto& c : cases) std::printf("| %s | %.3f s | %.3f s |\n", c.label.c_str(), c.install, c.uninstall);
    std::printf("registry_install_ratio: %.2f\n", cases[2].install / cases[1].install);
    for (const auto& c : cases)
        if (c.kind == Kind::SmallFiles)
            std::printf("uninstall_ratio_%u: %.2f\n", c.count, c.uninstall / c.install);
    std::printf("uninstall_ratio: %.2f\n", cases[largest].uninstall / cases[largest].install);
    return 0;
}
