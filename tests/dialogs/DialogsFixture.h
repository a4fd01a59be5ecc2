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
    // Saves a picture of the window among the test artefacts (test-artefacts/dialogs).
    static void screenshot(runtime::VisualObject& object, const std::string& name);
    // Runs `act` on the next response window of class `className` once it is open and its
    // queued events have run (the dialog's modal loop keeps running meanwhile).
    static void whenOpen(const std::string& className, std::function<void(runtime::Window&)> act);
};

}  // namespace dialogs_test
