#include "dialogs/DialogsFixture.h"

#include <QCoreApplication>
#include <QTimer>
#include <QWidget>

#include <filesystem>

#include "runtime/core/EventQueue.h"
#include "support/TestEnvironment.h"

namespace dialogs_test {

void DialogsFixture::screenshot(runtime::VisualObject& object, const std::string& name) {
    std::filesystem::path folder = testing_support::artefactFolder("dialogs");
    std::filesystem::create_directories(folder);
    object.widget()->grab().save(QString::fromStdString((folder / (name + ".png")).string()));
}

void DialogsFixture::whenOpen(const std::string& className, std::function<void(runtime::Window&)> act) {
    auto* timer = new QTimer(QCoreApplication::instance());
    timer->setInterval(0);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, className, act] {
        if (runtime::EventQueue::pendingCount() > 0) return;
        for (runtime::Window* w : runtime::Window::openWindows()) {
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

}  // namespace dialogs_test
