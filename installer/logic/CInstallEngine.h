#pragma once
// The installation run of the progress dialog: extraction of the stored bytes out of the setup
// archives disc by disc, decompression, the replace test, copies, shortcuts, shared counts and
// registry entries, component by component.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <unordered_set>
#include <vector>

namespace setup {

class CSetupApp;

// Results of Setup's steps.
namespace result {
inline constexpr int Complete = 0;
inline constexpr int Cancelled = 1;
inline constexpr int Error = 2;
}  // namespace result

class CInstallEngine {
public:
    explicit CInstallEngine(CSetupApp& app);
    ~CInstallEngine();  // closes the archive and deletes the temporary files
    CInstallEngine(const CInstallEngine&) = delete;
    CInstallEngine& operator=(const CInstallEngine&) = delete;

    // The whole run: 0 complete, 1 cancelled, 2 error. Called once.
    int RunInstallation();

    // 1 when the archive of the current disc is open at offset 0, 2 when the user cancelled.
    int OpenArchive();
    // Copies one file's stored bytes into the stored-bytes temporary file, crossing discs:
    // 0 done, 1 cancelled at a disc prompt, 2 a reported error.
    int ExtractStoredBytes(uint32_t storedSize);
    void AdvanceProgress(uint64_t bytes);
    // Index of the first component with that id; 0 when none has it.
    std::size_t FindComponentIndex(uint32_t componentId) const;

    // Rounded percentage, never above 100; 0 when total is 0.
    static unsigned ProgressPercent(uint64_t done, uint64_t total);
    static unsigned ProgressBarWidth(unsigned width, unsigned percent);

    // For the progress dialog.
    uint64_t BytesDone() const { return bytesDone_; }
    uint64_t TotalBytes() const { return totalBytes_; }
    int Result() const { return result_; }
    void SetCancelFlag() { cancel_ = true; }

    // The temporary files of the run (Windows paths); empty before the run made them.
    const std::string& StoredTempPath() const { return storedTempPath_; }
    const std::string& OutputTempPath() const { return outputTempPath_; }

private:
    bool MakeTempFiles();
    void RemoveTempFiles();
    void CloseArchive();
    int PositionAtComponent(std::size_t componentIndex);
    int InstallFile(std::size_t fileIndex, const std::string& folder);
    void ReportDamaged(const std::string& what);
    static void EnsureTempFile(const std::filesystem::path& host);
    void IndexFolder(const std::string& folder);
    bool MoveNewFile(const std::filesystem::path& outputHost, const std::string& destination,
                     const std::filesystem::path& destinationHost);

    CSetupApp& app_;
    std::ifstream archive_;
    bool archiveOpen_ = false;
    std::string archivePath_;
    uint64_t archiveSize_ = 0;
    uint64_t archivePosition_ = 0;
    std::string storedTempPath_;
    std::string outputTempPath_;
    std::vector<char> buffer_;
    uint64_t bytesDone_ = 0;
    uint64_t totalBytes_ = 0;
    bool cancel_ = false;
    int result_ = result::Complete;
    // The names in the current component's folder (lower case), listed once, so that a new
    // file's absence is known without searching the folder for every file.
    std::filesystem::path folderHost_;
    std::unordered_set<std::string> folderNames_;
    bool folderIndexed_ = false;
    // The current component's shared files, counted once its files are in place.
    std::vector<std::string> sharedFiles_;
};

}  // namespace setup
