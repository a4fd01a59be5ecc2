#pragma once
// The application object: `open` with the command line at start, `close` at the end,
// `systemerror` after a runtime error reached a dispatch boundary (the failure is in error()).
// One application exists at a time.
#include <string>
#include <vector>

#include "runtime/core/Object.h"

namespace runtime {

class Application : public Object {
public:
    explicit Application(std::string className);
    ~Application() override;

    static Application* instance();

    // Raises `open`, runs the event loop, then `close` (unless a halt ran it already).
    int exec(std::string_view commandLine = {});
    // Ends the event loop normally (the last window closed); exec() then runs `close`. Asked
    // during `open`, before the loop runs, the loop is not entered at all.
    void quit();
    // Halt close: runs `close` (once: never again from inside it), ends the event loop and
    // abandons the running script. The queue is dropped and later posts are ignored.
    void haltClose();

    // The status bar's text when nothing else is shown there, and the title of the boxes in
    // which row sets and data windows report a database error that no script handled.
    const std::string& microHelpDefault() const { return microHelpDefault_; }
    void setMicroHelpDefault(std::string text) { microHelpDefault_ = std::move(text); }
    const std::string& dwMessageTitle() const { return dwMessageTitle_; }
    void setDwMessageTitle(std::string title) { dwMessageTitle_ = std::move(title); }
    static const char* defaultDwMessageTitle() { return "Database error"; }

    bool halted() const { return halted_; }
    bool closed() const { return closeRan_; }
    // The last runtime error and how many reached a boundary.
    const ErrorInfo& error() const { return error_; }
    int errorCount() const { return errorCount_; }

    // Hands a runtime error to `systemerror`; without a script for it, or when it fails itself,
    // the application halts. Without an application the error is kept in unhandledErrors().
    static void routeError(const RuntimeError& error);
    static const std::vector<ErrorInfo>& unhandledErrors();

private:
    void runClose();

    std::string microHelpDefault_;
    std::string dwMessageTitle_ = defaultDwMessageTitle();
    ErrorInfo error_;
    int errorCount_ = 0;
    bool halted_ = false;
    bool quitRequested_ = false;
    bool closeRan_ = false;
    bool inSystemError_ = false;
};

}  // namespace runtime
