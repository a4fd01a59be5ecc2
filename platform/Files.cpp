#include "platform/Files.h"

#include "platform/Faults.h"
#include "platform/detail/HostIo.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace std::chrono;

namespace platform {
namespace {

// 100-ns ticks between 1601-01-01 and 1970-01-01.
constexpr int64_t kUnixEpochTicks = 116444736000000000LL;

FileTime fromTimespec(const struct timespec& ts) {
    int64_t ticks = int64_t(ts.tv_sec) * 10'000'000 + ts.tv_nsec / 100 + kUnixEpochTicks;
    return {ticks < 0 ? 0 : uint64_t(ticks)};
}

struct timespec toTimespec(FileTime t) {
    if (t.ticks == 0) return {0, UTIME_OMIT};
    int64_t since = int64_t(t.ticks > uint64_t(INT64_MAX) ? INT64_MAX : t.ticks) - kUnixEpochTicks;
    int64_t sec = since / 10'000'000, rem = since % 10'000'000;
    if (rem < 0) {
        rem += 10'000'000;
        --sec;
    }
    return {time_t(sec), long(rem * 100)};
}

// The parent folder must exist, or the answer is "path not found" rather than "file not found".
Error missing(const fs::path& host, std::string_view path) {
    std::error_code ec;
    bool parent = fs::is_directory(host.parent_path(), ec);
    return makeError(parent ? err::FileNotFound : err::PathNotFound, path);
}

bool lockedByOther(const fs::path& host) {
    int fd = ::open(host.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return false;
    bool busy = ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(fd);  // releases our own probe lock, if we got it
    return busy;
}

Status checkFault(const Machine& machine, FaultKind kind, std::string_view path) {
    if (uint32_t code = takeFault(machine, kind, path)) return makeError(code, path);
    return {};
}

// Copies the rest of `in` to `out`; 0 or an errno value. The kernel copies (and may share
// extents) where it can; read/write takes over where it cannot. Some pseudo-files report nothing
// to the kernel copy, so a copy that moved no bytes at all is retried by reading.
int copyBytes(int in, int out) {
    for (bool any = false;;) {
        ssize_t n = ::copy_file_range(in, nullptr, out, nullptr, size_t(1) << 30, 0);
        if (n > 0) {
            any = true;
            continue;
        }
        if (n == 0 && any) return 0;
        if (n == 0) break;
        if (errno == EINTR) continue;
        if (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP) break;
        return errno;
    }
    char buffer[1 << 16];
    for (;;) {
        ssize_t n = ::read(in, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        if (n == 0) return 0;
        for (ssize_t done = 0; done < n;) {
            ssize_t w = ::write(out, buffer + done, size_t(n - done));
            if (w < 0) {
                if (errno == EINTR) continue;
                return errno;
            }
            done += w;
        }
    }
}

Status copyContent(const fs::path& from, const fs::path& to, std::string_view toName) {
    int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) return errorFromErrnoValue(errno, from.string());
    struct stat st{};
    ::fstat(in, &st);
    std::string temp = (to.parent_path() / ("." + to.filename().string() + ".XXXXXX")).string();
    int out = ::mkstemp(temp.data());
    if (out < 0) {
        int e = errno;
        ::close(in);
        return errorFromErrnoValue(e, toName);
    }
    auto fail = [&](int e) -> Status {
        ::close(in);
        ::close(out);
        ::unlink(temp.c_str());
        return errorFromErrnoValue(e, toName);
    };
    if (int e = copyBytes(in, out); e != 0) return fail(e);
    struct timespec times[2] = {st.st_atim, st.st_mtim};
    if (::fchmod(out, st.st_mode & 07777) != 0 || ::futimens(out, times) != 0) return fail(errno);
    if (::close(out) != 0) {
        int e = errno;
        ::close(in);
        ::unlink(temp.c_str());
        return errorFromErrnoValue(e, toName);
    }
    ::close(in);
    if (::rename(temp.c_str(), to.c_str()) != 0) {
        int e = errno;
        ::unlink(temp.c_str());
        return errorFromErrnoValue(e, toName);
    }
    return {};
}

Result<std::vector<std::string>> listFolder(const Machine& machine, std::string_view path,
                                            bool foldersOnly) {
    auto host = machine.hostPath(path);
    if (!host) return host.error();
    std::error_code ec;
    if (!fs::is_directory(*host, ec)) return makeError(err::PathNotFound, path);
    std::vector<std::string> names;
    for (fs::directory_iterator it(*host, ec), end; !ec && it != end; it.increment(ec)) {
        if (foldersOnly && !it->is_directory()) continue;
        names.push_back(it->path().filename().string());
    }
    if (ec) return errorFromErrnoValue(ec.value(), path);
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        if (detail::lessNoCase(a, b)) return true;
        if (detail::lessNoCase(b, a)) return false;
        return a < b;
    });
    return names;
}

}  // namespace

