#pragma once
// The product chooser: the sheet that lists every product under "New product", from which a
// product is opened, made or reworked in the wizard, built, tested, duplicated, summarised or
// deleted. It holds no product data of its own: its row set shares the project service's
// catalogue, and the list loads the product last clicked into the service.
#include <cstdint>
#include <string>

#include "authoring/core/nv_a.h"
#include "authoring/core/u_ds_all_products.h"
#include "authoring/windows/u_lv_choose_product.h"
#include "standard/u_cb_a.h"
#include "standard/w_a.h"

namespace pakomo {

class w_choose_product : public w_a {
public:
    w_choose_product();

    void fw_refresh();
    void fw_populate_treeview();
    // Whether a project window has the product open.
    bool fw_is_edited(int16_t ai_prod_id) const;

    runtime::Ref<u_lv_choose_product> lv_choice;
    runtime::Ref<u_cb_ok> cb_ok;

    runtime::Ref<u_ds_all_products> ids_all_products;
    int16_t ii_products = 0;
    runtime::Ref<nv_a> inv_wizard;

private:
    void ue_itemchanged();
    void ue_choice_made(const runtime::Value& ai_prod_id);
    void ue_start_wizard(const std::string& as_action);
    void ue_delete_product(const runtime::Value& ai_prod_id);
    void ue_test(const runtime::Value& ai_prod_id);
    // Builds, duplicates or summarises with gi_prod_id set to the product for the call only.
    std::string product_label(const runtime::Value& ai_prod_id) const;
    void with_product(const runtime::Value& ai_prod_id, const char* className);
};

}  // namespace pakomo
