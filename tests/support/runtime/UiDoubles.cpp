#include "support/runtime/UiDoubles.h"

namespace runtime {

RecordedHelp::RecordedHelp(int result) : result_(result), previous_(setHelpProvider(this)) {}
RecordedHelp::~RecordedHelp() { setHelpProvider(previous_); }
int RecordedHelp::show(const HelpRequest& request) {
    requests_.push_back(request);
    return result_;
}

ScriptedFileDialog::ScriptedFileDialog() : previous_(setFileDialogProvider(this)) {}
ScriptedFileDialog::~ScriptedFileDialog() { setFileDialogProvider(previous_); }
FileOpenAnswer ScriptedFileDialog::open(const FileOpenRequest& request) {
    requests_.push_back(request);
    if (answers_.empty()) return {};
    FileOpenAnswer a = std::move(answers_.front());
    answers_.erase(answers_.begin());
    return a;
}

}  // namespace runtime
