#include "dialogs/DialogsFixture.h"

#include <QWidget>

#include <filesystem>

#include "support/runtime/WidgetChecks.h"
#include "support/TestEnvironment.h"
#include "support/runtime/UiDoubles.h"

namespace dialogs_test {
namespace {
int g_pendingActs = 0;
}  // namespace

void DialogsFixture::SetUp() {
    FrameworkFixture::SetUp();
    g_pendingActs = 0;
    owner_ = runtime::create<runtime::Window>("w_owner");
    owner_->open();
}

void DialogsFixture::TearDown() {
    EXPECT_EQ(g_pendingActs, 0) << "a dialog the test waited for did not stay open for it";
    if (owner_) owner_->close();
    FrameworkFixture::TearDown();
}

void DialogsFixture::screenshot(runtime::VisualObject& object, const std::string& name) {
    std::filesystem::path folder = testing_support::artefactFolder("dialogs");
    std::filesystem::create_directories(folder);
    // The font chooser's sample shows a large size cut by its box, as the user chose it.
    std::vector<std::string> cut = runtime::clippedTexts(object.widget());
    std::erase(cut, std::string("QLabel: The quick brown fox jumps over the lazy dog."));
    EXPECT_EQ(cut, std::vector<std::string>{}) << "texts cut on " << name;
    EXPECT_EQ(runtime::accessKeyClashes(object.widget()), std::vector<std::string>{}) << "access keys shared on " << name;
    object.widget()->grab().save(QString::fromStdString((folder / (name + ".png")).string()));
}

void DialogsFixture::whenOpen(const std::string& className, std::function<void(runtime::Window&)> act) {
    ++g_pendingActs;
    runtime::whenWindowOpen(className, [act = std::move(act)](runtime::Window& w) {
        --g_pendingActs;
        act(w);
    });
}

int DialogsFixture::pendingActs() { return g_pendingActs; }

}  // namespace dialogs_test
