#pragma once
// Test doubles of the visual runtime's seams: the help viewer and the file-open dialog.
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "runtime/ui/Services.h"
#include "runtime/ui/Window.h"
#include "support/runtime/RuntimeDoubles.h"

namespace runtime {

// For tests: installs itself while it lives and records the requests.
class RecordedHelp : public HelpProvider {
public:
    explicit RecordedHelp(int result = 1);
    ~RecordedHelp() override;
    RecordedHelp(const RecordedHelp&) = delete;
    RecordedHelp& operator=(const RecordedHelp&) = delete;
    int show(const HelpRequest& request) override;
    const std::vector<HelpRequest>& requests() const { return requests_; }

private:
    int result_;
    std::vector<HelpRequest> requests_;
    HelpProvider* previous_;
};

// For tests: installs itself while it lives, records requests and answers from a list.
class ScriptedFileDialog : public FileDialogProvider {
public:
    ScriptedFileDialog();
    ~ScriptedFileDialog() override;
    ScriptedFileDialog(const ScriptedFileDialog&) = delete;
    ScriptedFileDialog& operator=(const ScriptedFileDialog&) = delete;
    void answer(FileOpenAnswer a) { answers_.push_back(std::move(a)); }
    FileOpenAnswer open(const FileOpenRequest& request) override;
    const std::vector<FileOpenRequest>& requests() const { return requests_; }
    // The requests so far, which the test has now taken.
    std::vector<FileOpenRequest> take() { return std::exchange(requests_, {}); }

private:
    std::vector<FileOpenAnswer> answers_;
    std::vector<FileOpenRequest> requests_;
    FileDialogProvider* previous_;
};

// For tests: runs `act` on the next window of class `className` once it is open and its queued
// events have run (a modal window's, from inside its own loop).
void whenWindowOpen(const std::string& className, std::function<void(Window&)> act);

}  // namespace runtime
