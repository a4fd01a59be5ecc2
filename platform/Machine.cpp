#include "platform/Machine.h"

#include "platform/Process.h"
#include "platform/Registry.h"
#include "platform/detail/HostIo.h"
#include "platform/detail/Hive.h"
#include "platform/detail/NameMatch.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace platform {
namespace {

constexpr const char* kCreatedMarker = ".machine-created";
constexpr const char* kMachineLock = ".machine.lock";
constexpr const char* kEnvironmentFile = "environment.ini";
constexpr const char* kEnvironmentSection = "[Environment]";

// The folders that Windows has from the start, relative to drive_c.
constexpr const char* kStandardFolders[] = {
    "Windows", "Windows/System32", "Windows/Temp", "Windows/Start Menu/Programs", "Program Files",
};

fs::path seedFolder() {
    if (const char* seed = std::getenv("RUX_MACHINE_SEED"); seed && *seed) return seed;
    fs::path exe = ownExecutablePath();
    if (exe.empty()) return {};
    return exe.parent_path() / "machine-seed";
}

Status copySeed(const fs::path& root) {
    fs::path seed = seedFolder();
    std::error_code ec;
    if (seed.empty() || !fs::is_directory(seed, ec)) return {};
    fs::copy(seed, root,
             fs::copy_options::recursive | fs::copy_options::skip_existing |
                 fs::copy_options::copy_symlinks,
             ec);
    if (ec) return errorFromErrnoValue(ec.value(), "seeding the machine from " + seed.string());
    return {};
}

std::string seedEnvironment() {
    return std::string(kEnvironmentSection) + "\nTMP=C:\\Windows\\Temp\nTEMP=C:\\Windows\\Temp\n";
}

Status createMachine(const fs::path& root) {
    std::error_code ec;
    fs::create_directories(root, ec);
    if (ec) return errorFromErrnoValue(ec.value(), root.string());
    auto lock = detail::LockFile::acquire(root / kMachineLock);
    if (!lock) return lock.error();
    if (fs::exists(root / kCreatedMarker, ec)) return {};  // the other process was first

    for (const char* folder : kStandardFolders) {
        fs::create_directories(root / "drive_c" / folder, ec);
        if (ec) return errorFromErrnoValue(ec.value(), (root / "drive_c" / folder).string());
    }
    fs::create_directories(root / "registry", ec);
    if (ec) return errorFromErrnoValue(ec.value(), (root / "registry").string());

    // The seed first, so that a seed may bring its own hives or environment.
    if (Status s = copySeed(root); !s) return s;

    for (RegRoot r : {RegRoot::ClassesRoot, RegRoot::CurrentUser, RegRoot::LocalMachine, RegRoot::Users}) {
        fs::path hive = detail::hivePath(root, r);
        if (fs::exists(hive, ec)) continue;
        if (Status s = detail::writeFileAtomic(hive, detail::seedHive(r)); !s) return s;
    }
    if (!fs::exists(root / kEnvironmentFile, ec)) {
        if (Status s = detail::writeFileAtomic(root / kEnvironmentFile, seedEnvironment()); !s) return s;
    }
    return detail::writeFileAtomic(root / kCreatedMarker, "");
}

bool isSeparator(char c) { return c == '\\' || c == '/'; }

std::vector<std::string_view> splitComponents(std::string_view path) {
    std::vector<std::string_view> parts;
    size_t i = 0;
    while (i < path.size()) {
        while (i < path.size() && isSeparator(path[i])) ++i;
        size_t start = i;
        while (i < path.size() && !isSeparator(path[i])) ++i;
        if (i > start) parts.push_back(path.substr(start, i - start));
    }
    return parts;
}

bool invalidWindowsName(std::string_view name) {
    for (char c : name) {
        auto u = static_cast<unsigned char>(c);
        if (u < 32 || c == ':' || c == '*' || c == '?' || c == '"' || c == '<' || c == '>' || c == '|')
            return true;
    }
    return false;
}

// Windows drops trailing dots and spaces of a name.
std::string_view trimName(std::string_view name) {
    if (name == "." || name == "..") return name;
    while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.remove_suffix(1);
    return name;
}

}  // namespace

