#include "libraries/wizard/wizard_page.h"

#include "authoring/core/pakomo.h"
#include "authoring/menus/m_popups.h"

namespace pakomo {

using runtime::Value;

runtime::Ref<u_dw_create_setup_a> add_wizard_grid(w_dw_a& aw_page, const std::string& as_name,
                                                  const std::string& as_dataobject, int ai_width,
                                                  int ai_height) {
    runtime::Ref<u_dw_create_setup_a> grid =
        aw_page.addControl<u_dw_create_setup_a>(as_name, "u_dw_create_setup_a", as_dataobject);
    grid->resize(ai_width, ai_height);
    grid->store().setTransObject(&app().sqlca);
    return grid;
}

void select_clicked_row(runtime::DataWindow& adw_grid, runtime::Args a) {
    const long row = a.size() > 2 ? a[2].toInt() : 0;
    if (row > 0 && row <= adw_grid.rowCount()) adw_grid.setRow(row);
}

void show_wizard_popup(w_a& aw_page, const std::string& as_popup) {
    runtime::Ref<m_popups> menu = runtime::createByName("m_popups").as<m_popups>();
    if (!menu) return;
    menu->fm_set_parent(runtime::Ref<runtime::Object>(&aw_page));
    menu->setParentWindow(&aw_page);
    menu->item_named(as_popup).popMenu(aw_page.pointerX(), aw_page.pointerY());
    runtime::destroy(menu);
}

void delete_current_row(runtime::DataWindow& adw_grid) {
    const long row = adw_grid.getRow();
    if (row >= 1 && row <= adw_grid.rowCount()) adw_grid.store().deleteRow(row);
}

bool save_product_rows(runtime::DataStore& ads_rows, int16_t ai_prod_id) {
    for (long r = 1; r <= ads_rows.rowCount(); ++r)
        if (ads_rows.getItem(r, "prodid").isNull() || ads_rows.getItem(r, "prodid").toInt() != ai_prod_id)
            ads_rows.setItem(r, "prodid", Value(ai_prod_id));
    return ads_rows.update(false) == 1;
}

}  // namespace pakomo
