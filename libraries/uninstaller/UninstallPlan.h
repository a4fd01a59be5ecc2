#pragma once
// What the uninstaller is asked to do: its command line, and what a record would remove, shown
// before anything is removed.
#include "platform/Machine.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace uninstaller {

struct Arguments {
    bool silent = false;     // "/S" first: no question and no boxes, for scripted use
    std::string recordPath;  // everything after the switch
};
Arguments parseArguments(int argc, char** argv);

struct Plan {
    std::string product;             // the record's display name
    std::vector<std::string> paths;  // files and folders, in the order they go (newest first)
    std::size_t registryEntries = 0;
};

// The plan of a record; nullopt with `why` when it cannot be read or is damaged.
std::optional<Plan> planUninstall(const platform::Machine& machine, std::string_view recordPath, std::string& why);

}  // namespace uninstaller
