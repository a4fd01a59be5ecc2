#pragma once
// The project window: the sheet in which a product is edited, opened by the frame for gi_prod_id.
// Opening it takes the product into editing (the chooser closes); closing it gives the product
// back, so the frame opens the chooser again. It shows the product's name, version, label and
// destination folder and saves them through the project service's catalogue.
#include <cstdint>
#include <string>

#include "runtime/data/DataStore.h"
#include "runtime/ui/Controls.h"
#include "standard/w_a.h"

namespace pakomo {

class w_project : public w_a {
public:
    static constexpr int16_t help_topic = 41;

    w_project();

    // Saves the product's row and commits; false (with a message) when nothing was saved.
    bool fw_save();
    // Whether the fields differ from what was saved.
    bool fw_is_modified() const;

    runtime::Ref<runtime::StaticText> st_heading, st_prodname, st_prodvers, st_label, st_basepath, st_fullname;
    runtime::Ref<runtime::SingleLineEdit> sle_prodname, sle_prodvers, sle_label, sle_basepath;
    runtime::Ref<runtime::CommandButton> cb_save, cb_close;

    int16_t ii_prod_id = 0;
    runtime::Ref<runtime::DataStore> ids_products;  // shares the service's catalogue

private:
    bool fw_open_product();
    void fw_show_fullname();
    long product_row() const;
    bool report(const std::string& text);
    bool ib_editing = false;  // ue_start_edit was raised: ue_end_edit is owed
};

// Registers the project library's classes with the runtime's class registry, and its layouts.
void register_project_library();

}  // namespace pakomo
