// A real installation (not test mode) of any setup into a fresh machine folder, with a host folder
// beside it. After each run: nothing outside the machine was written (the host folder, and every
// place outside the machine that a component folder or file names, are as they were), and a run
// that did not complete left the machine's files and registry as they were before it, including
// a planted file and registry value that it replaced. Input: as the archive target's, except that
// the length of the setup information has 24 bits and the fourth byte n, when not 0, presses
// Cancel before file pass n - 1.
#include "fuzz/setup/FuzzSupport.h"
#include "installer/logic/CSetupApp.h"
#include "installer/logic/SetupInfo.h"
#include "libraries/decompress/ruxdecompress.h"
#include "platform/Files.h"
#include "platform/Registry.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>

namespace fs = std::filesystem;
using fuzz::QuietUi;
using fuzz::writeFile;

namespace {

// Fixed, so that seeds can name the host folder ("Z:\tmp\rux-fuzz-install\host\x"); it may be a
// link to a folder in /dev/shm. RUX_FUZZ_ROOT moves it for a second fuzzing process.
fs::path worldRoot() {
    const char* root = std::getenv("RUX_FUZZ_ROOT");
    return root && *root ? fs::path(root) : fs::path("/tmp/rux-fuzz-install");
}

// Every entry below a folder (links not followed) with its bytes and time.
std::map<std::string, std::string> snapshot(const fs::path& folder) {
    std::map<std::string, std::string> all;
    std::error_code ec;
    for (fs::recursive_directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::string& seen = all[it->path().string()];
        if (it->is_symlink()) {
            seen = "<link>";
        } else if (it->is_directory()) {
            seen = "<folder>";
        } else {
            std::ifstream in(it->path(), std::ios::binary);
            seen.assign(std::istreambuf_iterator<char>(in), {});
            seen += "@" + std::to_string(it->last_write_time().time_since_epoch().count());
        }
    }
    return all;
}

void snapshotKey(const platform::Registry& reg, platform::RegRoot root, const std::string& key,
                 std::map<std::string, std::string>& out) {
    out[std::to_string(int(root)) + "\\" + key] = "<key>";
    if (auto values = reg.values(root, key)) {
        for (const auto& v : *values)
            out[std::to_string(int(root)) + "\\" + key + "\\[" + v.name + "]"] =
                std::to_string(v.type) + ":" + std::string(v.data.begin(), v.data.end());
    }
    if (auto subkeys = reg.subkeys(root, key)) {
        for (const auto& k : *subkeys) snapshotKey(reg, root, key.empty() ? k : key + "\\" + k, out);
    }
}

std::map<std::string, std::string> registrySnapshot(const platform::Machine& machine) {
    std::map<std::string, std::string> all;
    platform::Registry reg(machine);
    for (auto root : {platform::RegRoot::ClassesRoot, platform::RegRoot::CurrentUser,
                      platform::RegRoot::LocalMachine, platform::RegRoot::Users})
        snapshotKey(reg, root, "", all);
    return all;
}

// A place outside the machine: its existence, kind, size and time.
std::string stamp(const fs::path& p) {
    std::error_code ec;
    auto status = fs::symlink_status(p, ec);
    if (!fs::exists(status)) return "-";
    std::string s = std::to_string(int(status.type()));
    if (fs::is_regular_file(status))
        s += " " + std::to_string(fs::file_size(p, ec)) + "@" +
             std::to_string(fs::last_write_time(p, ec).time_since_epoch().count());
    return s;
}

// Stops the fuzzer when two snapshots differ, naming what differs.
void expectSame(const std::map<std::string, std::string>& before, const std::map<std::string, std::string>& after,
                const char* what) {
    if (before == after) return;
    for (const auto& [k, v] : before) {
        auto it = after.find(k);
        if (it == after.end()) std::fprintf(stderr, "%s: gone: %s\n", what, k.c_str());
        else if (it->second != v) std::fprintf(stderr, "%s: changed: %s\n", what, k.c_str());
    }
    for (const auto& [k, v] : after)
        if (!before.count(k)) std::fprintf(stderr, "%s: new: %s\n", what, k.c_str());
    __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 4) return 0;
    const size_t infoSize = size_t(data[0]) | size_t(data[1]) << 8 | size_t(data[2]) << 16;
    if (infoSize > size - 4) return 0;
    if (!setup::ParseSetupInfo({data + 4, infoSize}).info) return 0;

