#pragma once
// The state of one run of Setup and the operations that read and change it. The Setup program's
// application object owns one; its pages, the component page and the engine use it directly.
//
// A run, in order: InitRun(arguments, the program's own Windows path); CheckDisc() (2: end
// silently); ReadSetupInfo(), BuildVariableTable(), LoadUninstallRecord() (each reports its own
// failure); the wizard fills the page values and componentSelection, copies the chosen folders
// into the components' destinations, and after its last page calls StartInstallation(), which
// runs the progress dialog through ISetupUi::RunProgressDialog and rolls back a run that does
// not end with 0; on 0, WriteUninstallRecord(), and RollBackInstallation() when that fails; at
// the end ReleaseSetupInfo().
#include "installer/logic/ChangeLog.h"
#include "installer/logic/CVariableTable.h"
#include "installer/logic/Decompressor.h"
#include "installer/logic/ISetupUi.h"
#include "installer/logic/SetupInfo.h"
#include "platform/Files.h"
#include "platform/Machine.h"
#include "platform/Registry.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace setup {

// Setup types, as bits.
namespace setuptype {
inline constexpr uint32_t Normal = 1;
inline constexpr uint32_t Minimal = 2;
inline constexpr uint32_t Custom = 4;
}  // namespace setuptype

// One per component, at the component's index.
struct ComponentSelection {
    uint32_t selected = 0;
    std::string folder;  // destination folder, at most 254 characters
};

inline constexpr std::string_view SharedDllsKey = "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
inline constexpr std::string_view UninstallKeyPrefix = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
inline constexpr std::string_view CurrentVersionKey = "Software\\Microsoft\\Windows\\CurrentVersion";

class CSetupApp {
public:
    CSetupApp(platform::Machine machine, ISetupUi& ui);
    ~CSetupApp();
    CSetupApp(const CSetupApp&) = delete;
    CSetupApp& operator=(const CSetupApp&) = delete;

    // ---- State of the run ----
    bool testMode = false;           // every creating operation tests it itself
    std::string modulePath;          // Setup's own executable (a Windows path)
    std::string sourceFolder;        // always ends with a backslash
    uint16_t currentDisc = 1;
    uint16_t knownDiscCount = 0;     // from a disc label that names it; 0 when unknown
    std::string programGroupFolder;  // set by CreateProgramGroup
    std::optional<SetupInfo> setupInfo;
    std::string userKey;             // "Software\" + expanded UserPageInfo key
    std::string userName;
    std::string company;
    std::string programGroupName;
    uint32_t availableSetupTypes = 0;  // setuptype bits
    uint32_t availableSetupTypeCount = 0;
    uint32_t chosenSetupType = 0;      // a setuptype bit, 0 none
    std::vector<ComponentSelection> componentSelection;
    bool showReadme = false;
    std::string readmePath;  // set by the engine when it installs the readme file
    bool restart = false;
    ChangeLog changeLog;
    std::string uninstallRecordPath;
    std::unique_ptr<CVariableTable> variables;
    // The decompressor; when none was injected the engine binds the bounded one of the library
    // beside the program. The bounded one is told each file's installed size; whichever is used,
    // a file that comes out larger than its record says is damaged.
    DecompressFunction decompress = nullptr;
    BoundedDecompressFunction decompressBounded = nullptr;

    ISetupUi& ui() { return ui_; }
    const platform::Machine& machine() const { return machine_; }
    const platform::Files& files() const { return files_; }
    platform::Registry& registry() { return registry_; }

    // Sets test mode from the arguments after the program's name (only exactly "Test"), the
    // module path and the source folder from the program's own path, disc 1, an empty log.
    void InitRun(const std::vector<std::string>& arguments, std::string_view modulePathText);

    // ---- Boxes ----
    // The system's text for a code in a box with the caption ("An error has occurred." when
    // empty); nothing when the system has no text.
    void ShowSystemError(uint32_t code, std::string_view caption);
    // Refuses a path that does not fit 259 characters, with a message; true when it fits.
    bool CheckPathFits(std::string_view path);
    // Refuses, with a message naming it, a path that Setup may not change: one outside the
    // machine's own drives or reached through a link that leads out of them. True in test mode.
    bool CheckChangeable(std::string_view path);
    // A box naming what could not be written ("HKEY_...\\Key\\Value", a path), with the system's text.
    void ShowWriteError(uint32_t code, std::string_view what);
    static std::string RegistryName(platform::RegRoot root, std::string_view key,
                                    std::optional<std::string_view> value = std::nullopt);

    // ---- Setup information ----
    bool ReadSetupInfo();
    void ReleaseSetupInfo();
    SetupInfo& info() { return *setupInfo; }

    // ---- Variables ----
    bool BuildVariableTable();
    std::string LookupVariable(std::string_view name, VariableIdentity* identity = nullptr) const;
    std::string ExpandVariables(std::string_view text) const;

