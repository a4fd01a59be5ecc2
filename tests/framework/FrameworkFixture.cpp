#include "framework/FrameworkFixture.h"

#include <QWidget>

#include <filesystem>

#include "support/runtime/WidgetChecks.h"
#include "runtime/core/Object.h"
#include "standard/register_standard.h"
#include "support/TestEnvironment.h"

namespace framework_test {

void FrameworkFixture::SetUp() {
    CoreFixture::SetUp();
    pakomo::register_standard();
    application().gnv_win32api = runtime::create<pakomo::nv_winapi>();
}

void FrameworkFixture::TearDown() {
    CoreFixture::TearDown();
}

void FrameworkFixture::saveScreenshot(QWidget* widget, const std::string& name) {
    std::filesystem::path folder = testing_support::artefactFolder("framework");
    std::filesystem::create_directories(folder);
    EXPECT_EQ(runtime::clippedTexts(widget), std::vector<std::string>{}) << "texts cut on " << name;
    EXPECT_EQ(runtime::accessKeyClashes(widget), std::vector<std::string>{}) << "access keys shared on " << name;
    widget->grab().save(QString::fromStdString((folder / (name + ".png")).string()));
}

}  // namespace framework_test
