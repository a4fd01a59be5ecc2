#pragma once
// Small hand-made setups: a product described in plain values, encoded byte by byte into a setup
// information file (offsets written here on their own, apart from the reader's), and laid out
// over disc folders with zstd-stored files.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace setup_test {

// 2020-01-02 03:04:05 UTC as a FILETIME.
inline constexpr uint64_t kFileTime = 132224342450000000ull;

struct FxComponent {
    uint32_t id = 1;
    std::string name = "Main";
    std::string destination = "^SETUPPATH^";
    uint32_t parent = 0;
    uint8_t bits = 1;
    uint32_t required = 0;
    std::string description;
    uint16_t firstDisc = 0;  // filled by writeDiscs unless set
    uint32_t offset = 0;
};

struct FxFile {
    uint32_t component = 1;
    std::string name;
    std::string content;
    uint32_t readme = 0;
    uint32_t shortcut = 0;
    std::string linkText;
    uint32_t shared = 0;
    uint64_t time = kFileTime;
    std::optional<std::string> stored;  // stored bytes as given, instead of compressing content
    uint32_t storedSize = 0;            // filled by writeDiscs
};

struct FxRegistry {
    uint32_t component = 1;
    uint8_t root = 3;
    std::string key;
    std::string name;
    uint8_t type = 1;
    std::string data;
};

struct FxProduct {
    std::string name = "Tool";
    std::string version = "1.0";
    std::string destination = "C:\\Program Files\\Tool";
    uint32_t reserved = 0;
    uint32_t readmeOffered = 0;
    uint32_t wizardProgramGroup = 1;
    std::string userKey = "Maker\\Tool";
    std::string license = "Licence text";
    std::string programGroup = "Tool";
    std::string progressText = "Installing ^PRODUCTNAME^";
    uint8_t readmeMode = 0;
    std::vector<std::pair<std::string, std::string>> strings;
    std::vector<FxComponent> components{FxComponent{}};
    std::vector<FxFile> files;
    std::vector<FxRegistry> registry;
};

// The setup information file's bytes, and the offsets at which each record, array and text ends.
std::vector<uint8_t> encodeSetupInfo(const FxProduct& product, std::vector<std::size_t>* boundaries = nullptr);

std::string zstdCompress(std::string_view content);

// Lays the stored bytes out over Disc1, Disc2... below `root`, each archive at most `capacity`
// bytes (0: all on one disc); fills the components' discs and offsets and the files' stored
// sizes; writes the archives, a label on every disc and SetupInfo.RUX on the first. Returns the
// number of discs.
int writeDiscs(FxProduct& product, const std::filesystem::path& root, uint64_t capacity = 0);

void writeBytes(const std::filesystem::path& path, const std::vector<uint8_t>& bytes);

}  // namespace setup_test
