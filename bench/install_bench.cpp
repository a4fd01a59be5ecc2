// The driver of install_bench.sh: generates a product's source files, builds its setup with the
// build's writer, and installs it with Setup's engine (no dialogs) into a machine folder.
//   bench_install_bench generate <folder> <MiB> <files>
//   bench_install_bench build <sources> <output> <level> [threads]
//   bench_install_bench install <Disc1 folder> <machine folder>
#include "bench/BenchUi.h"
#include "installer/logic/CInstallEngine.h"
#include "installer/logic/CSetupApp.h"
#include "libraries/build/SetupWriter.h"
#include "libraries/decompress/ruxdecompress.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sys/resource.h>

namespace fs = std::filesystem;

namespace {

// Half the files are text that compresses, half random bytes that do not.
int generate(const fs::path& folder, uint64_t mib, unsigned count) {
    static const char* words[] = {"installer", "archive", "component", "registry", "setup", "folder", "file",
                                  "value", "disc", "the", "of", "and", "a", "to", "program", "group", "user"};
    fs::create_directories(folder);
    const uint64_t each = (mib << 20) / count;
    uint64_t state = 88172645463325252ull;
    auto next = [&state] {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return state;
    };
    std::string buffer(each, '\0');
    for (unsigned i = 0; i < count; ++i) {
        if (i % 2 == 0) {
            size_t at = 0;
            while (at < each) {
                uint64_t r = next();
                const char* w = words[r % std::size(words)];
                size_t n = std::min(std::strlen(w), size_t(each - at));
                std::memcpy(buffer.data() + at, w, n);
                at += n;
                if (at < each) buffer[at++] = (r >> 32) % 11 == 0 ? '\n' : ' ';
            }
        } else {
            for (size_t at = 0; at < each; at += 8) {
                uint64_t r = next();
                std::memcpy(buffer.data() + at, &r, std::min<size_t>(8, each - at));
            }
        }
        char name[32];
        std::snprintf(name, sizeof name, "f%04u.%s", i, i % 2 == 0 ? "txt" : "bin");
        std::ofstream(folder / name, std::ios::binary).write(buffer.data(), std::streamsize(buffer.size()));
    }
    return 0;
}

double seconds(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

int buildSetup(const fs::path& sources, const fs::path& out, int level, unsigned threads) {
    build::Product p;
    p.name = "Bench";
    p.version = "1";
    p.defaultDestination = "^PROGRAMFILESDIR^\\Bench";
    p.components = {{.id = 1, .name = "Main", .description = {}, .destination = "^SETUPPATH^"}};
    std::vector<fs::path> files;
    for (const auto& e : fs::directory_iterator(sources)) files.push_back(e.path());
    std::sort(files.begin(), files.end());
    for (const auto& f : files)
        p.files.push_back({.componentId = 1, .name = f.filename().string(), .linkText = {}, .source = f});
    const auto start = std::chrono::steady_clock::now();
    auto result = build::writeSetup(p, {.outputFolder = out, .compressionLevel = level, .threads = threads});
    if (!result.ok()) {
        std::fprintf(stderr, "build failed: %s\n", result.error.c_str());
        return 1;
    }
    std::printf("seconds: %.3f\n", seconds(start));
    return 0;
}


int install(const fs::path& disc1, const fs::path& machineFolder) {
    auto machine = platform::Machine::openAt(machineFolder);
    if (!machine) {
        std::fprintf(stderr, "no machine: %s\n", machine.error().text.c_str());
        return 1;
    }
    BenchUi ui;
    const auto start = std::chrono::steady_clock::now();
    setup::CSetupApp app(*machine, ui);
    app.InitRun({}, machine->windowsPath(disc1 / "Setup.exe"));
    if (app.CheckDisc() != 0 || !app.ReadSetupInfo() || !app.BuildVariableTable()) return 1;
    app.LoadUninstallRecord();
    for (const auto& c : app.info().components) app.componentSelection.push_back({1, c.destination});
    app.userKey = "Software\\Bench";
    app.userName = "Bench";
    app.decompress = &ruxdecompress;
    const int result = app.StartInstallation();
    if (result == setup::result::Complete) app.WriteUninstallRecord();
    const double took = seconds(start);
    if (result != setup::result::Complete || ui.failed) {
        std::fprintf(stderr, "install ended with %d\n", result);
        return 1;
    }
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    std::printf("seconds: %.3f\npeak_rss_kib: %ld\n", took, usage.ru_maxrss);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "generate" && argc == 5) return generate(argv[2], std::stoull(argv[3]), unsigned(std::stoul(argv[4])));
    if (mode == "build" && (argc == 5 || argc == 6))
        return buildSetup(argv[2], argv[3], std::stoi(argv[4]), argc == 6 ? unsigned(std::stoul(argv[5])) : 0);
    if (mode == "install" && argc == 4) return install(argv[2], argv[3]);
    std::fprintf(stderr, "usage: bench_install_bench generate <folder> <MiB> <files> | build <sources> <output> <level>"
                         " | install <Disc1> <machine>\n");
    return 2;
}