    // A fresh world for every run: the machine, the disc, and the host folder beside them.
    const fs::path root = worldRoot();
    std::error_code ec;
    // The root's contents go, not the root: it may be a link to a memory file system, where the
    // registry's flushes to disk cost nothing.
    fs::create_directories(root, ec);
    for (fs::directory_iterator it(root, ec), end; !ec && it != end; it.increment(ec)) fs::remove_all(it->path(), ec);
    fs::create_directories(root / "Disc1");
    fs::create_directories(root / "host" / "x");
    const uint8_t label[8] = {1, 0, 0, 0, 1, 0, 0, 0};
    writeFile(root / "Disc1" / "Disc.lbl", label, sizeof label);
    writeFile(root / "Disc1" / "SetupInfo.RUX", data + 4, infoSize);
    writeFile(root / "Disc1" / "Setup1.RUX", data + 4 + infoSize, size - 4 - infoSize);
    const char hostFile[] = "a file of the host";
    writeFile(root / "host" / "kept.txt", reinterpret_cast<const uint8_t*>(hostFile), sizeof hostFile - 1);
    writeFile(root / "host" / "x" / "f0.txt", reinterpret_cast<const uint8_t*>(hostFile), sizeof hostFile - 1);
    auto machine = platform::Machine::openAt(root / "machine");
    if (!machine) std::abort();

    // What a run may replace, planted as it would be there from an earlier product.
    platform::Files files(*machine);
    platform::Registry reg(*machine);
    (void)files.createFolder("C:\\Seed");
    std::ofstream(*machine->hostPath("C:\\Seed\\f0.txt"), std::ios::binary) << "the original";
    fs::last_write_time(*machine->hostPath("C:\\Seed\\f0.txt"), fs::file_time_type::clock::now() - std::chrono::hours(24 * 3650), ec);
    (void)reg.createKey(platform::RegRoot::LocalMachine, "Software\\Seed");
    (void)reg.setDword(platform::RegRoot::LocalMachine, "Software\\Seed", "Text", 7);

    QuietUi ui;
    ui.cancelPass = int(data[3]) - 1;
    setup::CSetupApp app(*machine, ui);
    app.InitRun({}, machine->windowsPath(root / "Disc1" / "Setup.exe"));
    if (app.CheckDisc() != 0 || !app.ReadSetupInfo() || !app.BuildVariableTable()) return 0;
    if (!app.LoadUninstallRecord()) return 0;
    for (const auto& c : app.info().components) app.componentSelection.push_back({1, c.destination});
    app.programGroupName = app.ExpandVariables(app.info().programGroup.defaultGroup);
    app.userKey = "Software\\" + app.ExpandVariables(app.info().user.key);
    app.decompressBounded = &ruxdecompress_bounded;

    // Every place outside the machine that a folder or a file of the setup names.
    std::map<fs::path, std::string> outside;
    auto consider = [&](const std::string& windows) {
        auto host = machine->hostPath(windows);
        if (!host) return;
        const auto rel = host->lexically_normal().lexically_relative(machine->root());
        if (rel.empty() || *rel.begin() == "..") outside.emplace(*host, stamp(*host));
    };
    for (const auto& c : app.info().components) {
        const std::string folder = app.ExpandVariables(c.destination);
        consider(folder);
        for (const auto& f : app.info().files)
            if (f.componentId == c.id) consider(folder + "\\" + f.name);
    }
    const auto hostBefore = snapshot(root / "host");
    const auto filesBefore = snapshot(root / "machine" / "drive_c");
    const auto registryBefore = registrySnapshot(*machine);

    const int result = app.StartInstallation();
    if (result == setup::result::Complete) app.WriteUninstallRecord();

    expectSame(hostBefore, snapshot(root / "host"), "host folder");
    for (const auto& [path, before] : outside) {
        if (stamp(path) == before) continue;
        std::fprintf(stderr, "outside the machine: changed: %s\n", path.c_str());
        __builtin_trap();
    }
    if (result != setup::result::Complete) {
        expectSame(filesBefore, snapshot(root / "machine" / "drive_c"), "machine after a rollback");
        expectSame(registryBefore, registrySnapshot(*machine), "registry after a rollback");
    }
    return 0;
}
