#pragma once
// The product wizard: created by the product chooser once element 1 of g_str_pass.string holds
// "new" or "existing" (then gi_prod_id names the product). It opens its window at creation; Finish
// saves the PRODUCT row through the project service's catalogue and the rows of the setup pages,
// with one COMMIT, and Finish or Cancel end the wizard by posting the chooser's ue_end_wizard,
// which frees it.
#include <cstdint>
#include <optional>
#include <string>

#include "authoring/core/nv_a.h"
#include "runtime/data/DataStore.h"
#include "runtime/Value.h"

namespace pakomo {

class nv_create_setup;
class w_product_wizard;

// What the wizard edits besides the PRODUCT row: one row of each single-row page table.
struct str_wizard_pages {
    bool welcome = true, license = true, userinfo = true, finished = true, proggroup = true;  // WINDOWS
    std::string title;                                                  // WMAIN
    int64_t bgcolor = 0;
    bool protect = true;                                                // WWELCOME
    std::string lictext;                                                // WLICAGR
    std::string userkey, usertext;                                      // WUSER
    std::string finaltext, choice1, choice2;                            // WFINISH
    bool restart = false;
    std::string groupname, grouptext;                                   // WCREGRP
    int64_t readmemode = 2;                                             // README
    std::string checktext;
    std::string progtext;                                               // PROGRESS
    bool showfile = true;
};

class nv_wizard : public nv_a {
public:
    nv_wizard();
    ~nv_wizard() override;

    // The pages of a new product.
    static str_wizard_pages fnv_default_pages();

    // Finish: checks the input, saves, ends the wizard. False (with a message) when nothing was
    // saved; the wizard stays open then.
    bool fnv_finish();
    // Checks what page ai_page holds; false (with a message, the page shown) when it is wrong.
    bool fnv_check_page(int ai_page);
    // Cancel: ends the wizard without saving.
    void fnv_cancel();

    std::string is_action;  // "new" or "existing"
    int16_t ii_prod_id = 0;  // the product of "existing"
    runtime::Ref<w_product_wizard> iw_wizard;
    runtime::Ref<runtime::DataStore> ids_products;  // shares the service's catalogue

private:
    void fnv_start();
    bool fnv_load_existing();
    void fnv_show(const runtime::DataStore& products, long row, const str_wizard_pages& pages);
    str_wizard_pages fnv_pages_from_window() const;
    bool fnv_check_input();
    bool fnv_save();
    bool fnv_save_pages(int16_t ai_prod_id, const str_wizard_pages& pages, bool ab_new);
    bool fnv_rename_existing(nv_create_setup& service);
    void fnv_end();
    void close_window();
    bool report(const std::string& text);
    long product_row(int16_t ai_prod_id) const;
};

// Registers the wizard library's classes with the runtime's class registry.
void register_wizard_library();

}  // namespace pakomo
