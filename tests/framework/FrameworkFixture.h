#pragma once
// The framework's tests: the authoring program's shared fixture with the system-call wrapper in
// place, a recorded help seam, and helpers to open windows and take screenshots.
#include <string>

#include "core/CoreFixture.h"
#include "runtime/ui/Window.h"
#include "standard/nv_winapi.h"

namespace framework_test {

class FrameworkFixture : public core_test::CoreFixture {
protected:
    void SetUp() override;
    void TearDown() override;

    // Saves a picture of a widget among the test artefacts (test-artefacts/framework).
    static void saveScreenshot(QWidget* widget, const std::string& name);
};

}  // namespace framework_test