Result<Machine> Machine::open() {
    if (const char* env = std::getenv("RUX_MACHINE"); env && *env) return openAt(env);
    fs::path data;
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg && fs::path(xdg).is_absolute())
        data = xdg;
    else if (const char* home = std::getenv("HOME"); home && *home)
        data = fs::path(home) / ".local" / "share";
    else
        return makeError(err::PathNotFound, "neither RUX_MACHINE nor HOME is set");
    return openAt(data / "rux-machine");
}

Result<Machine> Machine::openAt(const fs::path& root) {
    std::error_code ec;
    fs::path absolute = fs::absolute(root, ec).lexically_normal();
    if (ec) return errorFromErrnoValue(ec.value(), root.string());
    if (absolute.has_filename() == false && absolute.has_parent_path())
        absolute = absolute.parent_path();  // no trailing separator
    if (!fs::exists(absolute / kCreatedMarker, ec)) {
        if (Status s = createMachine(absolute); !s) return s.error();
    }
    return Machine(absolute);
}

std::string Machine::windowsFolder() const { return "C:\\Windows"; }
std::string Machine::systemFolder() const { return "C:\\Windows\\System32"; }
std::string Machine::tempFolder() const { return "C:\\Windows\\Temp"; }
std::string Machine::programFilesFolder() const { return "C:\\Program Files"; }
std::string Machine::programsFolder() const { return "C:\\Windows\\Start Menu\\Programs"; }

Result<fs::path> Machine::hostPath(std::string_view path) const {
    if (path.empty()) return makeError(err::PathNotFound, "empty path");
    if (path.find('\0') != std::string_view::npos) return makeError(err::InvalidName);

    fs::path base;
    std::string_view rest;
    bool windows = true;  // names found without regard to case, ".." bounded by the drive
    if (path.size() >= 2 && path[1] == ':' && std::isalpha(static_cast<unsigned char>(path[0]))) {
        char drive = detail::lowerAscii(path[0]);
        if (drive == 'c')
            base = root_ / "drive_c";
        else if (drive == 'z')
            base = "/";
        else
            return makeError(err::PathNotFound, std::string(path));
        rest = path.substr(2);
    } else if (path.size() >= 2 && path[0] == '\\' && isSeparator(path[1])) {
        return makeError(err::BadPathname, std::string(path) + ": network paths are not supported");
    } else if (path[0] == '\\') {
        base = root_ / "drive_c";
        rest = path;
    } else if (path[0] == '/') {
        base = "/";
        rest = path;
        windows = false;
    } else {
        std::error_code ec;
        base = fs::current_path(ec);
        if (ec) return errorFromErrnoValue(ec.value());
        rest = path;
        windows = false;
    }

    std::vector<std::string> resolved;
    fs::path folder = base;  // base with every resolved name
    bool existing = true;    // every name so far exists, so the next one is looked up
    for (std::string_view raw : splitComponents(rest)) {
        std::string_view name = windows ? trimName(raw) : raw;
        if (name.empty() || name == ".") continue;
        if (name == "..") {
            if (resolved.empty()) {
                if (windows) return makeError(err::BadPathname, std::string(path));
                if (base == "/") continue;
                base = base.parent_path();
                folder = base;
                continue;
            }
            resolved.pop_back();
            folder = base;
            for (auto& r : resolved) folder /= r;
            std::error_code ec;
            existing = fs::is_directory(folder, ec);
            continue;
        }
        if (windows && invalidWindowsName(name)) return makeError(err::InvalidName, std::string(path));
        if (!windows) {
            resolved.emplace_back(name);
            folder /= name;
            continue;
        }
        if (existing) {
            detail::NameMatch found = detail::matchName(folder, name);
            existing = found.exists;
            resolved.push_back(std::move(found.name));
        } else {
            resolved.emplace_back(name);
        }
        folder /= resolved.back();
    }
    return folder;
}