FileTime toFileTime(fs::file_time_type t) {
    auto ns = duration_cast<nanoseconds>(file_clock::to_sys(t).time_since_epoch()).count();
    int64_t ticks = ns / 100 + kUnixEpochTicks;
    return {ticks < 0 ? 0 : uint64_t(ticks)};
}

fs::file_time_type fromFileTime(FileTime t) {
    struct timespec ts = t.ticks == 0 ? timespec{-11644473600LL, 0} : toTimespec(t);
    sys_time<nanoseconds> sys{seconds(ts.tv_sec) + nanoseconds(ts.tv_nsec)};
    return file_clock::from_sys(sys);
}

Result<fs::path> Files::changing(std::string_view path) const {
    return scope_ == WriteScope::MachineDrives ? machine_.changeablePath(path) : machine_.hostPath(path);
}

bool Files::exists(std::string_view path) const {
    auto host = machine_.hostPath(path);
    std::error_code ec;
    return host && fs::exists(*host, ec);
}

bool Files::isFolder(std::string_view path) const {
    auto host = machine_.hostPath(path);
    std::error_code ec;
    return host && fs::is_directory(*host, ec);
}

Result<uint64_t> Files::length(std::string_view path) const {
    auto host = machine_.hostPath(path);
    if (!host) return host.error();
    struct stat st{};
    if (::stat(host->c_str(), &st) != 0) {
        if (errno == ENOENT) return missing(*host, path);
        return errorFromErrnoValue(errno, path);
    }
    if (S_ISDIR(st.st_mode)) return makeError(err::AccessDenied, path);
    return uint64_t(st.st_size);
}

Result<FileTimes> Files::times(std::string_view path) const {
    auto host = machine_.hostPath(path);
    if (!host) return host.error();
    struct statx sx{};
    if (::statx(AT_FDCWD, host->c_str(), 0, STATX_BASIC_STATS | STATX_BTIME, &sx) != 0) {
        if (errno == ENOENT) return missing(*host, path);
        return errorFromErrnoValue(errno, path);
    }
    auto ts = [](const struct statx_timestamp& t) { return timespec{time_t(t.tv_sec), long(t.tv_nsec)}; };
    FileTimes out;
    out.lastWrite = fromTimespec(ts(sx.stx_mtime));
    out.lastAccess = fromTimespec(ts(sx.stx_atime));
    out.creation = (sx.stx_mask & STATX_BTIME) ? fromTimespec(ts(sx.stx_btime)) : out.lastWrite;
    return out;
}

Status Files::setTimes(std::string_view path, const FileTimes& times) const {
    auto host = changing(path);
    if (!host) return host.error();
    struct timespec ts[2] = {toTimespec(times.lastAccess), toTimespec(times.lastWrite)};
    if (::utimensat(AT_FDCWD, host->c_str(), ts, 0) != 0) {
        if (errno == ENOENT) return missing(*host, path);
        return errorFromErrnoValue(errno, path);
    }
    return {};
}

Status Files::copy(std::string_view from, std::string_view to) const {
    auto source = openForRead(from);
    if (!source) return source.error();
    auto target = openForWrite(to);
    if (!target) return target.error();
    std::error_code ec;
    if (fs::equivalent(*source, *target, ec)) return {};
    return copyContent(*source, *target, to);
}

Status Files::move(std::string_view from, std::string_view to) const {
    auto source = changing(from);
    if (!source) return source.error();
    auto target = changing(to);
    if (!target) return target.error();
    std::error_code ec;
    if (!fs::exists(fs::symlink_status(*source, ec))) return missing(*source, from);
    if (fs::exists(fs::symlink_status(*target, ec))) {
        // Only a change of case of the same entry may "move onto" itself.
        if (!fs::equivalent(*source, *target, ec)) return makeError(err::AlreadyExists, to);
    }
    if (!fs::is_directory(target->parent_path(), ec)) return makeError(err::PathNotFound, to);
    if (!fs::is_directory(*source, ec) && lockedByOther(*source))
        return makeError(err::SharingViolation, from);
    if (::rename(source->c_str(), target->c_str()) == 0) return {};
    if (errno != EXDEV) return errorFromErrnoValue(errno, from);
    if (fs::is_directory(*source, ec)) return makeError(err::AccessDenied, from);
    if (Status s = copyContent(*source, *target, to); !s) return s;
    if (::unlink(source->c_str()) != 0) return errorFromErrnoValue(errno, from);
    return {};
}

Status Files::remove(std::string_view path) const {
    auto host = changing(path);
    if (!host) return host.error();
    std::error_code ec;
    auto status = fs::symlink_status(*host, ec);
    if (!fs::exists(status)) return missing(*host, path);
    if (fs::is_directory(status)) return makeError(err::AccessDenied, path);
    if (lockedByOther(*host)) return makeError(err::SharingViolation, path);
    if (::unlink(host->c_str()) != 0) return errorFromErrnoValue(errno, path);
    return {};
}

