#pragma once
// Setup as its own process in an X server of its own under a window manager (Xvfb and openbox),
// worked only by real input (xdotool) on windows found by their captions, watched by the window
// manager's stacking list (xprop) and screenshots (xwd).
#include <QImage>
#include <QPoint>
#include <QRect>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace setup_test {

// A child process started with extra environment entries; ended if still running at the end.
class Child {
public:
    Child(const std::vector<std::string>& argv, const std::vector<std::string>& extraEnv);
    ~Child();
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;
    int pid() const { return pid_; }
    // The exit code once it has ended, or nullopt while it runs.
    std::optional<int> poll();
    // Waits up to `seconds` for the end.
    std::optional<int> wait(int seconds);

private:
    int pid_ = -1;
    bool exited_ = false;
    int code_ = -1;
};

// Xvfb on a display it picks itself, and openbox on it once it is ready.
struct XServer {
    std::unique_ptr<Child> server;
    std::unique_ptr<Child> windowManager;
    std::string display;
    bool managed = false;  // openbox has taken over the screen

    explicit XServer(bool withWindowManager = true);

private:
    void start(bool withWindowManager);
    bool ready(bool withWindowManager) const;
};

// Runs a command with DISPLAY set; its exit code and standard output.
std::pair<int, std::string> runOn(const std::string& display, const std::string& command);

struct Driver {
    std::string display;
    std::string transcript;

    // A visible window with exactly this caption, waited for up to `seconds`; "" when none came.
    std::string waitFor(const std::string& caption, int seconds = 30);
    bool exists(const std::string& caption);
    // Waits up to `seconds` until no visible window has this caption.
    bool waitGone(const std::string& caption, int seconds = 30);
    void focus(const std::string& window);
    // Keys and text go to whichever window has the focus, as a user's do.
    void keys(const std::string& keys);
    void type(const std::string& text);
    void keys(const std::string& window, const std::string& keys);
    void type(const std::string& window, const std::string& text);
    // Waits until the window manager has made the window the active one; false when it did not.
    bool waitActive(const std::string& window, int seconds = 30);
    // A left click at a point of the window's client area.
    void click(const std::string& window, QPoint at);
    // The client area on the screen.
    QRect geometry(const std::string& window);
    // The window manager's stacking order of the managed windows, bottom first.
    std::vector<unsigned long> stacking();
    std::string name(unsigned long window);
    // The window it is transient for (its owner); 0 for none.
    unsigned long owner(const std::string& window);
    // What the window manager offers on the window's frame (_NET_WM_ALLOWED_ACTIONS).
    std::string allowedActions(const std::string& window);
    // The window's client area as it is on the screen.
    QImage screenshot(const std::string& window);
};

unsigned long windowNumber(const std::string& window);

// Every file and folder of a folder with its size and a hash of its bytes, to compare a machine
// before and after.
std::map<std::string, std::string> folderContents(const std::filesystem::path& folder);

}  // namespace setup_test
