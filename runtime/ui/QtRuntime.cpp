#include "runtime/ui/QtRuntime.h"

#include "runtime/core/Dispatch.h"
#include "runtime/core/EventQueue.h"
#include "runtime/ui/Services.h"

#include <QApplication>
#include <QCursor>
#include <QEventLoop>
#include <QEvent>
#include <QMetaObject>

namespace runtime {
namespace {

class QtDriver : public EventLoop::Driver {
public:
    // A queued call keeps the order of posts and is processed by nested loops too.
    void schedule() override {
        if (auto* app = QCoreApplication::instance())
            QMetaObject::invokeMethod(app, [] { EventQueue::runPending(); }, Qt::QueuedConnection);
    }
    void run() override {
        quitting_ = false;
        EventQueue::runPending();
        if (!quitting_) QCoreApplication::exec();
    }
    void quit() override {
        quitting_ = true;
        QCoreApplication::quit();
    }
    void runModal(const std::function<bool()>& done) override {
        EventQueue::runPending();
        while (!quitting_ && !done()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    void yield() override {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        EventQueue::runPending();
    }

private:
    bool quitting_ = false;
};

// The user's input runs after the events the program posted before it, as on Windows, where posted
// messages come before later input: a click's posted event (which enables the menu entries, say)
// has run when the key pressed right after it arrives, however slow the machine.
class InputAfterPosted : public QObject {
protected:
    bool eventFilter(QObject* watched, QEvent* e) override {
        switch (e->type()) {
            case QEvent::ShortcutOverride:
            case QEvent::KeyPress:
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonDblClick:
                if (e->spontaneous() && EventQueue::pendingCount() > 0) EventQueue::runPending();
                break;
            default:
                break;
        }
        return QObject::eventFilter(watched, e);
    }
};

InputAfterPosted& inputFilter() {
    static InputAfterPosted f;
    return f;
}

QtDriver& driver() {
    static QtDriver d;
    return d;
}

}  // namespace

void installQtRuntime() {
    EventLoop::setDriver(&driver());
    Pointer::setListener([](PointerShape shape) {
        if (shape == PointerShape::HourGlass) {
            if (!QApplication::overrideCursor()) QApplication::setOverrideCursor(Qt::WaitCursor);
        } else {
            while (QApplication::overrideCursor()) QApplication::restoreOverrideCursor();
        }
    });
    installQtServices();
    if (auto* app = QCoreApplication::instance()) app->installEventFilter(&inputFilter());
    if (EventQueue::pendingCount() > 0) driver().schedule();
}

void uninstallQtRuntime() {
    EventLoop::setDriver(nullptr);
    if (auto* app = QCoreApplication::instance()) app->removeEventFilter(&inputFilter());
    Pointer::setListener({});
    uninstallQtServices();
}

void processPendingEvents() {
    for (int round = 0; round < 100; ++round) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        bool ran = EventQueue::runPending();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        if (!ran && EventQueue::pendingCount() == 0) break;
    }
}

}  // namespace runtime
