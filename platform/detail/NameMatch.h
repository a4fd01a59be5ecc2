#pragma once
// Finding an entry of a host folder without regard to case.
#include <filesystem>
#include <string>
#include <string_view>

namespace platform::detail {

struct NameMatch {
    std::string name;     // the entry's own spelling, or `name` itself when there is none
    bool exists = false;  // whether folder/name is an entry now
};

// The entry of `folder` named `name` without regard to case: the exact name when present, else
// the first case-insensitive match in sorted (byte) order, else `name` itself (a new name keeps
// its case). Folder listings are kept per process and brought up to date by the kernel's change
// notices, so looking up many new names in one large folder does not list it each time.
NameMatch matchName(const std::filesystem::path& folder, std::string_view name);

}  // namespace platform::detail
