#include "dialogs/DialogsFixture.h"

#include <QWidget>

#include <filesystem>

#include "support/TestEnvironment.h"
#include "support/runtime/UiDoubles.h"

namespace dialogs_test {

void DialogsFixture::screenshot(runtime::VisualObject& object, const std::string& name) {
    std::filesystem::path folder = testing_support::artefactFolder("dialogs");
    std::filesystem::create_directories(folder);
    object.widget()->grab().save(QString::fromStdString((folder / (name + ".png")).string()));
}

void DialogsFixture::whenOpen(const std::string& className, std::function<void(runtime::Window&)> act) {
    runtime::whenWindowOpen(className, std::move(act));
}

}  // namespace dialogs_test
