#include "support/runtime/UiDoubles.h"

#include <QCoreApplication>
#include <QTimer>

#include "runtime/core/EventQueue.h"

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

void whenWindowOpen(const std::string& className, std::function<void(Window&)> act) {
    auto* timer = new QTimer(QCoreApplication::instance());
    timer->setInterval(0);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, className, act] {
        if (EventQueue::pendingCount() > 0) return;
        for (Window* w : Window::openWindows()) {
            if (w->className() == className && w->isOpen()) {
                timer->stop();
                timer->deleteLater();
                act(*w);
                return;
            }
        }
    });
    timer->start();
}

}  // namespace runtime
