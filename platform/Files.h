#pragma once
// Files and folders by Windows path (or host path), resolved through the machine.
#include "platform/Machine.h"
#include "platform/Result.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// A Windows FILETIME: 100-nanosecond intervals since 1601-01-01 UTC.
struct FileTime {
    uint64_t ticks = 0;
    uint32_t low() const { return static_cast<uint32_t>(ticks); }
    uint32_t high() const { return static_cast<uint32_t>(ticks >> 32); }
    static FileTime fromParts(uint32_t low, uint32_t high) { return {uint64_t(high) << 32 | low}; }
    friend auto operator<=>(const FileTime&, const FileTime&) = default;
};
FileTime toFileTime(std::filesystem::file_time_type t);
std::filesystem::file_time_type fromFileTime(FileTime t);

struct FileTimes {
    FileTime creation, lastAccess, lastWrite;
};

// VS_FIXEDFILEINFO's version fields.
struct FixedFileVersion {
    uint32_t fileVersionMS = 0, fileVersionLS = 0;
    uint32_t productVersionMS = 0, productVersionLS = 0;
    friend bool operator==(const FixedFileVersion&, const FixedFileVersion&) = default;
};

// The fixed version of a PE image's version resource; nullopt for anything else (never reads
// outside `image`).
std::optional<FixedFileVersion> fixedFileVersionOf(std::span<const uint8_t> image);

// Where a Files object may write, create and delete. Setup and the uninstaller change only the
// machine's own drives; reading is allowed everywhere.
enum class WriteScope { Anywhere, MachineDrives };

class Files {
public:
    explicit Files(Machine machine, WriteScope scope = WriteScope::Anywhere)
        : machine_(std::move(machine)), scope_(scope) {}

    bool exists(std::string_view path) const;
    bool isFolder(std::string_view path) const;
    Result<uint64_t> length(std::string_view path) const;
    // Creation time is the host's birth time where known, else the last-write time. setTimes sets
    // last access and last write (a zero FileTime leaves that time alone); the host cannot set
    // a creation time.
    Result<FileTimes> times(std::string_view path) const;
    Status setTimes(std::string_view path, const FileTimes& times) const;

    // Copies through a temporary name in the destination folder and a rename, keeping the
    // source's last-write time; replaces an existing destination.
    Status copy(std::string_view from, std::string_view to) const;
    Status move(std::string_view from, std::string_view to) const;
    Status remove(std::string_view path) const;        // a file
    Status createFolder(std::string_view path) const;  // one level; AlreadyExists when present
    Status removeFolder(std::string_view path) const;  // DirNotEmpty unless empty
    Result<std::vector<std::string>> subfolders(std::string_view path) const;
    Result<std::vector<std::string>> entries(std::string_view path) const;  // files and folders

    // GetTempFileName: "<folder>\<prefix up to 3 chars><hex number>.TMP", created empty, unique.
    Result<std::string> tempFileName(std::string_view folder, std::string_view prefix) const;

    // The fixed version of a PE file's version resource; nullopt for a file without one.
    Result<std::optional<FixedFileVersion>> fileVersion(std::string_view path) const;

    // True when another holder has the file locked exclusively (see FileLock).
    bool inUse(std::string_view path) const;

    // Opens for reading or writing, honouring the machine's injected faults. The returned host
    // path is what the caller then opens with the standard library (nothing is created here).
    // FileNotFound / PathNotFound, AccessDenied for a folder, SharingViolation when in use.
    Result<std::filesystem::path> openForRead(std::string_view path) const;
    Result<std::filesystem::path> openForWrite(std::string_view path) const;

    const Machine& machine() const { return machine_; }

private:
    // The host path of a path that is written, created or deleted, refused outside the scope.
    Result<std::filesystem::path> changing(std::string_view path) const;

    Machine machine_;
    WriteScope scope_ = WriteScope::Anywhere;
};

// An exclusive lock on a file, as a program holding it open without sharing.
class FileLock {
public:
    FileLock() = default;
    static Result<FileLock> acquire(const std::filesystem::path& hostPath);
    FileLock(FileLock&&) noexcept;
    FileLock& operator=(FileLock&&) noexcept;
    ~FileLock();

private:
    int fd_ = -1;
};

}  // namespace platform
