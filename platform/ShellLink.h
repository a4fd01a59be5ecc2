#pragma once
// Shell links (.lnk) in the documented binary shell-link format: header, link info with the local
// target path, description, working folder.
#include "platform/Machine.h"
#include "platform/Result.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

struct ShellLink {
    std::string target;       // local base path, a Windows path
    std::string description;  // NAME_STRING
    std::string workingFolder;
};

std::vector<uint8_t> encodeShellLink(const ShellLink& link);
Result<ShellLink> decodeShellLink(std::span<const uint8_t> bytes);

Status writeShellLink(const Machine& machine, std::string_view linkPath, const ShellLink& link);
Result<ShellLink> readShellLink(const Machine& machine, std::string_view linkPath);

}  // namespace platform
