#pragma once
// What the installing fuzz targets share: a user who answers every box at once, and the input's
// bytes written to a file.
#include "installer/logic/CInstallEngine.h"
#include "installer/logic/ISetupUi.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>

namespace fuzz {

// Begins when asked, answers every other box with OK or Cancel, offers no other disc, and stops
// the fuzzer when progress passes its total. PumpCancelMessages presses Cancel on its call number
// cancelPass (from 0; -1: never).
class QuietUi : public setup::ISetupUi {
public:
    int cancelPass = -1;
    int passes = 0;
    int MessageBox(uint32_t id, setup::MsgButtons buttons, setup::MsgIcon, std::string_view, std::string_view) override {
        if (id == 16395) return setup::answer::Yes;  // ready to begin
        return buttons == setup::MsgButtons::Ok ? setup::answer::Ok : setup::answer::Cancel;
    }
    void SystemErrorBox(std::string_view, std::string_view) override {}
    void CopyErrorBox(std::string_view, std::string_view) override {}
    std::optional<std::string> AskForDisc(uint16_t, std::string_view) override { return std::nullopt; }
    int RunProgressDialog(setup::CInstallEngine& engine) override { return engine.RunInstallation(); }
    void ProgressFile(std::string_view) override {}
    void ProgressAdvanced(uint64_t done, uint64_t total) override {
        if (done > total) __builtin_trap();
    }
    bool PumpCancelMessages() override { return passes++ == cancelPass; }
};

inline void writeFile(const std::filesystem::path& p, const uint8_t* data, size_t size) {
    std::ofstream(p, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(data), std::streamsize(size));
}

}  // namespace fuzz
