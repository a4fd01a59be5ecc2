#include "platform/detail/NameMatch.h"

#include "platform/detail/HostIo.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <linux/magic.h>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>
#include <unordered_map>
#include <utility>

namespace fs = std::filesystem;

namespace platform::detail {
namespace {

// Lower-case name to the folder's spellings of it, in byte order (begin() is the one used).
using Names = std::map<std::string, std::set<std::string>>;

// Reads the folder open as `fd` and closes it; false when the listing broke off.
bool listInto(int fd, Names& names) {
    DIR* dir = ::fdopendir(fd);
    if (!dir) {
        ::close(fd);
        return false;
    }
    for (;;) {
        errno = 0;
        dirent* d = ::readdir(dir);
        if (!d) break;
        std::string_view n = d->d_name;
        if (n == "." || n == "..") continue;
        names[lowerAscii(n)].emplace(n);
    }
    bool complete = errno == 0;
    ::closedir(dir);
    return complete;
}

NameMatch pick(const fs::path& folder, const Names& names, std::string_view name) {
    auto it = names.find(lowerAscii(name));
    if (it == names.end() || it->second.empty()) return {std::string(name), false};
    const std::string& found = *it->second.begin();
    struct stat st{};
    return {found, ::lstat((folder / found).c_str(), &st) == 0};
}

NameMatch listedMatch(const fs::path& folder, std::string_view name) {
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return {std::string(name), false};
    Names names;
    listInto(fd, names);
    return pick(folder, names, name);
}

// File systems whose change notices cover every change, whoever makes it (not network ones).
bool noticesCoverAllChanges(unsigned long type) {
    switch (type) {
    case EXT4_SUPER_MAGIC:
    case XFS_SUPER_MAGIC:
    case BTRFS_SUPER_MAGIC:
    case TMPFS_MAGIC:
    case F2FS_SUPER_MAGIC: return true;
    default: return false;
    }
}

// The listings of folders looked up in this process, keyed by the folder's identity (so a folder
// reached by another path or renamed meanwhile is still the same). inotify keeps them current:
// the kernel queues a notice before the changing call returns, so draining the queue after
// stat-ing the folder sees every change that happened before the lookup.
class ListingCache {
public:
    ~ListingCache() {
        if (fd_ >= 0) ::close(fd_);
    }

    // nullopt when the cache cannot answer for this folder.
    std::optional<NameMatch> match(const fs::path& folder, std::string_view name) {
        std::lock_guard lock(mutex_);
        if (!ready()) return std::nullopt;
        struct stat st{};
        if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return std::nullopt;
        drain();
        const Key key{st.st_dev, st.st_ino};
        if (auto k = byKey_.find(key); k != byKey_.end()) {
            NameMatch m = pick(folder, byWatch_.at(k->second).names, name);
            if (m.name == name || m.exists) return m;
            forget(k->second);  // a spelling that is gone: the listing is not to be trusted
            return std::nullopt;
        }
        return addFolder(folder, key, name);
    }

private:
    using Key = std::pair<dev_t, ino_t>;
    struct Folder {
        Key key;
        Names names;
    };
    static constexpr size_t kMaxFolders = 256;
    static constexpr uint32_t kEvents = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_DELETE_SELF | IN_ONLYDIR;

    bool ready() {
        if (fd_ < 0 && !failed_) {
            fd_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
            failed_ = fd_ < 0;
            owner_ = ::getpid();
        }
        // A forked child shares the parent's queue: reading it would take the parent's notices.
        return fd_ >= 0 && owner_ == ::getpid();
    }

    std::optional<NameMatch> addFolder(const fs::path& folder, Key key, std::string_view name) {
        int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dir < 0) return std::nullopt;
        struct stat st{};
        if (::fstat(dir, &st) != 0 || Key{st.st_dev, st.st_ino} != key) {
            ::close(dir);
            return std::nullopt;
        }
        // Watch the very folder that is listed, not whatever its path names by now.
        int wd = -1;
        if (struct statfs sf{};
            ::fstatfs(dir, &sf) == 0 && noticesCoverAllChanges(static_cast<unsigned long>(sf.f_type))) {
            if (byWatch_.size() >= kMaxFolders) clear();
            wd = ::inotify_add_watch(fd_, ("/proc/self/fd/" + std::to_string(dir)).c_str(), kEvents);
        }
        if (wd < 0) {  // answered from this one listing, kept for nothing
            Names names;
            listInto(dir, names);
            return pick(folder, names, name);
        }
        if (auto old = byWatch_.find(wd); old != byWatch_.end()) {
            byKey_.erase(old->second.key);
            byWatch_.erase(old);
        }
        Folder f{key, {}};
        if (!listInto(dir, f.names)) {
            ::inotify_rm_watch(fd_, wd);
            return std::nullopt;
        }
        byKey_[key] = wd;
        byWatch_[wd] = std::move(f);
        drain();  // changes made while listing; each one names its entry, so replaying them is safe
        if (auto it = byWatch_.find(wd); it != byWatch_.end()) return pick(folder, it->second.names, name);
        return std::nullopt;
    }

    void drain() {
        alignas(inotify_event) char buffer[16384];
        for (;;) {
            ssize_t n = ::read(fd_, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) {
                if (n < 0 && errno != EAGAIN) clear();
                return;
            }
            for (ssize_t at = 0; at + ssize_t(sizeof(inotify_event)) <= n;) {
                const auto* ev = reinterpret_cast<const inotify_event*>(buffer + at);
                apply(*ev);
                at += ssize_t(sizeof(inotify_event) + ev->len);
            }
        }
    }

    void apply(const inotify_event& ev) {
        if (ev.mask & IN_Q_OVERFLOW) return clear();
        auto it = byWatch_.find(ev.wd);
        if (it == byWatch_.end()) return;
        if (ev.mask & IN_IGNORED) {
            byKey_.erase(it->second.key);
            byWatch_.erase(it);
            return;
        }
        if (ev.mask & (IN_DELETE_SELF | IN_UNMOUNT)) return forget(ev.wd);
        if (ev.len == 0) return;
        const std::string name(ev.name);  // NUL-padded
        Names& names = it->second.names;
        if (ev.mask & (IN_CREATE | IN_MOVED_TO)) {
            names[lowerAscii(name)].insert(name);
        } else if (ev.mask & (IN_DELETE | IN_MOVED_FROM)) {
            if (auto s = names.find(lowerAscii(name)); s != names.end()) {
                s->second.erase(name);
                if (s->second.empty()) names.erase(s);
            }
        }
    }

    void forget(int wd) {
        if (auto it = byWatch_.find(wd); it != byWatch_.end()) {
            byKey_.erase(it->second.key);
            byWatch_.erase(it);
        }
        ::inotify_rm_watch(fd_, wd);
    }

    void clear() {
        for (const auto& [wd, folder] : byWatch_) ::inotify_rm_watch(fd_, wd);
        byWatch_.clear();
        byKey_.clear();
    }

    std::mutex mutex_;
    int fd_ = -1;
    bool failed_ = false;
    pid_t owner_ = 0;
    std::unordered_map<int, Folder> byWatch_;
    std::map<Key, int> byKey_;
};

ListingCache& cache() {
    static ListingCache c;
    return c;
}

}  // namespace

NameMatch matchName(const fs::path& folder, std::string_view name) {
    struct stat st{};
    if (::lstat((folder / name).c_str(), &st) == 0) return {std::string(name), true};
    if (errno == ENOENT) {
        if (auto m = cache().match(folder, name)) return *m;
    }
    return listedMatch(folder, name);
}

}  // namespace platform::detail
