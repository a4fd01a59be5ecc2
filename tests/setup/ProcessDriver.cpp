#include "ProcessDriver.h"

#include "support/TempFolder.h"

#include <array>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <sys/prctl.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace fs = std::filesystem;

namespace setup_test {

namespace {

void pause() { std::this_thread::sleep_for(std::chrono::milliseconds(100)); }

std::string shellQuote(const std::string& s) {
    std::string out = "'";
    for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

uint32_t bigEndian(const unsigned char* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }

int shiftOf(uint32_t mask) {
    int shift = 0;
    while (mask && !(mask & 1)) mask >>= 1, ++shift;
    return shift;
}

// An XWD dump of a true-colour window of 32 bits per pixel, or of 24 (the root window and windows
// of depth 24 on a server whose pixels of that depth are packed in three bytes).
QImage decodeXwd(const std::string& bytes) {
    const auto* b = reinterpret_cast<const unsigned char*>(bytes.data());
    if (bytes.size() < 100) return {};
    const uint32_t headerSize = bigEndian(b), format = bigEndian(b + 8), width = bigEndian(b + 16),
                   height = bigEndian(b + 20), byteOrder = bigEndian(b + 28), bitsPerPixel = bigEndian(b + 44),
                   bytesPerLine = bigEndian(b + 48), redMask = bigEndian(b + 56), greenMask = bigEndian(b + 60),
                   blueMask = bigEndian(b + 64), colours = bigEndian(b + 76);
    const std::size_t start = std::size_t(headerSize) + std::size_t(colours) * 12;
    if (format != 2 || (bitsPerPixel != 32 && bitsPerPixel != 24) ||
        start + std::size_t(bytesPerLine) * height > bytes.size())
        return {};
    const std::size_t step = bitsPerPixel / 8;
    QImage image(int(width), int(height), QImage::Format_RGB32);
    for (uint32_t y = 0; y < height; ++y) {
        for (uint32_t x = 0; x < width; ++x) {
            const unsigned char* p = b + start + std::size_t(y) * bytesPerLine + std::size_t(x) * step;
            const uint32_t high = step == 4 ? uint32_t(p[3]) : 0;
            const uint32_t v = byteOrder == 0 ? high << 24 | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0]
                               : step == 4    ? bigEndian(p)
                                              : uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
            image.setPixel(int(x), int(y),
                           qRgb(int((v & redMask) >> shiftOf(redMask)), int((v & greenMask) >> shiftOf(greenMask)),
                                int((v & blueMask) >> shiftOf(blueMask))));
        }
    }
    return image;
}

}  // namespace

Child::Child(const std::vector<std::string>& argv, const std::vector<std::string>& extraEnv) {
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) env.emplace_back(*e);
    for (const auto& x : extraEnv) {
        auto name = x.substr(0, x.find('=') + 1);
        std::erase_if(env, [&](const std::string& e) { return e.starts_with(name); });
        env.push_back(x);
    }
    std::vector<char*> args, envp;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    for (const auto& e : env) envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);
    // Ended with this process, also when a timeout kills the test.
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid == 0) {
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent) _exit(127);
        execve(args[0], args.data(), envp.data());
        _exit(127);
    }
    pid_ = pid;
}

