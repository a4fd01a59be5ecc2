#pragma once
// The product chooser's list: "New product" (data 0) and one item per product (its id). A mouse
// click makes an item the current product and loads its rows into the project service; the
// keyboard moves only the selection. Its ue_popup_* events, raised by the chooser's menu and by
// its own context menu, hand each command with the current product's id to the chooser.
#include <cstdint>

#include "runtime/ui/ListView.h"
#include "standard/u_lv_a.h"

namespace pakomo {

class u_lv_choose_product : public u_lv_create_setup_a {
public:
    u_lv_choose_product();

    int16_t fu_get_prod_id() const { return ii_current_prod_id; }
    void fu_set_prod_id(runtime::Value index);

    int16_t ii_current_prod_id = 0;
    runtime::ListViewItem ilvi_item;

private:
    void raise_on_chooser(const char* event);
    void show_popup();
};

}  // namespace pakomo
