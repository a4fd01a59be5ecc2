#pragma once
// Removes what an uninstall record lists, newest first, then the product's registration and the
// record itself.
#include "platform/Machine.h"

#include <string>
#include <string_view>
#include <vector>

namespace uninstaller {

inline constexpr const char* UninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
inline constexpr const char* SharedDllsKey = "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";

struct Outcome {
    enum Kind { Done, BadRecord, Incomplete } kind = Done;
    std::string message;                // why the record was refused
    std::vector<std::string> problems;  // what could not be removed
    // Installed folders that stay because they hold what was not installed: the folder and the
    // names of those files and folders.
    std::vector<std::pair<std::string, std::vector<std::string>>> kept;
};

// A damaged or unreadable record touches nothing. When something cannot be removed, the record
// and the registration stay, so that the uninstall can be run again.
Outcome uninstall(const platform::Machine& machine, std::string_view recordPath);

// The record path from the command line's arguments: everything after the program's name.
std::string recordPathFromArguments(int argc, char** argv);

}  // namespace uninstaller
