#include "platform/detail/HostIo.h"
#include "platform/FdIo.h"

#include <algorithm>
#include <condition_variable>
#include <csignal>
#include <map>
#include <mutex>
#include <pthread.h>
#include <thread>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace platform::detail {

char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

std::string lowerAscii(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = lowerAscii(c);
    return out;
}

bool equalsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [](char x, char y) { return lowerAscii(x) == lowerAscii(y); });
}

bool lessNoCase(std::string_view a, std::string_view b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return static_cast<unsigned char>(lowerAscii(x)) < static_cast<unsigned char>(lowerAscii(y));
    });
}

Result<std::string> readWholeFile(const fs::path& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return errorFromErrnoValue(errno, path.string());
    std::string out;
    char buffer[65536];
    for (;;) {
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) continue;
            int e = errno;
            ::close(fd);
            return errorFromErrnoValue(e, path.string());
        }
        if (n == 0) break;
        out.append(buffer, static_cast<size_t>(n));
    }
    ::close(fd);
    return out;
}


Status writeFileAtomic(const fs::path& path, std::string_view bytes, uint32_t failMidway, bool dieBeforeRename) {
    std::string temp = (path.parent_path() / ("." + path.filename().string() + ".XXXXXX")).string();
    int fd = ::mkstemp(temp.data());
    if (fd < 0) return errorFromErrnoValue(errno, path.parent_path().string());
    auto fail = [&](Error e) -> Status {
        ::close(fd);
        ::unlink(temp.c_str());
        return e;
    };
    size_t first = failMidway ? bytes.size() / 2 : bytes.size();
    if (!writeFull(fd, bytes.data(), first)) return fail(errorFromErrnoValue(errno, path.string()));
    if (failMidway) return fail(makeError(failMidway, path.string()));
    if (::fchmod(fd, 0644) != 0 || ::fsync(fd) != 0)
        return fail(errorFromErrnoValue(errno, path.string()));
    if (::close(fd) != 0) {
        int e = errno;
        ::unlink(temp.c_str());
        return errorFromErrnoValue(e, path.string());
    }
    if (dieBeforeRename) ::kill(::getpid(), SIGKILL);
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        int e = errno;
        ::unlink(temp.c_str());
        return errorFromErrnoValue(e, path.string());
    }
    // The rename itself must reach the disk too.
    int dir = ::open(path.parent_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return {};
}

Result<LockFile> LockFile::acquire(const fs::path& path) {
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return errorFromErrnoValue(errno, path.string());
    while (::flock(fd, LOCK_EX) != 0) {
        if (errno == EINTR) continue;
        int e = errno;
        ::close(fd);
        return errorFromErrnoValue(e, path.string());
    }
    return LockFile(fd);
}

LockFile::~LockFile() {
    if (fd_ >= 0) ::close(fd_);  // closing releases the flock
}

namespace {

// The folders locked by this process, and by which thread.
struct HeldFolders {
    struct Holder {
        std::thread::id thread;
        int fd;
        uint64_t serial;  // tells a lock from a later one on the same folder
    };
    std::mutex mutex;
    std::condition_variable released;
    std::map<std::pair<uint64_t, uint64_t>, Holder> holders;
    uint64_t nextSerial = 1;
};

HeldFolders& heldFolders() {
    static HeldFolders held;
    // A forked child holds none of them: its only thread is not their holder. Its copies of the
    // locks' descriptors go too, or the flock would outlive the parent's release and the child
    // would wait for itself.
    static const bool forkAware = [] {
        ::pthread_atfork([] { held.mutex.lock(); }, [] { held.mutex.unlock(); },
                         [] {
                             for (const auto& [key, holder] : held.holders) ::close(holder.fd);
                             held.holders.clear();
                             held.mutex.unlock();
                         });
        return true;
    }();
    (void)forkAware;
    return held;
}

// Closes the lock's descriptor and lets the next thread in, unless a fork took it away already.
void release(std::pair<uint64_t, uint64_t> key, uint64_t serial) {
    HeldFolders& held = heldFolders();
    std::lock_guard lock(held.mutex);
    auto it = held.holders.find(key);
    if (it == held.holders.end() || it->second.serial != serial) return;
    ::close(it->second.fd);  // releases the flock
    held.holders.erase(it);
    held.released.notify_all();
}

}  // namespace

Result<FolderLock> FolderLock::acquire(const fs::path& folder) {
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return errorFromErrnoValue(errno, folder.string());
    struct stat st{};
    if (::fstat(fd, &st) != 0) {
        int e = errno;
        ::close(fd);
        return errorFromErrnoValue(e, folder.string());
    }
    const std::pair<uint64_t, uint64_t> key{st.st_dev, st.st_ino};
    HeldFolders& held = heldFolders();
    uint64_t serial = 0;
    {
        std::unique_lock lock(held.mutex);
        for (;;) {
            auto it = held.holders.find(key);
            if (it == held.holders.end()) break;
            if (it->second.thread == std::this_thread::get_id()) {
                ::close(fd);
                return makeError(err::SharingViolation, folder.string() + " is held by this thread already");
            }
            held.released.wait(lock);
        }
        serial = held.nextSerial++;
        held.holders.emplace(key, HeldFolders::Holder{std::this_thread::get_id(), fd, serial});
    }
    while (::flock(fd, LOCK_EX) != 0) {
        if (errno == EINTR) continue;
        int e = errno;
        release(key, serial);
        return errorFromErrnoValue(e, folder.string());
    }
    return FolderLock(key.first, key.second, serial);
}

FolderLock::~FolderLock() {
    if (serial_ != 0) release({dev_, ino_}, serial_);
}

}  // namespace platform::detail
