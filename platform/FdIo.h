#pragma once
// Whole reads and writes on a POSIX file descriptor, retrying short transfers and interruptions.
// Header-only, so that libraries that do not link the platform (the decompressor) can use it too.
#include <cerrno>
#include <cstddef>
#include <unistd.h>

namespace platform {

// Reads up to `size` bytes; fewer only at the end of the file. -1 on error (errno set).
inline ssize_t readFull(int fd, char* buffer, std::size_t size) {
    std::size_t got = 0;
    while (got < size) {
        ssize_t n = ::read(fd, buffer + got, size - got);
        if (n < 0) {
            if (errno == EINTR) continue;
            return -1;
        }
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
    }
    return static_cast<ssize_t>(got);
}

// Writes all `size` bytes; false on error (errno set).
inline bool writeFull(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace platform
