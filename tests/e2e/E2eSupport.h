#pragma once
// A product built by the writer and installed by Setup's logic on this process's machine.
#include "installer/ScriptedUi.h"
#include "installer/logic/CInstallEngine.h"
#include "installer/logic/CSetupApp.h"
#include "installer/logic/StringTable.h"
#include "libraries/build/SetupWriter.h"
#include "libraries/decompress/ruxdecompress.h"
#include "platform/Files.h"
#include "platform/Machine.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>

namespace e2e {

namespace fs = std::filesystem;

inline std::string randomBytes(size_t n, uint32_t seed) {
    std::mt19937 rng(seed);
    std::string s(n, '\0');
    for (auto& c : s) c = static_cast<char>(rng());
    return s;
}

inline platform::Machine openMachine() {
    auto m = platform::Machine::open();
    if (!m) throw std::runtime_error("no machine: " + m.error().text);
    return *m;
}

// Source files of a product, with fixed last-write times.
class Sources {
public:
    fs::path add(const std::string& name, const std::string& content,
                 fs::file_time_type time = fs::file_time_type::clock::now() - std::chrono::hours(1)) {
        fs::path p = folder_.path() / std::to_string(count_++);
        testing_support::writeFile(p, content);
        fs::last_write_time(p, time);
        contents_[name] = content;
        return p;
    }
    const std::string& content(const std::string& name) const { return contents_.at(name); }

private:
    testing_support::TempFolder folder_{"sources"};
    int count_ = 0;
    std::map<std::string, std::string> contents_;
};

// The discs of a product, written by the writer.
struct Built {
    testing_support::TempFolder out{"discs"};
    build::BuildResult result;

    Built(const build::Product& product, uint64_t discCapacity = 0) {
        result = build::writeSetup(product, {.outputFolder = out.path(), .discCapacity = discCapacity, .threads = 4});
        EXPECT_TRUE(result.ok()) << result.error;
    }
    fs::path disc(int d) const { return out.path() / ("Disc" + std::to_string(d)); }
};

// One run of Setup's logic over built discs: every component chosen at its own folder.
struct SetupRun {
    platform::Machine machine = openMachine();
    setup_test::ScriptedUi ui;
    std::unique_ptr<setup::CSetupApp> app = std::make_unique<setup::CSetupApp>(machine, ui);
    int decompressCalls = 0;
    uintmax_t largestOutput = 0;  // the largest output file the decompressor left

    // Reads the first disc as the run order does; false when the setup information was refused.
    bool prepare(const fs::path& disc1, std::vector<std::string> args = {}) {
        app->InitRun(args, machine.windowsPath(disc1 / "Setup.exe"));
        if (app->CheckDisc() != 0 || !app->ReadSetupInfo()) return false;
        EXPECT_TRUE(app->BuildVariableTable());
        EXPECT_TRUE(app->LoadUninstallRecord());
        app->componentSelection.clear();
        for (const auto& c : app->info().components) app->componentSelection.push_back({1, c.destination});
        app->programGroupName = app->ExpandVariables(app->info().programGroup.defaultGroup);
        app->userKey = "Software\\" + app->ExpandVariables(app->info().user.key);
        app->userName = "Ann";
        app->company = "Maker Ltd";
        app->decompressBounded = &countingDecompress;
        current() = this;
        return true;
    }

    // The user confirms the start of the installation (queued before any later prompt).
    void ready() {
        ui.message(setup::ids::ReadyToInstall, setup::answer::Yes);
        readyQueued_ = true;
    }

    // The installation and, when it completed, the uninstall record (the run rolled back when
    // that cannot be written): the run order's end.
    int install() {
        if (!readyQueued_) ready();
        int r = app->StartInstallation();
        if (r == setup::result::Complete && !app->WriteUninstallRecord()) {
            app->RollBackInstallation();
            r = setup::result::Error;
        }
        return r;
    }

    static SetupRun*& current() {
        static SetupRun* run = nullptr;
        return run;
    }
    static int countingDecompress(const char* stored, const char* output, unsigned long long maxBytes) {
        ++current()->decompressCalls;
        int result = ruxdecompress_bounded(stored, output, maxBytes);
        std::error_code ec;
        current()->largestOutput = std::max(current()->largestOutput, fs::file_size(output, ec));
        return result;
    }

private:
    bool readyQueued_ = false;
};

}  // namespace e2e
