#include "authoring/windows/u_lv_choose_product.h"

#include "authoring/core/nv_message.h"
#include "authoring/core/pakomo.h"
#include "authoring/menus/m_popups.h"
#include "standard/w_mdi.h"

namespace pakomo {

u_lv_choose_product::u_lv_choose_product() : u_lv_create_setup_a("u_lv_choose_product") {
    using runtime::Args;
    using runtime::Value;
    const std::pair<const char*, const char*> commands[] = {
        {"ue_popup_open", "ue_choice_made"},     {"ue_popup_wizard", "ue_start_wizard_existing"},
        {"ue_popup_build", "ue_build"},          {"ue_popup_summary", "ue_summary"},
        {"ue_popup_test", "ue_test"},            {"ue_popup_duplicate", "ue_duplicate"},
    };
    for (auto [event, chooserEvent] : commands)
        on(event, [this, chooserEvent](Args) { return raise_on_chooser(chooserEvent), Value(); });
    on("ue_popup_delete", [this](Args) {
        if (app().gnv_message->fnv_display_message(1, ilvi_item.label) == 1) raise_on_chooser("ue_delete_product");
        return Value();
    });
    on("clicked", [this](Args a) { return fu_set_prod_id(a.empty() ? Value() : a[0]), Value(); });
    on("doubleclicked", [this](Args a) {
        const Value index = a.empty() ? Value() : a[0];
        fu_set_prod_id(index);
        if (!index.isNull() && index.toInt() > 0) raise_on_chooser("ue_choice_made");
        return Value();
    });
    on("rightclicked", [this](Args a) {
        fu_set_prod_id(a.empty() ? Value() : a[0]);
        show_popup();
        return Value();
    });
}

// The runtime reports a click outside the items as 0.
void u_lv_choose_product::fu_set_prod_id(runtime::Value index) {
    if (index.isNull() || index.toInt() <= 0) return;
    const int i = static_cast<int>(index.toInt());
    if (getItem(i, ilvi_item) != 1) return;
    ii_current_prod_id = static_cast<int16_t>(ilvi_item.data.toInt());
    if (i != 1) {
        app().gnv_create_setup->trigger("fnv_retrieve_product_stringtable", {int{ii_current_prod_id}});
        app().gnv_create_setup->trigger("fnv_retrieve_proggrp_stringtable", {int{ii_current_prod_id}});
    }
}

void u_lv_choose_product::raise_on_chooser(const char* event) {
    if (!iw_parent) throw runtime::RuntimeError("Null object reference: the list has no chooser");
    iw_parent->post(event, {int{ii_current_prod_id}});
}

void u_lv_choose_product::show_popup() {
    runtime::Ref<m_popups> menu = runtime::createByName("m_popups").as<m_popups>();
    runtime::Menu& popup = menu->item_named("m_popup_treeview");
    if (ii_current_prod_id == 0)
        for (const char* entry : {"m_verwijderen", "m_wizard", "m_dupliceren", "m_compileren", "m_samenvatting", "m_testen"})
            menu->item_named(entry).disable();
    menu->fm_set_parent(runtime::Ref<runtime::Object>(this));
    int x = 0, y = 0;
    if (w_mdi* frame = app().g_w_frame.get()) x = frame->pointerX(), y = frame->pointerY();
    popup.popMenu(x, y);
    // The chosen entry has queued its event on the list: the menu is not needed any more.
    runtime::destroy(menu);
}

}  // namespace pakomo
