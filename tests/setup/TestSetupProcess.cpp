// Setup as a user runs it: the program copied to the first disc by the build, started as its own
// process in an X server of its own, worked by keystrokes on windows found by their captions.
#include "SetupProducts.h"

#include "platform/Files.h"
#include "platform/Registry.h"
#include "support/TempFolder.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <array>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace fs = std::filesystem;
using namespace setup_test;

namespace {

// A child process started with extra environment entries; killed if still running at the end.
class Child {
public:
    Child(const std::vector<std::string>& argv, const std::vector<std::string>& extraEnv) {
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
        if (posix_spawn(&pid_, args[0], nullptr, nullptr, args.data(), envp.data()) != 0) pid_ = -1;
    }
    ~Child() {
        if (pid_ > 0 && !exited_) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
    }
    pid_t pid() const { return pid_; }
    // The exit code once it has ended, or nullopt while it runs.
    std::optional<int> poll() {
        if (exited_) return code_;
        int status = 0;
        if (pid_ <= 0 || waitpid(pid_, &status, WNOHANG) != pid_) return std::nullopt;
        exited_ = true;
        code_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        return code_;
    }

private:
    pid_t pid_ = -1;
    bool exited_ = false;
    int code_ = -1;
};

std::string shellQuote(const std::string& s) {
    std::string out = "'";
    for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

// Runs a command with DISPLAY set; its standard output and exit code.
std::pair<int, std::string> run(const std::string& display, const std::string& command) {
    std::string line = "DISPLAY=" + display + " " + command + " 2>/dev/null";
    FILE* pipe = popen(line.c_str(), "r");
    if (!pipe) return {-1, {}};
    std::string out;
    std::array<char, 256> buffer;
    while (fgets(buffer.data(), int(buffer.size()), pipe)) out += buffer.data();
    int status = pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
}

void shortPause() { std::this_thread::sleep_for(std::chrono::milliseconds(100)); }

// The X server of this test: Xvfb on a display it picks itself and reports once it is ready.
struct XServer {
    std::unique_ptr<Child> server;
    std::string display;

    XServer() {
        int fds[2];
        if (pipe(fds) != 0) return;
        // Only the write end goes to the server.
        fcntl(fds[0], F_SETFD, FD_CLOEXEC);
        server = std::make_unique<Child>(
            std::vector<std::string>{"/usr/bin/Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0",
                                     "1024x768x24", "-nolisten", "tcp"},
            std::vector<std::string>{});
        close(fds[1]);
        std::string number;
        char c;
        while (read(fds[0], &c, 1) == 1 && c != '\n') number += c;
        close(fds[0]);
        if (!number.empty()) display = ":" + number;
    }
};

struct Driver {
    std::string display;
    std::string transcript;

    // Waits for a visible window with exactly this caption; its id, or "" when none came.
    std::string waitFor(const std::string& caption) {
        auto [code, out] = run(display, "timeout 30 xdotool search --sync --onlyvisible --name " +
                                            shellQuote("^" + caption + "$"));
        transcript += "window " + caption + (code == 0 ? "\n" : " did not come\n");
        if (code != 0) return {};
        return out.substr(0, out.find('\n'));
    }
    bool exists(const std::string& caption) {
        return run(display, "xdotool search --onlyvisible --name " + shellQuote("^" + caption + "$")).first == 0;
    }
    void focus(const std::string& window) { run(display, "xdotool windowfocus --sync " + window); }
    void keys(const std::string& window, const std::string& keys) {
        focus(window);
        transcript += "  keys " + keys + "\n";
        run(display, "xdotool key --delay 30 " + keys);
    }
    void type(const std::string& window, const std::string& text) {
        focus(window);
        transcript += "  type " + text + "\n";
        run(display, "xdotool type --delay 30 " + shellQuote(text));
    }
};

}  // namespace

TEST(SetupProcess, InstallsAProductWhenStartedFromTheFirstDisc) {
    ASSERT_TRUE(fs::exists("/usr/bin/Xvfb") && fs::exists("/usr/bin/xdotool")) << "scripts/install-deps.sh installs them";
    testing_support::TempFolder sources("sources");
    build::Product product = smallProduct(sources.path());
    product.showLicense = product.showFinished = false;
    product.useProgramGroup = false;
    product.minimalOffered = product.customOffered = false;
    product.readmeMode = 0;
    product.files.front().shortcut = false;
    auto discs = writeDiscs(product, 0, true);
    ASSERT_TRUE(fs::exists(discs->disc(1) / "Setup.exe"));
    auto machine = openMachine();

    XServer x;
    ASSERT_FALSE(x.display.empty()) << "Xvfb did not start";
    Child setup({(discs->disc(1) / "Setup.exe").string()},
                {"DISPLAY=" + x.display, "QT_QPA_PLATFORM=xcb", "RUX_MACHINE=" + machine.root().string()});
    ASSERT_GT(setup.pid(), 0);
    Driver ui{x.display, {}};

    // Welcome, user information (the name typed), destination folder, the question, progress.
    std::string w = ui.waitFor("Welcome");
    ASSERT_FALSE(w.empty()) << ui.transcript;
    ui.keys(w, "Return");
    w = ui.waitFor("User information");
    ASSERT_FALSE(w.empty()) << ui.transcript;
    ui.type(w, "Ann Smith");
    ui.keys(w, "Tab");
    ui.type(w, "Maker Ltd");
    ui.keys(w, "Return");
    w = ui.waitFor("Destination folder");
    ASSERT_FALSE(w.empty()) << ui.transcript;
    ui.keys(w, "ctrl+a");
    ui.type(w, "C:\\Tools\\Tool");
    ui.keys(w, "Return");
    w = ui.waitFor("Setup");
    ASSERT_FALSE(w.empty()) << ui.transcript;
    ui.keys(w, "Return");
    w = ui.waitFor("Progress");
    ASSERT_FALSE(w.empty()) << ui.transcript;
    // Enter closes the progress dialog only once the run has ended.
    for (int i = 0; i < 300 && ui.exists("Progress"); ++i) {
        ui.keys(w, "Return");
        shortPause();
    }
    std::optional<int> code;
    for (int i = 0; i < 300 && !(code = setup.poll()); ++i) shortPause();
    ASSERT_TRUE(code) << "Setup did not end\n" << ui.transcript;
    EXPECT_EQ(*code, 0) << ui.transcript;

    platform::Files files(machine);
    auto host = machine.hostPath("C:\\Tools\\Tool\\tool.exe");
    if (!host || !fs::exists(*host)) {
        for (const auto& e : fs::recursive_directory_iterator(machine.root() / "drive_c"))
            ui.transcript += "  found " + e.path().string() + "\n";
    }
    ASSERT_TRUE(host && fs::exists(*host)) << ui.transcript;
    EXPECT_EQ(testing_support::readFile(*host), "program bytes");
    platform::Registry registry(machine);
    auto user = registry.queryValue(platform::RegRoot::CurrentUser, "Software\\Maker\\Tool", "User");
    ASSERT_TRUE(user);
    EXPECT_EQ(std::string(user->data.begin(), user->data.end()), std::string("Ann Smith\0", 10));
    auto company = registry.queryValue(platform::RegRoot::CurrentUser, "Software\\Maker\\Tool", "Company");
    ASSERT_TRUE(company);
    EXPECT_EQ(std::string(company->data.begin(), company->data.end()), std::string("Maker Ltd\0", 10));
    // Registered for removal, with its record in the Windows folder.
    EXPECT_TRUE(registry.keyExists(platform::RegRoot::LocalMachine,
                                   "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tool 1.0")
                    .valueOr(false));
    EXPECT_TRUE(files.exists("C:\\Windows\\UninstTool10.RUX"));
    std::cout << ui.transcript;
}