    // ---- Discs ----
    // The disc number of a label; -1 when it cannot be opened (silently), -2 when it cannot be read
    // (reported).
    int ReadDiscLabel(std::string_view path);
    // 0 when the source folder holds the current disc (perhaps after the user changed it), 2 when
    // the user cancelled.
    int CheckDisc();

    // ---- Wizard ----
    // Start values of every page: user and company of an earlier installation (text values
    // only), the program group, the setup types (Normal, else Minimal, else Custom chosen), the
    // component preselection and the readme and restart choices.
    void InitDefaults();
    // Selects the components of the chosen setup type and resets their folders.
    void ApplySetupTypeSelection();

    // ---- Logged creation ----
    bool CreateFolder(std::string_view path);
    bool CreateFolderPath(std::string_view path);
    bool CreateProgramGroup();
    // False, after a box naming the key, when a level cannot be created.
    bool CreateRegistryKey(platform::RegRoot root, std::string_view key);
    bool CreateRegistryKeyPath(platform::RegRoot root, std::string_view key);
    static uint8_t LogTypeOfRoot(platform::RegRoot root);
    static std::optional<platform::RegRoot> RootOfLogType(uint8_t type);

    // ---- Change log and uninstall record ----
    bool AddLogEntry(uint8_t type, std::string_view name, std::string_view value,
                     EntryOrigin origin = EntryOrigin::File);
    bool LogValueIfNew(platform::RegRoot root, std::string_view key, std::string_view valueName);
    bool LoadUninstallRecord();
    // False, after a box, when the record or the registration cannot be written; the run order
    // then rolls the run back. On success the originals the run replaced are deleted.
    bool WriteUninstallRecord();
    std::string DisplayName() const;

    // ---- Writers ----
    bool ShouldReplaceFile(std::string_view tempPath, std::string_view destination, std::size_t fileIndex);
    // A new destination receives the temporary file itself (moved there); an existing one a copy.
    bool CopyInstalledFile(std::string_view tempPath, std::string_view destination, uint32_t componentId);
    uint32_t CreateShortcut(std::string_view workingFolder, std::string_view target, std::string_view text);
    // False, after a box naming it, when the count cannot be written.
    bool RaiseSharedCount(std::string_view destination);
    // False, after a box naming the key or value, at the first key or value that cannot be written.
    bool WriteRegistryEntries(uint32_t componentId);
    // Raises the counts of a component's shared files and writes its registry entries, all in one
    // batch of the registry; false, after a box, when the batch could not be written.
    bool WriteComponentRegistry(uint32_t componentId, std::span<const std::string> sharedFiles);
    static uint8_t HexPairToByte(const char* pair);

    // ---- Installation ----
    // Asks ids::ReadyToInstall, creates the program group, runs the progress dialog and stores
    // the user information; 0, 1 or 2. A run that does not end with 0 is rolled back.
    int StartInstallation();
    // Removes, newest first, what this run created (its change-log entries and raised shared
    // counts): files, then folders and keys only when empty. Earlier entries stay. What the run
    // replaced is put back from the originals it kept.
    void RollBackInstallation();

    // ---- Originals of what a run replaces ----
    // Before an existing file is written over, it is moved aside into the run's temporary folder
    // (runTempFolder, else the Windows temporary folder); false, reported, when that fails.
    bool KeepReplacedFile(std::string_view path);
    // An existing file's path as its names are spelt on the machine (names match without regard
    // to case); the path itself when it names nothing.
    std::string ExistingSpelling(std::string_view path) const;
    // Before an existing registry value is written over, its type and data are kept.
    void KeepReplacedValue(platform::RegRoot root, std::string_view key, platform::RegValue old);
    // Puts back, newest first, the originals kept since the change log held `logSize` entries.
    void RestoreKeptSince(std::size_t logSize);
    // Deletes the kept copies of a run that needs them no more.
    void DiscardKept();
    std::string runTempFolder;  // the engine's temporary folder, while it runs

private:
    bool StoreUserInformation();
    void RemoveEntry(const UninstallEntry& entry, EntryOrigin origin);
    // After a record was written but the product could not be registered.
    void PutBackEarlierRecord();

    platform::Machine machine_;
    platform::Files files_;
    platform::Registry registry_;
    ISetupUi& ui_;
    bool earlierRecordDamaged_ = false;
    std::vector<std::string> raisedSharedCounts_;
    struct KeptOriginal {
        std::size_t logSize = 0;  // change-log entries when it was kept
        std::string path;         // the replaced file, or the key of the value
        std::string copy;         // where the file waits; empty for a value
        platform::RegRoot root = platform::RegRoot::LocalMachine;
        std::optional<platform::RegValue> value;
    };
    std::vector<KeptOriginal> kept_;
};

}  // namespace setup
