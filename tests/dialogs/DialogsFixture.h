#pragma once
// The dialogs' tests: the framework's fixture, screenshots under test-artefacts/dialogs, and a
// way to act inside a modal dialog once its queued set-up has run.
#include <functional>
#include <string>

#include "framework/FrameworkFixture.h"
#include "runtime/ui/Window.h"

namespace dialogs_test {

class DialogsFixture : public framework_test::FrameworkFixture {
protected:
    void SetUp() override;
    void TearDown() override;

    // Saves a picture of the window among the test artefacts (test-artefacts/dialogs).
    static void screenshot(runtime::VisualObject& object, const std::string& name);
    // Runs `act` on the next response window of class `className` once it is open and its
    // queued events have run (the dialog's modal loop keeps running meanwhile).
    static void whenOpen(const std::string& className, std::function<void(runtime::Window&)> act);
    // The acts given to whenOpen that have not run yet: none once the dialog they wait for has
    // returned (the test's end checks it too).
    static int pendingActs();

private:
    // The program's dialogs open over its frame. Without a window behind them, closing one would
    // close the application's last window and end it, and every later dialog would return at
    // once: its act would run after the test had gone on, reading what it named no longer.
    runtime::Ref<runtime::Window> owner_;
};

}  // namespace dialogs_test
