#pragma once
// The product chooser on the real project service and frame, with stand-ins for the outside
// libraries it creates by name (build, duplicate, wizard, summary) that note gi_prod_id and the
// action they were created with.
#include <string>
#include <vector>

#include "authoring/ProjectFixture.h"
#include "authoring/core/nv_message.h"
#include "authoring/menus/m_a.h"
#include "authoring/windows/w_choose_product.h"
#include "authoring/windows/w_mdi_frame.h"
#include "standard/register_standard.h"

namespace authoring_test {

inline std::vector<std::string>& created() {
    static std::vector<std::string> log;
    return log;
}

// Notes "<class> <gi_prod_id> <string[1]>" when created.
class OutsideLibrary : public pakomo::nv_a {
public:
    explicit OutsideLibrary(std::string name) : pakomo::nv_a(name) {
        const pakomo::pakomo& a = pakomo::app();
        created().push_back(name + " " + std::to_string(a.gi_prod_id) + " " + a.g_str_pass.string.get(1));
    }
};

class ChooserFixture : public ProjectFixture {
protected:
    void SetUp() override {
        ProjectFixture::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        pakomo::register_standard();
        pakomo::register_menus();
        pakomo::register_windows();
        for (const char* name : {"nv_build", "nv_duplicate", "nv_wizard", "w_summary"})
            runtime::registerClass(name, [n = std::string(name)] { return std::make_unique<OutsideLibrary>(n); });
        created().clear();
        application().g_str_pass.app_name = "Pakomo";
        application().gnv_message = runtime::create<pakomo::nv_message>();
        application().gnv_win32api = runtime::createByName("nv_winapi");
    }
    void TearDown() override {
        if (application().gnv_message) runtime::destroy(application().gnv_message);
        if (application().gnv_win32api) runtime::destroy(application().gnv_win32api);
        ProjectFixture::TearDown();
    }

    // Starts the service on the products in the database, opens the frame and the chooser.
    pakomo::w_choose_product& openChooser() {
        startService();
        frame = runtime::createByName("w_mdi_frame").as<pakomo::w_mdi_frame>();
        frame->open();
        core_test::settle();
        application().g_str_pass.string[1] = "choose_product";
        frame->post("ue_fileopen");
        core_test::settle();
        return chooser();
    }
    pakomo::w_choose_product& chooser() { return *frame->w_choose_product.as<pakomo::w_choose_product>(); }
    pakomo::u_lv_choose_product& list() { return *chooser().lv_choice; }

    std::vector<std::string> labels() {
        std::vector<std::string> out;
        for (int i = 1; i <= list().totalItems(); ++i) {
            runtime::ListViewItem item;
            list().getItem(i, item);
            out.push_back(item.label);
        }
        return out;
    }
    // Moves the selection as the keyboard does: no click.
    void select(int index) {
        for (int i = 1; i <= list().totalItems(); ++i) {
            runtime::ListViewItem item;
            list().getItem(i, item);
            item.selected = i == index;
            list().setItem(i, item);
        }
        chooser().post("ue_itemchanged");
        core_test::settle();
    }
    void click(const char* event, int index) {
        list().trigger(event, {index});
        core_test::settle();
    }
    std::vector<std::string> takeCreated() {
        std::vector<std::string> out;
        out.swap(created());
        return out;
    }

    runtime::Ref<pakomo::w_mdi_frame> frame;
};

}  // namespace authoring_test