Status Files::createFolder(std::string_view path) const {
    auto host = changing(path);
    if (!host) return host.error();
    if (Status s = checkFault(machine_, FaultKind::CreateFolder, path); !s) return s;
    if (::mkdir(host->c_str(), 0755) != 0) {
        if (errno == ENOENT) return makeError(err::PathNotFound, path);
        return errorFromErrnoValue(errno, path);
    }
    return {};
}

Status Files::removeFolder(std::string_view path) const {
    auto host = changing(path);
    if (!host) return host.error();
    if (::rmdir(host->c_str()) != 0) {
        if (errno == ENOENT) return missing(*host, path);
        if (errno == ENOTDIR) return makeError(267, path);
        return errorFromErrnoValue(errno, path);
    }
    return {};
}

Result<std::vector<std::string>> Files::subfolders(std::string_view path) const {
    return listFolder(machine_, path, true);
}

Result<std::vector<std::string>> Files::entries(std::string_view path) const {
    return listFolder(machine_, path, false);
}

Result<std::string> Files::tempFileName(std::string_view folder, std::string_view prefix) const {
    auto host = changing(folder);
    if (!host) return host.error();
    std::error_code ec;
    if (!fs::is_directory(*host, ec)) return makeError(err::PathNotFound, folder);
    std::string_view pre = prefix.substr(0, 3);
    std::string base(folder);
    while (base.size() > 1 && (base.back() == '\\' || base.back() == '/')) base.pop_back();
    char separator = base.find('\\') != std::string::npos || (base.size() >= 2 && base[1] == ':') ||
                             base.find('/') == std::string::npos
                         ? '\\'
                         : '/';
    // Start where the clock says, as Windows does, and walk on until a free name is found.
    uint32_t start = uint32_t(::time(nullptr) ^ (uint32_t(::getpid()) << 4) ^
                              uint32_t(steady_clock::now().time_since_epoch().count()));
    for (uint32_t i = 0; i < 0xFFFF; ++i) {
        uint32_t unique = (start + i) % 0xFFFF + 1;
        char name[16];
        std::snprintf(name, sizeof name, "%X.TMP", unique);
        std::string file = std::string(pre) + name;
        int fd = ::open((*host / file).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd >= 0) {
            ::close(fd);
            return base + separator + file;
        }
        if (errno != EEXIST) return errorFromErrnoValue(errno, folder);
    }
    return makeError(err::FileExists, folder);
}

Result<std::optional<FixedFileVersion>> Files::fileVersion(std::string_view path) const {
    auto host = openForRead(path);
    if (!host) return host.error();
    auto bytes = detail::readWholeFile(*host);
    if (!bytes) return bytes.error();
    return fixedFileVersionOf(
        std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(bytes->data()), bytes->size()));
}

bool Files::inUse(std::string_view path) const {
    auto host = machine_.hostPath(path);
    return host && lockedByOther(*host);
}

Result<fs::path> Files::openForRead(std::string_view path) const {
    auto host = machine_.hostPath(path);
    if (!host) return host.error();
    if (Status s = checkFault(machine_, FaultKind::OpenFile, path); !s) return s.error();
    std::error_code ec;
    auto status = fs::status(*host, ec);
    if (!fs::exists(status)) return missing(*host, path);
    if (fs::is_directory(status)) return makeError(err::AccessDenied, path);
    if (lockedByOther(*host)) return makeError(err::SharingViolation, path);
    return *host;
}

Result<fs::path> Files::openForWrite(std::string_view path) const {
    auto host = changing(path);
    if (!host) return host.error();
    if (Status s = checkFault(machine_, FaultKind::OpenFile, path); !s) return s.error();
    std::error_code ec;
    if (!fs::is_directory(host->parent_path(), ec)) return makeError(err::PathNotFound, path);
    auto status = fs::status(*host, ec);
    if (fs::is_directory(status)) return makeError(err::AccessDenied, path);
    if (fs::exists(status) && lockedByOther(*host)) return makeError(err::SharingViolation, path);
    return *host;
}

Result<FileLock> FileLock::acquire(const fs::path& hostPath) {
    int fd = ::open(hostPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return errorFromErrnoValue(errno, hostPath.string());
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        int e = errno;
        ::close(fd);
        return errorFromErrnoValue(e == EWOULDBLOCK ? EWOULDBLOCK : e, hostPath.string());
    }
    FileLock lock;
    lock.fd_ = fd;
    return lock;
}

FileLock::FileLock(FileLock&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }

FileLock& FileLock::operator=(FileLock&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = other.fd_;
        other.fd_ = -1;
    }
    return *this;
}

FileLock::~FileLock() {
    if (fd_ >= 0) ::close(fd_);
}

}  // namespace platform
