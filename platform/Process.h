#pragma once
// Processes: the program's own path, running command lines, and the shell actions that are
// written to the machine's journal instead of happening.
#include "platform/Machine.h"
#include "platform/Result.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

std::filesystem::path ownExecutablePath();

// Splits a command line by the Windows rules (quotes, backslashes before quotes).
std::vector<std::string> splitCommandLine(std::string_view commandLine);
// Joins arguments so that splitCommandLine gives them back.
std::string joinCommandLine(const std::vector<std::string>& args);

// Starts a command line; the program part may be a Windows path of the machine (a bare name is
// looked for in System32, the Windows folder, then the host's PATH; ".exe" is tried when the name
// has no extension). The arguments are passed as they are; the child's RUX_MACHINE names this
// machine. Returns the process id; does not wait unless `wait` is set (then returns the exit
// code, 128 + the signal for a program killed by one). FileNotFound when there is no such
// program, AccessDenied or 193 when it cannot be run.
Result<int> runCommandLine(const Machine& machine, std::string_view commandLine, bool wait = false);

// The shell's open of a document or folder, with an optional verb and parameters: a journal line
//   "open\t<verb>\t<file>\t<parameters>\t<working folder>"
// (a tab, CR or LF inside a field becomes a space).
Status shellOpen(const Machine& machine, std::string_view verb, std::string_view file,
                 std::string_view parameters, std::string_view workingFolder);
// Restarting the machine: the journal line "restart".
Status requestRestart(const Machine& machine);

}  // namespace platform
