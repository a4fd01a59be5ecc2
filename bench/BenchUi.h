#pragma once
// The benchmarks' Setup user interface: answers "ready to install" with Yes, runs the installation
// without a dialog, and reports any other box on the error stream as a failure.
#include "installer/logic/CInstallEngine.h"
#include "installer/logic/ISetupUi.h"

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

class BenchUi : public setup::ISetupUi {
public:
    int MessageBox(uint32_t id, setup::MsgButtons buttons, setup::MsgIcon, std::string_view arg1, std::string_view) override {
        if (id == 16395) return setup::answer::Yes;  // ready to install
        std::fprintf(stderr, "message %u %.*s\n", id, int(arg1.size()), arg1.data());
        failed = true;
        return buttons == setup::MsgButtons::Ok ? setup::answer::Ok : setup::answer::Cancel;
    }
    void SystemErrorBox(std::string_view text, std::string_view caption) override {
        std::fprintf(stderr, "%.*s: %.*s\n", int(caption.size()), caption.data(), int(text.size()), text.data());
        failed = true;
    }
    void CopyErrorBox(std::string_view destination, std::string_view) override {
        std::fprintf(stderr, "copy failed: %.*s\n", int(destination.size()), destination.data());
        failed = true;
    }
    std::optional<std::string> AskForDisc(uint16_t, std::string_view) override { return std::nullopt; }
    int RunProgressDialog(setup::CInstallEngine& engine) override { return engine.RunInstallation(); }
    void ProgressFile(std::string_view) override {}
    void ProgressAdvanced(uint64_t, uint64_t) override {}
    bool PumpCancelMessages() override { return false; }
    bool failed = false;
};
