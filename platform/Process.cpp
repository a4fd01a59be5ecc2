#include "platform/Process.h"

#include "platform/detail/HostIo.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace fs = std::filesystem;

namespace platform {
namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

bool needsQuotes(std::string_view arg) {
    return arg.empty() || arg.find_first_of(" \t\n\r\v\"") != std::string_view::npos;
}

// The host file for the program part of a command line, or an empty path when not found.
fs::path findProgram(const Machine& machine, const std::string& program) {
    std::error_code ec;
    auto isProgram = [&](const fs::path& p) { return fs::is_regular_file(p, ec); };
    bool hasExtension = program.find('.', program.find_last_of("\\/:") + 1) != std::string::npos;
    std::vector<std::string> names{program};
    if (!hasExtension) names.push_back(program + ".exe");

    if (program.find_first_of("\\/:") != std::string::npos) {
        for (const auto& name : names)
            if (auto host = machine.hostPath(name); host && isProgram(*host)) return *host;
        return {};
    }
    for (const auto& folder : {machine.systemFolder(), machine.windowsFolder()})
        for (const auto& name : names)
            if (auto host = machine.hostPath(folder + "\\" + name); host && isProgram(*host)) return *host;
    if (const char* path = std::getenv("PATH")) {
        std::string_view all = path;
        size_t pos = 0;
        while (pos <= all.size()) {
            size_t end = all.find(':', pos);
            if (end == std::string_view::npos) end = all.size();
            fs::path candidate = fs::path(all.substr(pos, end - pos)) / program;
            if (end > pos && isProgram(candidate) && ::access(candidate.c_str(), X_OK) == 0) return candidate;
            pos = end + 1;
        }
    }
    return {};
}

bool readAll(int fd, void* data, size_t size) {
    auto* p = static_cast<char*>(data);
    while (size > 0) {
        ssize_t n = ::read(fd, p, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        size -= size_t(n);
    }
    return true;
}

[[noreturn]] void execOrReport(int reportFd, const char* file, char* const argv[], char* const envp[]) {
    ::execve(file, argv, envp);
    int e = errno;
    ssize_t ignored = ::write(reportFd, &e, sizeof e);
    (void)ignored;
    ::_exit(127);
}

}  // namespace

fs::path ownExecutablePath() {
    std::error_code ec;
    fs::path p = fs::read_symlink("/proc/self/exe", ec);
    return ec ? fs::path() : p;
}

std::vector<std::string> splitCommandLine(std::string_view line) {
    std::vector<std::string> args;
    size_t i = 0;
    while (i < line.size() && isBlank(line[i])) ++i;
    if (i >= line.size()) return args;

    // The program name: quotes group, backslashes are plain characters.
    std::string program;
    bool quoted = false;
    for (; i < line.size(); ++i) {
        char c = line[i];
        if (c == '"') {
            quoted = !quoted;
            continue;
        }
        if (!quoted && isBlank(c)) break;
        program += c;
    }
    args.push_back(std::move(program));

    for (;;) {
        while (i < line.size() && isBlank(line[i])) ++i;
        if (i >= line.size()) break;
        std::string arg;
        quoted = false;
        while (i < line.size()) {
            char c = line[i];
            if (c == '\\') {
                size_t n = 0;
                while (i < line.size() && line[i] == '\\') {
                    ++n;
                    ++i;
                }
                if (i < line.size() && line[i] == '"') {
                    arg.append(n / 2, '\\');
                    if (n % 2) {
                        arg += '"';
                        ++i;
                    }
                } else {
                    arg.append(n, '\\');
                }
                continue;
            }
            if (c == '"') {
                if (quoted && i + 1 < line.size() && line[i + 1] == '"') {
                    arg += '"';  // "" inside quotes is one quote
                    i += 2;
                    continue;
                }
                quoted = !quoted;
                ++i;
                continue;
            }
            if (!quoted && isBlank(c)) break;
            arg += c;
            ++i;
        }
        args.push_back(std::move(arg));
    }
    return args;
}

std::string joinCommandLine(const std::vector<std::string>& args) {
    std::string out;
    for (size_t a = 0; a < args.size(); ++a) {
        const std::string& arg = args[a];
        if (a) out += ' ';
        if (a == 0) {
            // A program name cannot hold a quote; quotes only group it.
            std::string name;
            for (char c : arg)
                if (c != '"') name += c;
            out += needsQuotes(name) ? "\"" + name + "\"" : name;
            continue;
        }
        if (!needsQuotes(arg)) {
            out += arg;
            continue;
        }
        out += '"';
        for (size_t i = 0; i < arg.size(); ++i) {
            size_t n = 0;
            while (i < arg.size() && arg[i] == '\\') {
                ++n;
                ++i;
            }
            if (i == arg.size()) {
                out.append(n * 2, '\\');
                break;
            }
            if (arg[i] == '"') {
                out.append(n * 2 + 1, '\\');
                out += '"';
            } else {
                out.append(n, '\\');
                out += arg[i];
            }
        }
        out += '"';
    }
    return out;
}

Result<int> runCommandLine(const Machine& machine, std::string_view commandLine, bool wait) {
    auto args = splitCommandLine(commandLine);
    if (args.empty() || args[0].empty()) return makeError(err::InvalidParameter, "empty command line");
    fs::path program = findProgram(machine, args[0]);
    if (program.empty()) return makeError(err::FileNotFound, args[0]);

    // Everything the child needs is built before fork: after it, only exec, write and _exit.
    std::vector<std::string> argStrings{program.string()};
    argStrings.insert(argStrings.end(), args.begin() + 1, args.end());
    std::vector<char*> argv;
    for (auto& s : argStrings) argv.push_back(s.data());
    argv.push_back(nullptr);
    std::vector<std::string> envStrings;
    for (char** e = environ; e && *e; ++e)
        if (std::strncmp(*e, "RUX_MACHINE=", 12) != 0) envStrings.emplace_back(*e);
    envStrings.push_back("RUX_MACHINE=" + machine.root().string());
    std::vector<char*> envp;
    for (auto& s : envStrings) envp.push_back(s.data());
    envp.push_back(nullptr);

    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0) return errorFromErrnoValue(errno);
    pid_t child = ::fork();
    if (child < 0) {
        int e = errno;
        ::close(report[0]);
        ::close(report[1]);
        return errorFromErrnoValue(e);
    }
    if (child == 0) {
        ::close(report[0]);
        if (wait) execOrReport(report[1], argv[0], argv.data(), envp.data());
        // Not waited for: a grandchild runs the program, so no zombie is left behind.
        pid_t grandchild = ::fork();
        if (grandchild < 0) ::_exit(126);
        if (grandchild == 0) execOrReport(report[1], argv[0], argv.data(), envp.data());
        int pid = grandchild;
        ssize_t ignored = ::write(report[1], &pid, sizeof pid);
        (void)ignored;
        ::_exit(0);
    }
    ::close(report[1]);
    int pid = child;
    int status = 0;
    if (!wait) {
        while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {}
        if (!readAll(report[0], &pid, sizeof pid)) {
            ::close(report[0]);
            return makeError(err::NotEnoughMemory, "cannot start " + args[0]);
        }
    }
    int execErrno = 0;
    bool failed = readAll(report[0], &execErrno, sizeof execErrno);
    ::close(report[0]);
    if (wait) {
        while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {}
    }
    if (failed) return errorFromErrnoValue(execErrno, args[0]);
    if (!wait) return pid;
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    return 128 + (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
}

namespace {
std::string field(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c == '\t' || c == '\n' || c == '\r') c = ' ';
    return out;
}
}  // namespace

Status shellOpen(const Machine& machine, std::string_view verb, std::string_view file,
                 std::string_view parameters, std::string_view workingFolder) {
    return machine.journal("open\t" + field(verb) + "\t" + field(file) + "\t" + field(parameters) +
                           "\t" + field(workingFolder));
}

Status requestRestart(const Machine& machine) { return machine.journal("restart"); }

}  // namespace platform
