#pragma once
// A run of Setup's logic against this process's machine folder, with a scripted answerer.
#include "ScriptedUi.h"
#include "SetupFixture.h"
#include "installer/logic/CSetupApp.h"
#include "platform/Machine.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>

extern "C" int ruxdecompress(const char* stored, const char* output);

namespace setup_test {

inline platform::Machine openMachine() {
    auto machine = platform::Machine::open();
    if (!machine) throw std::runtime_error("no machine: " + machine.error().text);
    return *machine;
}

struct SetupRun {
    testing_support::TempFolder discs{"discs"};
    platform::Machine machine;
    ScriptedUi ui;
    std::unique_ptr<setup::CSetupApp> app;

    SetupRun() : machine(openMachine()), app(std::make_unique<setup::CSetupApp>(machine, ui)) {}
    // Answers the start question, runs the installation and, when it completed, writes the
    // uninstall record (rolling the run back when it cannot), as the run order does.
    int install() {
        ui.messageFirst(16395, 6);
        int result = app->StartInstallation();
        if (result == 0 && !app->WriteUninstallRecord()) {
            app->RollBackInstallation();
            result = 2;
        }
        return result;
    }

    std::string winPath(const std::filesystem::path& host) const { return machine.windowsPath(host); }
    std::string discFolder(int d) const { return winPath(discs / ("Disc" + std::to_string(d))) + "\\"; }

    // Writes the product's discs and reads its setup information as the run order does.
    void prepare(FxProduct& product, uint64_t capacity = 0, std::vector<std::string> args = {}) {
        writeDiscs(product, discs.path(), capacity);
        app->InitRun(args, discFolder(1) + "Setup.exe");
        ASSERT_EQ(app->CheckDisc(), 0);
        ASSERT_TRUE(app->ReadSetupInfo());
        ASSERT_TRUE(app->BuildVariableTable());
        ASSERT_TRUE(app->LoadUninstallRecord());
        app->componentSelection.clear();
        for (const auto& c : app->info().components) app->componentSelection.push_back({1, c.destination});
        app->programGroupName = app->ExpandVariables(app->info().programGroup.defaultGroup);
        app->userKey = "Software\\" + app->ExpandVariables(app->info().user.key);
        app->userName = "Ann";
        app->company = "Maker Ltd";
        app->decompress = &ruxdecompress;
    }
};

// Every file below the machine folder with its bytes, but the journal.
inline std::map<std::string, std::string> snapshot(const platform::Machine& machine) {
    std::map<std::string, std::string> out;
    for (const auto& e : std::filesystem::recursive_directory_iterator(machine.root())) {
        auto rel = std::filesystem::relative(e.path(), machine.root()).generic_string();
        if (rel == "journal.log" || rel.ends_with(".lock")) continue;
        out[rel] = e.is_directory() ? std::string("<dir>") : testing_support::readFile(e.path());
    }
    return out;
}

}  // namespace setup_test
