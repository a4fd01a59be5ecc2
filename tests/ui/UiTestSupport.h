#pragma once
// What the visual runtime's tests share: one QApplication per process with the runtime bound to
// its event loop, and a call that runs Qt's and the runtime's pending events.
#include "runtime/core/EventQueue.h"
#include "runtime/ui/QtRuntime.h"
#include "support/TestEnvironment.h"

#include <QApplication>
#include <QFont>
#include <QWidget>

#include <filesystem>
#include <string>

namespace ui_test {

inline QApplication& application() {
    static int argc = 1;
    static char name[] = "runtime-ui-test";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        auto* a = new QApplication(argc, argv);
        a->setFont(QFont(QStringLiteral("DejaVu Sans"), 9));
        runtime::installQtRuntime();
        return a;
    }();
    return *app;
}

inline void settle() { runtime::processPendingEvents(); }

// Saves a picture of a widget among the test artefacts.
inline void saveScreenshot(QWidget* widget, const std::string& name) {
    std::filesystem::path folder = testing_support::artefactFolder("runtime-ui");
    std::filesystem::create_directories(folder);
    widget->grab().save(QString::fromStdString((folder / (name + ".png")).string()));
}

}  // namespace ui_test
