#pragma once
// The machine folder: one host folder that stands for a Windows machine (drive C:, the registry
// hives, the environment table that Setup reads, the journal of actions that cannot happen here).
#include "platform/Result.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

class Machine {
public:
    // The machine named by RUX_MACHINE, else $XDG_DATA_HOME/rux-machine (~/.local/share/rux-machine);
    // created and seeded on first use: the standard folders, the four hives, environment.ini, and
    // a copy of the seed tree ($RUX_MACHINE_SEED, else machine-seed beside the running program)
    // when there is one. Two processes may create the same machine at once.
    static Result<Machine> open();
    // The machine at a given host folder; created and seeded when missing.
    static Result<Machine> openAt(const std::filesystem::path& root);

    const std::filesystem::path& root() const { return root_; }

    // Windows paths of the special folders ("C:\\Windows", ...), without a trailing backslash.
    std::string windowsFolder() const;       // C:\Windows
    std::string systemFolder() const;        // C:\Windows\System32
    std::string tempFolder() const;          // C:\Windows\Temp
    std::string programFilesFolder() const;  // C:\Program Files
    std::string programsFolder() const;      // the current user's Start-menu Programs folder

    // Maps a path to the host. "X:\..." goes through the drive table (C: to drive_c, Z: to the
    // host root); "\..." without a drive is on C:; any other absolute path is a host path; a
    // relative path is taken relative to the host's current folder. "\" and "/" both separate.
    // Below a drive, existing names are found without regard to case, new names keep theirs.
    // A ".." that would climb above the drive's root is refused (BadPathname).
    Result<std::filesystem::path> hostPath(std::string_view path) const;
    // The host path of a path that is to be written, created or deleted: only inside the machine's
    // own drives, and never through a symbolic link that leads out of them. Other drives (Z:, the
    // host's root) and host paths are for reading only; they are refused with AccessDenied naming
    // the path.
    Result<std::filesystem::path> changeablePath(std::string_view path) const;
    // The Windows form ("C:\\...") of a host path inside drive_c; Z:\... for other host paths.
    std::string windowsPath(const std::filesystem::path& host) const;

    // The small environment table of the machine (TMP, TEMP, ...), stored in the machine folder.
    std::optional<std::string> environment(std::string_view name) const;
    Status setEnvironment(std::string_view name, std::string_view value) const;

    // Appends a line to journal.log (what cannot be done for real here: opening a document or a
    // folder, a restart). CR and LF in `line` become spaces, so one call is one line.
    Status journal(std::string_view line) const;
    std::filesystem::path journalPath() const { return root_ / "journal.log"; }

private:
    explicit Machine(std::filesystem::path root) : root_(std::move(root)) {}
    std::filesystem::path root_;
};

}  // namespace platform