Result<fs::path> Machine::changeablePath(std::string_view path) const {
    auto host = hostPath(path);
    if (!host) return host.error();
    auto outside = [&] {
        return makeError(err::AccessDenied, std::string(path) + " lies outside this machine's drives");
    };
    const fs::path drive = root_ / "drive_c";
    const fs::path rel = host->lexically_normal().lexically_relative(drive);
    if (rel.empty() || *rel.begin() == "..") return outside();
    // Every existing level is looked at without following it; a link must end inside the drive.
    std::error_code ec;
    const fs::path realDrive = fs::canonical(drive, ec);
    if (ec) return errorFromErrnoValue(ec.value(), drive.string());
    fs::path at = drive;
    for (const auto& part : rel) {
        if (part == ".") continue;
        at /= part;
        auto status = fs::symlink_status(at, ec);
        if (!fs::exists(status)) break;  // the rest is new, made below what was checked
        if (!fs::is_symlink(status)) continue;
        const fs::path target = fs::canonical(at, ec);
        if (ec) return outside();  // a dangling link would create its target wherever it points
        const fs::path inside = target.lexically_relative(realDrive);
        if (inside.empty() || *inside.begin() == "..") return outside();
    }
    return host;
}

std::string Machine::windowsPath(const fs::path& host) const {
    fs::path normal = host.lexically_normal();
    fs::path drive = (root_ / "drive_c").lexically_normal();
    fs::path rel = normal.lexically_relative(drive);
    std::string out;
    if (!rel.empty() && *rel.begin() != "..") {
        out = "C:";
        if (rel == ".") return "C:\\";
        for (const auto& part : rel) out += "\\" + part.string();
        return out;
    }
    if (normal == drive) return "C:\\";
    out = "Z:";
    for (const auto& part : normal.relative_path()) {
        if (part.empty()) continue;
        out += "\\" + part.string();
    }
    return out.size() == 2 ? "Z:\\" : out;
}

std::optional<std::string> Machine::environment(std::string_view name) const {
    auto text = detail::readWholeFile(root_ / kEnvironmentFile);
    if (!text) return std::nullopt;
    std::string_view all = *text;
    size_t pos = 0;
    while (pos < all.size()) {
        size_t end = all.find('\n', pos);
        if (end == std::string_view::npos) end = all.size();
        std::string_view line = all.substr(pos, end - pos);
        pos = end + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        size_t eq = line.find('=');
        if (line.empty() || line[0] == '[' || line[0] == ';' || eq == std::string_view::npos) continue;
        if (detail::equalsNoCase(line.substr(0, eq), name)) return std::string(line.substr(eq + 1));
    }
    return std::nullopt;
}

Status Machine::setEnvironment(std::string_view name, std::string_view value) const {
    auto bad = [](std::string_view s) { return s.find_first_of("\r\n", 0) != std::string_view::npos; };
    if (name.empty() || name.find('=') != std::string_view::npos || bad(name) || bad(value))
        return makeError(err::InvalidParameter, "environment name or value");
    auto lock = detail::LockFile::acquire(root_ / ".environment.lock");
    if (!lock) return lock.error();
    auto text = detail::readWholeFile(root_ / kEnvironmentFile);
    std::string old = text ? *text : std::string(kEnvironmentSection) + "\n";
    std::string out;
    bool replaced = false;
    size_t pos = 0;
    while (pos < old.size()) {
        size_t end = old.find('\n', pos);
        if (end == std::string::npos) end = old.size();
        std::string line = old.substr(pos, end - pos);
        pos = end + 1;
        size_t eq = line.find('=');
        if (!line.empty() && line[0] != '[' && eq != std::string::npos &&
            detail::equalsNoCase(std::string_view(line).substr(0, eq), name)) {
            if (replaced) continue;
            line = std::string(name) + "=" + std::string(value);
            replaced = true;
        }
        out += line + "\n";
    }
    if (!replaced) out += std::string(name) + "=" + std::string(value) + "\n";
    return detail::writeFileAtomic(root_ / kEnvironmentFile, out);
}

Status Machine::journal(std::string_view line) const {
    std::string text(line);
    for (char& c : text)
        if (c == '\n' || c == '\r') c = ' ';
    text += '\n';
    int fd = ::open(journalPath().c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) return errorFromErrnoValue(errno, journalPath().string());
    // One write of a whole line: O_APPEND keeps lines of several processes apart.
    ::flock(fd, LOCK_EX);
    ssize_t n = ::write(fd, text.data(), text.size());
    int e = errno;
    ::close(fd);
    if (n != static_cast<ssize_t>(text.size())) return errorFromErrnoValue(n < 0 ? e : ENOSPC);
    return {};
}

}  // namespace platform
