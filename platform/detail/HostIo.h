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
// injected fault) makes the write fail after half the bytes, as a full disk would.
Status writeFileAtomic(const std::filesystem::path& path, std::string_view bytes,
                       uint32_t failMidway = 0);

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

}  // namespace platform::detail
