#pragma once
// The registry browser's body: the keys of the registry as a tree under its four roots, filled one
// level at a time as keys are opened, and the values of the selected key in a list beside it,
// where the user selects the values the browser pastes. Made for w_registry_view alone: every
// change of the list's selection is reported to that window's ue_items_selected.
//
// Each list item carries the number of its row in ids_reg_values: the list sorts by name, the rows
// keep the order of the value file.
#include <cstdint>
#include <string>

#include "authoring/windows/u_ds_registry_values.h"
#include "authoring/windows/uo_tv_master_detail.h"
#include "standard/s_pass.h"
#include "standard/u_lv_a.h"

namespace pakomo {

class uo_registry_view : public uo_tv_master_detail {
public:
    static constexpr int16_t reg_none = 0;
    static constexpr int16_t reg_sz = 1;
    static constexpr int16_t reg_expand_sz = 2;
    static constexpr int16_t reg_binary = 3;
    static constexpr int16_t reg_dword = 4;
    static constexpr int16_t reg_dword_big_endian = 5;
    static constexpr int16_t reg_link = 6;
    static constexpr int16_t reg_multi_sz = 7;
    static constexpr int16_t reg_resource_list = 8;
    static constexpr int16_t reg_full_resource_descriptor = 9;
    static constexpr int16_t reg_resource_requirements_list = 10;
    static constexpr int16_t reg_default = 255;

    explicit uo_registry_view(std::string className = "uo_registry_view");

    long fu_populate();
    long fu_populate_subkey(std::string ls_parentkey, long ll_parenthandle);
    std::string fu_get_full_key(long handle);
    int16_t fu_get_selected_values(unbounded_array<int32_t>& al_rows);
    // The row of ids_reg_values that the list item at `position` shows; 0 when there is none.
    long fu_get_row(int position) const;
    // RUXREG.DLL.
    bool reginfo(std::string& key, std::string& file);

    runtime::Ref<u_lv_a> lv_1;
    std::string is_full_key;
    runtime::Ref<u_ds_registry_values> ids_reg_values;

private:
    void ue_selectionchanged(long handle);
    // Whether the key has at least one subkey (a key that cannot be listed has none).
    bool has_subkeys(const std::string& key);
    // Imports the value file that reginfo wrote; the number of rows, negative when it failed.
    long import_values(std::string& file);
};

}  // namespace pakomo
