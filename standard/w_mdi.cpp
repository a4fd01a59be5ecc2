#include "standard/w_mdi.h"

#include "authoring/core/pakomo.h"
#include "runtime/ui/Controls.h"
#include "runtime/ui/Menu.h"

namespace pakomo {

w_mdi::w_mdi(std::string className, std::string menuName)
    : w_a_of(std::move(className)), is_menuname(std::move(menuName)) {
    using runtime::Args;
    using runtime::Value;
    resize(3301, 1592);
    runtime::setBackgroundColor(*this, 8421504);
    // The standard menu is registered by the menus; a frame without it has no menu bar.
    if (is_menuname == "m_a" && runtime::isClassRegistered("m_a")) {
        runtime::Ref<runtime::Menu> menu = runtime::createByName("m_a", this).as<runtime::Menu>();
        if (menu) setMenu(menu);
    }
    extend("open", [this](Args) {
        setTitle(app().g_str_pass.app_name);
        return Value();
    });
    extend("ue_init", [this](Args) {
        app().g_w_frame = runtime::Ref<w_mdi>(this);
        ii_open_sheets = 0;
        fw_set_microhelp(false);
        return Value();
    });
    on("ue_fileclose", [this](Args) {
        fw_dec_open_sheets();
        return Value();
    });
}

int16_t w_mdi::fw_inc_open_sheets() {
    ++ii_open_sheets;
    setToolbarVisible(false);
    return ii_open_sheets;
}

int16_t w_mdi::fw_dec_open_sheets() {
    // Never below 0: a count left negative would keep the toolbar hidden for good.
    if (ii_open_sheets > 0) --ii_open_sheets;
    if (ii_open_sheets == 0) setToolbarVisible(true);
    return ii_open_sheets;
}

}  // namespace pakomo
