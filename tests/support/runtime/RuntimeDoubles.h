#pragma once
// Test doubles of the runtime's seams that need no user interface: the message box and running
// a command line. Each installs itself while it lives and puts the previous provider back.
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/services/MessageBox.h"
#include "runtime/services/System.h"

namespace runtime {

// For tests: installs itself while it lives, records every box and answers from the queue. A box
// without a scripted answer, or an answer the box's buttons cannot give, ends the process with a
// message naming the box, so that an unexpected question never passes unnoticed.
class ScriptedMessageBoxes : public MessageBoxProvider {
public:
    ScriptedMessageBoxes();
    ~ScriptedMessageBoxes() override;
    ScriptedMessageBoxes(const ScriptedMessageBoxes&) = delete;
    ScriptedMessageBoxes& operator=(const ScriptedMessageBoxes&) = delete;

    void answer(int position) { answers_.push_back(position); }
    const std::vector<MessageBoxRequest>& shown() const { return shown_; }
    size_t unansweredCount() const { return answers_.size(); }

    int show(const MessageBoxRequest& request) override;

private:
    std::deque<int> answers_;
    std::vector<MessageBoxRequest> shown_;
    MessageBoxProvider* previous_ = nullptr;
};

// For tests: installs itself while it lives and records the command lines.
class RecordedRuns : public RunProvider {
public:
    explicit RecordedRuns(int result = 1);
    ~RecordedRuns() override;
    RecordedRuns(const RecordedRuns&) = delete;
    RecordedRuns& operator=(const RecordedRuns&) = delete;
    int run(std::string_view commandLine) override;
    const std::vector<std::string>& commandLines() const { return lines_; }

private:
    int result_;
    std::vector<std::string> lines_;
    RunProvider* previous_ = nullptr;
};

}  // namespace runtime
