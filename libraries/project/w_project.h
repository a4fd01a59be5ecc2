#pragma once
// The project window: the sheet in which a product is edited, opened by the frame for gi_prod_id.
// Opening it takes the product into editing (the chooser closes); closing it gives the product
// back, so the frame opens the chooser again. It shows the product's name, version, label and
// destination folder, saved through the project service's catalogue, and the parts (panes) that
// edit the product's other rows; one save writes them all and commits once. The product's form
// and each pane stand on a tab of their own, and the window opens maximised in the frame, so its
// tabs follow the frame's size; Save and Close stand beside the tabs.
#include <cstdint>
#include <string>
#include <vector>

#include "runtime/data/DataStore.h"
#include "runtime/ui/Controls.h"
#include "runtime/ui/Tab.h"
#include "libraries/project/uo_project_background.h"
#include "libraries/project/uo_project_pane.h"
#include "standard/w_dw_a.h"

namespace pakomo {

class w_project : public w_dw_a {
public:
    static constexpr int16_t help_topic = 41;
    // The help of the pages tab and of the background tab, while one of them is shown.
    static constexpr int16_t pages_help_topic = 42;
    static constexpr int16_t background_help_topic = 44;

    w_project();

    // Saves the product's row and commits; false (with a message) when nothing was saved.
    bool fw_save();
    // Whether the fields or a pane differ from what was saved.
    bool fw_is_modified() const;
    // Shows a popup of the context-menu object for `source`, whose entries' events this window
    // hands to it.
    void fw_show_popup(uo_project_pane& source, const std::string& as_popup);
    // The setup text (the title of Setup's background window) as the pages tab holds it.
    std::string fw_get_setuptext() const;
    void fw_set_setuptext(const std::string& as_text);
    // "&Text...": asks for the setup text; false when cancelled.
    bool fw_edit_setuptext();

    runtime::Ref<runtime::Tab> tab_panes;
    runtime::Ref<uo_a> uo_product;  // the product's form: the first tab
    runtime::Ref<runtime::StaticText> st_heading, st_prodname, st_prodvers, st_label, st_basepath, st_fullname;
    runtime::Ref<runtime::SingleLineEdit> sle_prodname, sle_prodvers, sle_label, sle_basepath;
    runtime::Ref<runtime::CommandButton> cb_save, cb_close;

    int16_t ii_prod_id = 0;
    runtime::Ref<runtime::DataStore> ids_products;  // shares the service's catalogue
    std::vector<runtime::Ref<uo_project_pane>> i_panes;
    runtime::Ref<uo_project_pane> i_popup_source;  // the pane whose context menu was shown last
    runtime::Ref<uo_project_background> i_background;  // Setup's background window

private:
    // Places a pane of class T on a tab of its own, after the tabs already there; a pane without a
    // heading takes the tab's text.
    template <class T>
    runtime::Ref<T> add_pane(const std::string& name, const std::string& tab_text) {
        runtime::Ref<T> pane = tab_panes->addPage<T>(name, tab_text);
        if (pane->fu_get_heading().empty()) pane->fu_set_heading(without_mnemonic(tab_text));
        i_panes.push_back(runtime::Ref<uo_project_pane>(pane.get()));
        return pane;
    }
    static std::string without_mnemonic(const std::string& as_text);
    bool fw_open_product();
    void fw_show_fullname();
    long product_row() const;
    bool report(const std::string& text);
    bool ib_editing = false;  // ue_start_edit was raised: ue_end_edit is owed
};

// Registers the project library's classes with the runtime's class registry, and its layouts.
void register_project_library();

}  // namespace pakomo
