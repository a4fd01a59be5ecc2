#include "support/runtime/RuntimeDoubles.h"

#include <cstdlib>
#include <iostream>

namespace runtime {

ScriptedMessageBoxes::ScriptedMessageBoxes() { previous_ = setMessageBoxProvider(this); }

ScriptedMessageBoxes::~ScriptedMessageBoxes() { setMessageBoxProvider(previous_); }

int ScriptedMessageBoxes::show(const MessageBoxRequest& request) {
    shown_.push_back(request);
    if (answers_.empty()) {
        std::cerr << "Unexpected message box without a scripted answer: [" << request.title << "] "
                  << request.text << std::endl;
        std::abort();
    }
    int answer = answers_.front();
    answers_.pop_front();
    if (answer < 1 || answer > buttonCount(request.buttons)) {
        std::cerr << "Scripted answer " << answer << " is not a button of the box [" << request.title << "] "
                  << request.text << std::endl;
        std::abort();
    }
    return answer;
}

RecordedRuns::RecordedRuns(int result) : result_(result) { previous_ = setRunProvider(this); }
RecordedRuns::~RecordedRuns() { setRunProvider(previous_); }
int RecordedRuns::run(std::string_view commandLine) {
    lines_.emplace_back(commandLine);
    return result_;
}

}  // namespace runtime
