#pragma once
// The records of the setup information file "SetupInfo.RUX" and its checked reader.
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace setup {

inline constexpr std::string_view SetupInfoFileName = "SetupInfo.RUX";

struct SetupHeader {
    std::string productName;         // PRODUCTNAME
    std::string version;             // PRODUCTVERSION
    uint32_t reserved = 0;           // not zero: 12 reserved bytes end the file
    uint32_t readmeOffered = 0;
    uint32_t normalOffered = 0;
    uint32_t minimalOffered = 0;
    uint32_t customOffered = 0;
    std::string defaultDestination;  // SETUPPATH; the destination page replaces it in memory
};

struct WizardOptions {
    uint32_t welcome = 0;
    uint32_t license = 0;
    uint32_t userInformation = 0;
    uint32_t finished = 0;
    uint32_t programGroup = 0;  // shows the page, creates the group and opens it at the end
};

struct MainWindowInfo {
    std::string title;
    uint32_t backgroundColour = 0;  // red + 256 * green + 65536 * blue
};

struct BackgroundText {
    std::string text;
    uint32_t left = 0;  // ten-thousandths of the client width
    uint32_t top = 0;   // ten-thousandths of the client height
    uint16_t pointSize = 0;
    uint32_t bold = 0;
    uint32_t italic = 0;
    uint32_t underline = 0;
    uint32_t colour = 0;
    std::string faceName;
};

struct WelcomePageInfo {
    uint32_t protectionWarning = 0;
};

struct LicensePageInfo {
    std::string text;
};

struct UserPageInfo {
    std::string key;  // below HKEY_CURRENT_USER\Software
    std::string text;
};

struct FinishedPageInfo {
    std::string text;
    uint32_t restartOffered = 0;
    std::string firstChoice;
    std::string secondChoice;
};

struct ProgramGroupPageInfo {
    std::string defaultGroup;
    std::string text;
};

struct ReadmePageInfo {
    uint8_t mode = 0;  // 1 show without asking, 2 ask when the header offers it, else never
    std::string checkBoxText;
};

struct ProgressPageInfo {
    std::string text;
    uint32_t showFileName = 0;
};

struct RegistryEntry {
    uint32_t componentId = 0;
    uint8_t root = 0;  // 1 HKCR, 2 HKCU, 3 HKLM, 4 HKU
    std::string key;
    std::string valueName;  // empty: the key's default value
    uint8_t valueType = 0;  // 0-10, 255 for bytes written as they are
    std::string data;       // the stored data text, exactly its data length bytes
};

struct StringVariable {
    std::string name;
    std::string value;
};

struct ComponentRecord {
    uint16_t firstDisc = 0;
    uint32_t offset = 0;  // of its first stored byte in that disc's archive
    uint32_t id = 0;
    uint32_t parentId = 0;  // 0: top level
    std::string name;       // PATH_<name>
    uint32_t visible = 0;
    uint8_t setupBits = 0;  // 0x01 Normal, 0x02 Minimal
    uint32_t requiredId = 0;
    std::string description;
    std::string destination;  // may hold references; the component page replaces it in memory
    uint32_t folderChangeable = 0;
};

struct FileRecord {
    uint32_t componentId = 0;
    std::string name;  // relative to the component's folder
    uint32_t readme = 0;
    uint32_t shortcut = 0;
    std::string shortcutText;
    uint32_t shared = 0;
    uint64_t time = 0;  // FILETIME ticks, UTC
    uint32_t installedSize = 0;
    uint32_t storedSize = 0;
};

// One product's whole installation description, as read.
struct SetupInfo {
    SetupHeader header;
    WizardOptions wizard;
    MainWindowInfo mainWindow;
    std::vector<BackgroundText> backgroundTexts;
    WelcomePageInfo welcome;
    LicensePageInfo license;
    UserPageInfo user;
    FinishedPageInfo finished;
    ProgramGroupPageInfo programGroup;
    ReadmePageInfo readme;
    ProgressPageInfo progress;
    std::vector<RegistryEntry> registryEntries;
    std::vector<StringVariable> stringVariables;
    std::vector<ComponentRecord> components;
    std::vector<FileRecord> files;
    std::optional<std::array<uint8_t, 12>> reservedTrailer;
};

// Why a setup information file was refused.
enum class SetupInfoFault {
    None,
    Truncated,             // a record, count, text or array runs past the end
    TrailingBytes,         // bytes after the last record
    DuplicateComponentId,
    ParentCycle,
    UnsafeFileName,        // absolute, drive, "..", or empty parts
};

struct SetupInfoParse {
    std::optional<SetupInfo> info;  // set only when fault is None
    SetupInfoFault fault = SetupInfoFault::None;
    std::string detail;  // what was being read
};

// The checked walk: every count, length and offset against the bytes that remain; text fields
// cut at their last byte; component ids unique and the parent chain without a cycle; file names
// that stay inside their folder.
SetupInfoParse ParseSetupInfo(std::span<const uint8_t> bytes);

}  // namespace setup
