#pragma once
// The project window of product 1 open in a frame on one of its tabs, and what Setup's reader finds
// in a build of what the window saved. Each test fills the database (and machine) before
// openFrame().
#include <string>
#include <utility>

#include "EditingFixture.h"
#include "e2e/E2eSupport.h"
#include "installer/logic/SetupInfo.h"
#include "libraries/build/ProjectReader.h"

namespace editing_test {

template <class Pane>
class ProjectTabFixture : public EditingFixture {
protected:
    // `paneName`: the tab's control in the project window; `shown`: open() brings the tab forward,
    // so that it is used as the user sees it.
    ProjectTabFixture(std::string paneName, bool shown) : paneName_(std::move(paneName)), shown_(shown) {}

    // Starts the project service and opens the frame.
    void openFrame() {
        startService();
        frame = runtime::create<Frame>();
        frame->open();
        core_test::settle();
    }
    void TearDown() override {
        closeWindows();
        EditingFixture::TearDown();
    }
    void closeWindows() {
        if (project) runtime::destroy(project);
        if (frame) runtime::destroy(frame);
    }
    // Opens product 1's project window in the frame and finds the tab's pane.
    void open() {
        project = openProject(*frame, 1);
        ASSERT_TRUE(project.isValid());
        pane = runtime::Ref<Pane>(dynamic_cast<Pane*>(project->findControl(paneName_)));
        ASSERT_TRUE(pane.isValid());
        if (!shown_) return;
        project->tab_panes->selectTab(project->tab_panes->indexOf(*pane));
        core_test::settle();
    }
    // Product 1 as saved, built, and read back by Setup's reader.
    setup::SetupInfo built() {
        pakomo::ProjectProduct read = pakomo::read_project_product(application().sqlca, 1, machine);
        EXPECT_TRUE(read.ok()) << read.error;
        e2e::Built discs(read.product);
        auto parsed = setup::ParseSetupInfo(testing_support::readBytes(discs.disc(1) / "SetupInfo.RUX"));
        EXPECT_TRUE(parsed.info.has_value()) << parsed.detail;
        return parsed.info ? *parsed.info : setup::SetupInfo{};
    }

    runtime::Ref<Frame> frame;
    runtime::Ref<pakomo::w_project> project;
    runtime::Ref<Pane> pane;

private:
    std::string paneName_;
    bool shown_;
};

}  // namespace editing_test
