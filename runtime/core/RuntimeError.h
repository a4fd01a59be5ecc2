#pragma once
// A runtime error of a script: null object, bad row or column, missing class... It unwinds the
// running event and is handed to the application's `systemerror` at the dispatch boundary.
#include <stdexcept>
#include <string>

namespace runtime {

// What the application's `error` object holds after a runtime error.
struct ErrorInfo {
    std::string object;  // class name of the object whose event was running
    std::string event;   // that event's name
    int line = 0;        // the line of the script that failed
    std::string text;
};

class RuntimeError : public std::runtime_error {
public:
    // `line` defaults to the line of the throwing C++ code (std::source_location is not in every
    // compiler we build with).
    explicit RuntimeError(std::string text, int line = __builtin_LINE());
    RuntimeError(std::string object, std::string event, int line, std::string text);

    const ErrorInfo& info() const { return info_; }
    // The innermost event fills in where the error happened, when the thrower did not.
    void locate(const std::string& object, const std::string& event);

private:
    ErrorInfo info_;
};

}  // namespace runtime
