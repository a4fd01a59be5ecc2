// The wizard and the project window with the program's own chooser and frame: a product made in
// the wizard shows in the chooser's list, opens in the project window, and a rename there shows
// in the chooser that comes back; reworking a product from the list's context menu.
#include <QMainWindow>

#include "EditingFixture.h"
#include "authoring/ChooserFixture.h"

namespace {

using authoring_test::ChooserFixture;
using pakomo::w_product_wizard;

class WizardFromChooserTest : public ChooserFixture {
protected:
    void SetUp() override {
        ChooserFixture::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        pakomo::register_wizard_library();
        pakomo::register_project_library();
        pakomo::register_project();
        // The project window's data windows register their string-variable columns with it.
        application().gnv_regobjects = runtime::createByName("nv_regobjects").as<pakomo::nv_a>();
    }
    void TearDown() override {
        if (application().gnv_regobjects) runtime::destroy(application().gnv_regobjects);
        ChooserFixture::TearDown();
    }
    w_product_wizard& wizard() { return *chooser().inv_wizard.as<pakomo::nv_wizard>()->iw_wizard; }
};

TEST_F(WizardFromChooserTest, ANewProductShowsInTheListOpensAndComesBackRenamed) {
    openChooser();
    EXPECT_EQ(labels(), std::vector<std::string>{"New product"});
    click("doubleclicked", 1);  // "New product" starts the wizard
    ASSERT_TRUE(chooser().inv_wizard.isValid());
    wizard().sle_prodname->setText("Alpha");
    wizard().sle_label->setText("Home");
    wizard().cb_finish->click();
    core_test::settle();
    EXPECT_FALSE(chooser().inv_wizard.isValid());
    EXPECT_EQ(labels(), (std::vector<std::string>{"New product", "Alpha 1.00.00 Home"}));

    click("doubleclicked", 2);  // opens the product: the chooser gives way to the project window
    ASSERT_TRUE(frame->w_project.isValid());
    EXPECT_FALSE(frame->w_choose_product.isValid());
    auto& project = *frame->w_project.as<pakomo::w_project>();
    EXPECT_EQ(project.sle_prodname->text(), "Alpha");
    EXPECT_EQ(frame->fw_number_of_open_sheets(), 1);
    project.sle_prodvers->setText("2.0");
    project.cb_save->click();
    editing_test::screenshot(frame->mainWidget(), "project_window_in_frame");
    project.cb_close->click();
    core_test::settle();

    ASSERT_TRUE(frame->w_choose_product.isValid());
    EXPECT_EQ(labels(), (std::vector<std::string>{"New product", "Alpha 2.0 Home"}));
    EXPECT_EQ(frame->fw_number_of_open_sheets(), 1);
    EXPECT_EQ(application().gi_prod_id, 0);
}

TEST_F(WizardFromChooserTest, TheListsWizardEntryReworksTheProductAndCancelLeavesItAsItWas) {
    executeSql({productRow(3, "Beta", "1", "Empty")});
    openChooser();
    for (bool finish : {false, true}) {
        SCOPED_TRACE(finish);
        click("clicked", 2);
        list().trigger("ue_popup_wizard");
        core_test::settle();
        ASSERT_TRUE(chooser().inv_wizard.isValid());
        EXPECT_EQ(wizard().sle_prodname->text(), "Beta");
        wizard().sle_label->setText("Gold");
        (finish ? wizard().cb_finish : wizard().cb_cancel)->click();
        core_test::settle();
        EXPECT_FALSE(chooser().inv_wizard.isValid());
        EXPECT_EQ(labels(), (std::vector<std::string>{"New product", finish ? "Beta 1 Gold" : "Beta 1 Empty"}));
    }
}

}  // namespace