Child::~Child() {
    if (pid_ > 0 && !exited_) {
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
}

std::optional<int> Child::poll() {
    if (exited_) return code_;
    int status = 0;
    if (pid_ <= 0 || waitpid(pid_, &status, WNOHANG) != pid_) return std::nullopt;
    exited_ = true;
    code_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return code_;
}

std::optional<int> Child::wait(int seconds) {
    std::optional<int> code;
    for (int i = 0; i < seconds * 10 && !(code = poll()); ++i) pause();
    return code;
}

XServer::XServer(bool withWindowManager) {
    // Now and then the window manager cannot reach a display that the server has just announced
    // (a display number left behind by a server that was ending): such a start is tried again on a
    // fresh server.
    for (int attempt = 0; attempt < 3 && !ready(withWindowManager); ++attempt) {
        windowManager.reset();
        server.reset();
        display.clear();
        start(withWindowManager);
    }
}

bool XServer::ready(bool withWindowManager) const {
    return !display.empty() && (!withWindowManager || managed);
}

void XServer::start(bool withWindowManager) {
    int fds[2];
    if (pipe(fds) != 0) return;
    // Only the write end goes to the server.
    fcntl(fds[0], F_SETFD, FD_CLOEXEC);
    server = std::make_unique<Child>(std::vector<std::string>{"/usr/bin/Xvfb", "-displayfd", std::to_string(fds[1]),
                                                              "-screen", "0", "1024x768x24", "-nolisten", "tcp"},
                                     std::vector<std::string>{});
    close(fds[1]);
    std::string number;
    char c;
    while (read(fds[0], &c, 1) == 1 && c != '\n') number += c;
    close(fds[0]);
    if (number.empty()) return;
    display = ":" + number;
    if (!withWindowManager) return;
    windowManager = std::make_unique<Child>(std::vector<std::string>{"/usr/bin/openbox", "--sm-disable"},
                                            std::vector<std::string>{"DISPLAY=" + display});
    // Ready once it has announced itself on the root window; a window manager that has ended will
    // not announce itself any more.
    for (int i = 0; i < 300 && !managed && !windowManager->poll(); ++i) {
        managed = runOn(display, "xprop -root _NET_SUPPORTING_WM_CHECK").second.find("window id") != std::string::npos;
        if (!managed) pause();
    }
}

std::pair<int, std::string> runOn(const std::string& display, const std::string& command) {
    std::string line = "DISPLAY=" + display + " " + command + " 2>/dev/null";
    FILE* pipe = popen(line.c_str(), "r");
    if (!pipe) return {-1, {}};
    std::string out;
    std::array<char, 65536> buffer;
    for (std::size_t n; (n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0;) out.append(buffer.data(), n);
    int status = pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
}

// A search fails now and then when a window goes away while it looks: it is asked again.
std::string Driver::waitFor(const std::string& caption, int seconds) {
    for (int i = 0; i < seconds * 10; ++i) {
        auto [code, out] = runOn(display, "xdotool search --onlyvisible --name " + shellQuote("^" + caption + "$"));
        if (code == 0 && !out.empty()) {
            transcript += "window " + caption + "\n";
            return out.substr(0, out.find('\n'));
        }
        pause();
    }
    transcript += "window " + caption + " did not come\n";
    return {};
}

bool Driver::exists(const std::string& caption) {
    for (int i = 0; i < 2; ++i)
        if (runOn(display, "xdotool search --onlyvisible --name " + shellQuote("^" + caption + "$")).first == 0) return true;
    return false;
}

bool Driver::waitGone(const std::string& caption, int seconds) {
    for (int i = 0; i < seconds * 10; ++i) {
        if (!exists(caption)) return true;
        pause();
    }
    return false;
}

void Driver::focus(const std::string& window) { runOn(display, "xdotool windowfocus --sync " + window); }

void Driver::keys(const std::string& keys) {
    transcript += "  keys " + keys + "\n";
    runOn(display, "xdotool key --delay 30 " + keys);
}

void Driver::type(const std::string& text) {
    transcript += "  type " + text + "\n";
    runOn(display, "xdotool type --delay 30 " + shellQuote(text));
}

void Driver::keys(const std::string& window, const std::string& k) {
    focus(window);
    keys(k);
}

void Driver::type(const std::string& window, const std::string& text) {
    focus(window);
    type(text);
}

bool Driver::waitActive(const std::string& window, int seconds) {
    for (int i = 0; i < seconds * 10; ++i) {
        const std::string out = runOn(display, "xprop -root _NET_ACTIVE_WINDOW").second;
        const auto at = out.find("0x");
        if (at != std::string::npos && std::stoul(out.substr(at), nullptr, 16) == windowNumber(window)) return true;
        pause();
    }
    return false;
}

void Driver::click(const std::string& window, QPoint at) {
    // Placed on the screen from the client area's own position: a window manager's frame shifts
    // positions taken relative to the window.
    const QPoint screen = geometry(window).topLeft() + at;
    transcript += "  click " + std::to_string(at.x()) + "," + std::to_string(at.y()) + "\n";
    runOn(display, "xdotool mousemove --sync " + std::to_string(screen.x()) + " " + std::to_string(screen.y()) +
                       " click 1");
}

QRect Driver::geometry(const std::string& window) {
    std::istringstream in(runOn(display, "xwininfo -id " + window).second);
    std::map<std::string, int> v;
    for (std::string line; std::getline(in, line);)
        if (auto colon = line.find(':'); colon != std::string::npos) {
            const auto first = line.find_first_not_of(' ');
            v[line.substr(first, colon - first)] = std::atoi(line.c_str() + colon + 1);
        }
    return QRect(v["Absolute upper-left X"], v["Absolute upper-left Y"], v["Width"], v["Height"]);
}

std::vector<unsigned long> Driver::stacking() {
    const std::string out = runOn(display, "xprop -root _NET_CLIENT_LIST_STACKING").second;
    std::vector<unsigned long> ids;
    for (auto at = out.find("0x"); at != std::string::npos; at = out.find("0x", at + 2))
        ids.push_back(std::stoul(out.substr(at), nullptr, 16));
    return ids;
}

unsigned long Driver::owner(const std::string& window) {
    const std::string out = runOn(display, "xprop -id " + window + " WM_TRANSIENT_FOR").second;
    const auto at = out.find("0x");
    return at == std::string::npos ? 0 : std::stoul(out.substr(at), nullptr, 16);
}

std::string Driver::allowedActions(const std::string& window) {
    return runOn(display, "xprop -id " + window + " _NET_WM_ALLOWED_ACTIONS").second;
}

std::string Driver::name(unsigned long window) {
    std::string out = runOn(display, "xdotool getwindowname " + std::to_string(window)).second;
    while (!out.empty() && out.back() == '\n') out.pop_back();
    return out;
}

QImage Driver::screenshot(const std::string& window) { return decodeXwd(runOn(display, "xwd -silent -id " + window).second); }

unsigned long windowNumber(const std::string& window) { return window.empty() ? 0 : std::stoul(window); }

std::map<std::string, std::string> folderContents(const fs::path& folder) {
    std::map<std::string, std::string> contents;
    for (const auto& e : fs::recursive_directory_iterator(folder)) {
        const std::string relative = fs::relative(e.path(), folder).string();
        if (e.is_directory()) {
            contents[relative] = "folder";
        } else {
            const std::string bytes = testing_support::readFile(e.path());
            contents[relative] = std::to_string(bytes.size()) + " bytes, hash " + std::to_string(std::hash<std::string>{}(bytes));
        }
    }
    return contents;
}

}  // namespace setup_test
