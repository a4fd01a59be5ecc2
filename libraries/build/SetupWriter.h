#pragma once
// The build's writer: turns one product's data into the contents of its discs below an output
// folder (Disc1, Disc2, ...): SetupInfo.RUX, the archives Setup%d.RUX, Disc.lbl on every disc,
// and on the first disc the installer (Setup.exe) with its decompression library.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace build {

// Texts are bytes of the Windows ANSI code page. A text field holds at most its width - 1 bytes;
// the writer refuses longer texts instead of cutting them.
struct BackgroundText {
    std::string text{};
    uint32_t left = 0, top = 0;  // ten-thousandths of the window's client size
    uint16_t pointSize = 0;
    bool bold = false, italic = false, underline = false;
    uint32_t colour = 0;
    std::string faceName{};
};

struct RegistryEntry {
    uint32_t componentId = 0;
    uint8_t root = 0;  // 1 HKEY_CLASSES_ROOT, 2 HKEY_CURRENT_USER, 3 HKEY_LOCAL_MACHINE, 4 HKEY_USERS
    std::string key{};
    std::string valueName{};  // "" for the key's default value
    uint8_t type = 0;       // 0-10, or 255 for data written byte for byte
    std::string data{};       // the data text, see encodeBinaryData / encodeDwordData
};

struct StringVariable {
    std::string name{}, value{};
};

struct Component {
    uint32_t id = 0;        // not 0, unique
    uint32_t parentId = 0;  // 0 at the top level
    std::string name{};
    bool visible = true;
    uint8_t setupTypes = 0;  // 0x01 Normal, 0x02 Minimal
    uint32_t requiredId = 0;
    std::string description{};
    std::string destination{};
    bool folderChangeable = false;
};

struct ProductFile {
    uint32_t componentId = 0;
    std::string name{};  // relative to the component's folder; "\" separates subfolders
    bool readme = false;
    bool shortcut = false;
    std::string linkText{};
    bool shared = false;
    // Host path; its size and last-write time are recorded. Kept as text: a product holds many,
    // and a std::filesystem::path splits itself into parts as it is made.
    std::string source{};
};

struct Product {
    // SetupHeader
    std::string name{}, version{};
    bool readmeOffered = false, normalOffered = true, minimalOffered = false, customOffered = false;
    std::string defaultDestination{};
    // WizardOptions
    bool showWelcome = false, showLicense = false, showUser = false, showFinished = false;
    bool useProgramGroup = false;
    // MainWindowInfo
    std::string title{};
    uint32_t backgroundColour = 0;
    std::vector<BackgroundText> backgroundTexts;
    bool protectionWarning = false;  // WelcomePageInfo
    std::string licenseText{};         // LicensePageInfo
    std::string userKey{}, userText{};   // UserPageInfo
    std::string finishedText{};        // FinishedPageInfo
    bool offerRestart = false;
    std::string restartNowText{}, restartLaterText{};
    std::string defaultGroup{}, groupText{};  // ProgramGroupPageInfo
    uint8_t readmeMode = 0;               // ReadmePageInfo
    std::string readmeCheckText{};
    std::string progressText{};  // ProgressPageInfo
    bool showFileName = false;
    std::vector<RegistryEntry> registryEntries;
    std::vector<StringVariable> variables;
    std::vector<Component> components;  // archive order
    std::vector<ProductFile> files;     // record order; a component's files lie in the archives in it
};

struct BuildOptions {
    std::filesystem::path outputFolder{};  // receives Disc1, Disc2, ...
    uint64_t discCapacity = 0;           // bytes of a whole disc folder; 0: no limit
    int compressionLevel = 3;            // 1 to 19
    unsigned threads = 0;                // 0: one per processor
    std::filesystem::path setupProgram{};  // copied to Disc1 as Setup.exe when given
    std::filesystem::path decompressor{};  // copied to Disc1 as libruxdecompress.so when given
    // Called on the calling thread before each file is laid into the archives (archive order):
    // the files laid so far, the number of files, and the file's name.
    std::function<void(size_t done, size_t total, const std::string& name)> progress{};
};

struct Placement {
    uint16_t firstDisc = 1;
    uint32_t offset = 0;
};

struct StoredFile {
    uint32_t installedSize = 0;
    uint32_t storedSize = 0;
    uint64_t lastWriteTime = 0;  // Windows FILETIME ticks
};

struct BuildResult {
    std::string error{};  // empty on success
    std::vector<uint64_t> archiveSizes;  // one per disc
    std::vector<Placement> components;   // where each component's stored bytes begin
    std::vector<StoredFile> files;
    bool ok() const { return error.empty(); }
};

// The first reason the installer would refuse this product, or "" when there is none.
std::string checkProduct(const Product& product);

// Writes the discs. Source files are compressed in parallel, each on its own into one zstd frame.
BuildResult writeSetup(const Product& product, const BuildOptions& options);

// The bytes of SetupInfo.RUX for a checked product with its placements and stored sizes.
std::vector<uint8_t> encodeSetupInfo(const Product& product, std::span<const Placement> components,
                                     std::span<const StoredFile> files);
// Size of the encoded SetupInfo.RUX, known before anything is compressed.
uint64_t setupInfoSize(const Product& product);

// Registry data texts as the installer decodes them.
std::string encodeBinaryData(std::span<const uint8_t> bytes);  // "0a,1b,ff"
std::string encodeDwordData(uint32_t value);                    // "0x0000002A"

// A Windows FILETIME for a host file's last-write time.
uint64_t fileTimeOf(const std::filesystem::path& path);

}  // namespace build
