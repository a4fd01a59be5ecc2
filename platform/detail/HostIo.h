#pragma once
// Small host-side helpers shared by the platform's sources (not part of the public API).
#include "platform/Result.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace platform::detail {

// ASCII case folding: Windows names compare this way for the characters we meet.
char lowerAscii(char c);
std::string lowerAscii(std::string_view s);
bool equalsNoCase(std::string_view a, std::string_view b);
bool lessNoCase(std::string_view a, std::string_view b);

Result<std::string> readWholeFile(const std::filesystem::path& path);

// Writes `bytes` to a temporary file beside `path`, syncs it and renames it over `path`, so a
// reader sees the old or the new content, never a part. `failMidway` (an error code, from an
// injected fault) makes the write fail after half the bytes, as a full disk would;
// `dieBeforeRename` kills the process once the temporary file is written, as a crash would.
Status writeFileAtomic(const std::filesystem::path& path, std::string_view bytes,
                       uint32_t failMidway = 0, bool dieBeforeRename = false);

// An exclusive flock on a lock file (created when missing), held for the object's lifetime.
class LockFile {
public:
    static Result<LockFile> acquire(const std::filesystem::path& path);
    LockFile(LockFile&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
    LockFile& operator=(LockFile&&) = delete;
    ~LockFile();

private:
    explicit LockFile(int fd) : fd_(fd) {}
    int fd_ = -1;
};

// An exclusive lock on a folder, held for the object's lifetime: a flock on the folder itself, so
// that no lock file is left behind, and a lock between the threads of this process. A thread
// that already holds it fails with SharingViolation instead of waiting for itself. A child
// forked meanwhile does not hold it.
class FolderLock {
public:
    static Result<FolderLock> acquire(const std::filesystem::path& folder);
    FolderLock(FolderLock&& other) noexcept : dev_(other.dev_), ino_(other.ino_), serial_(other.serial_) {
        other.serial_ = 0;
    }
    FolderLock& operator=(FolderLock&&) = delete;
    ~FolderLock();

private:
    FolderLock(uint64_t dev, uint64_t ino, uint64_t serial) : dev_(dev), ino_(ino), serial_(serial) {}
    uint64_t dev_ = 0, ino_ = 0;
    uint64_t serial_ = 0;  // 0 once moved from
};

}  // namespace platform::detail
