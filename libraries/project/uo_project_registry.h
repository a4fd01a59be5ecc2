#pragma once
// The product's registry entries in the project window: one row per value that Setup writes
// (component, root, key, value name, type, data), added, inserted and deleted through the
// registry context menu, or pasted from the machine's registry through the registry browser.
// Keys and value names the registry cannot hold are refused as they are typed and again before
// the save. The row logic is shared with the wizard's registry page.
#include <cstdint>
#include <string>

#include "libraries/project/uo_project_pane.h"
#include "runtime/ui/Controls.h"
#include "standard/u_dw_create_setup_a.h"

namespace pakomo {

class uo_project_registry : public uo_project_pane {
public:
    uo_project_registry();

    bool fu_load(int16_t ai_prod_id) override;
    bool fu_is_modified() const override;
    bool fu_validate() override;
    bool fu_save() override;
    void fu_saved() override;
    void fu_popup(const std::string& as_event) override;

    // Opens the registry browser for the window holding this pane, which hands each value it
    // pastes to fu_paste_from_regview.
    void fu_open_registry_view();
    // One pasted value: root code, key below the root, value name, data, type code.
    bool fu_paste_from_regview(int16_t ai_root, const std::string& as_key, const std::string& as_name,
                               const std::string& as_data, int16_t ai_type);
    // Offers the product's components, as the project window holds them now, in the component
    // column; an entry whose component is gone belongs to none.
    void fu_refresh_components();

    runtime::Ref<u_dw_create_setup_a> dw_regkeys;
    runtime::Ref<runtime::CommandButton> cb_registry;
    int16_t ii_prod_id = 0;

    // What the project window's pane and the wizard's registry page share.
    // Adds an entry before row `al_before` (0: at the end) of the component `al_component`, and
    // puts the cursor into its key; the new row.
    static long fu_insert_entry(u_dw_a& adw, int16_t ai_prod_id, long al_before, long al_component);
    // A pasted value as an entry; empty, or why it cannot be pasted (naming the value).
    static std::string fu_insert_pasted(u_dw_a& adw, int16_t ai_prod_id, long al_component, int16_t ai_root,
                                        const std::string& as_key, const std::string& as_name,
                                        const std::string& as_data, int16_t ai_type);
    // A notice when a pasted value holds "^", which Setup takes as the start of a string variable;
    // empty when it holds none.
    static std::string fu_caret_notice(int16_t ai_root, const std::string& as_key, const std::string& as_name,
                                       const std::string& as_data, int16_t ai_type);
    // Why row `al_row`'s entry cannot be written; empty when it can.
    static std::string fu_entry_problem(const runtime::DataStore& ads, long al_row);
    // Why `as_text`, typed into column `as_column` of row `al_row`, is refused; empty when not.
    static std::string fu_typed_problem(const runtime::DataStore& ads, long al_row,
                                        const std::string& as_column, const std::string& as_text);
    // Checks every row; on a problem puts the cursor on it, shows the message and answers false.
    static bool fu_check_entries(u_dw_a& adw, const std::string& as_title);
    // Fills the component column's list: (none) and the components of `ads_proggrp`.
    static void fu_fill_components(u_dw_a& adw, const runtime::DataStore* ads_proggrp);
    // A right-click (rbuttondown's arguments) on a text column of a row shows the edit popup with
    // its string variables for window `aw_window`; true when it did.
    static bool fu_show_edit_popup(u_dw_a& adw, runtime::Window& aw_window, runtime::Args a);
    // Fits the columns into the list's width: the component, root and type as wide as their
    // texts, the key, value name and data sharing the rest.
    static void fu_fit_columns(u_dw_a& adw);
    // Refuses a typed key, value name or data at once (itemchanged), the message shown after.
    static void fu_refuse_typed_names(u_dw_a& adw, runtime::Object& message_target,
                                      const std::string& as_title);

private:
    long fu_current_component() const;
    runtime::Ref<runtime::DataStore> ids_components;  // read when the window holds no component pane
};

}  // namespace pakomo
