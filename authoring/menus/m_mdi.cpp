#include "authoring/menus/m_mdi.h"

#include "authoring/core/pakomo.h"
#include "authoring/menus/m_choose_product.h"
#include "authoring/menus/m_popups.h"

namespace pakomo {

m_mdi::m_mdi(std::string className) : m_a(std::move(className)) {
    runtime::Menu& open = item_named("m_openen");
    open.setVisible(true);
    open.setText("&Open productselection\tCtrl+O");
    open.setMicroHelp("Open the productselection window");
    item_named("m_-2").setVisible(true);
    // The frame's ue_fileopen is queued by the standard handler: it reads the value set here.
    open.extend("clicked", [](runtime::Args) {
        app().g_str_pass.string[1] = "choose_product";
        return runtime::Value();
    });
}

void register_menus() {
    runtime::registerClass<m_a>("m_a");
    runtime::registerClass<m_mdi>("m_mdi");
    runtime::registerClass<m_choose_product>("m_choose_product");
    runtime::registerClass<m_popups>("m_popups");
}

}  // namespace pakomo
