#pragma once
// The project window's components and files: a tree of the product's components with their file
// groups, and the files of the file group chosen in it. The tree's context menu adds components
// and file groups, deletes them and moves a file group to another component (cut, paste); the
// file list's menu adds files, deletes them, marks them shared or not and shows their properties.
// Components and file groups are renamed in the tree itself (F2, or a click on the chosen item);
// a component's other properties are set in its properties form (a double click, or Properties).
#include <cstdint>
#include <string>
#include <vector>

#include "authoring/core/u_ds_create_setup_a.h"
#include "authoring/project/nv_filegrp.h"
#include "authoring/project/nv_proggrp.h"
#include "libraries/project/uo_project_pane.h"
#include "standard/u_lv_a.h"
#include "standard/u_tv_a.h"

namespace pakomo {

class uo_project_files : public uo_project_pane {
public:
    // Pictures of the tree.
    static constexpr int16_t picture_component = 1;
    static constexpr int16_t picture_filegrp = 2;

    explicit uo_project_files(std::string className = "uo_project_files");
    ~uo_project_files() override;

    bool fu_load(int16_t ai_prod_id) override;
    bool fu_is_modified() const override;
    bool fu_validate() override;
    bool fu_save() override;
    void fu_saved() override;
    void fu_popup(const std::string& as_event) override;

    // Fills the tree from the row sets, keeping the file group `al_select_filegrp` chosen (0: none).
    void fu_populate_tree(long al_select_filegrp = 0);
    // The component (level 1) or file group (level 2) of the chosen tree item: its level and id.
    int fu_selected(long& al_id) const;
    // Opens the properties form of component `al_id`; true when it changed the component.
    bool fu_component_properties(long al_id);

    // What keeps component row `al_row` from being saved as named `as_name` and requiring
    // component `al_required` (0: none): a message naming the field, or "" when nothing does.
    static std::string fu_component_error(runtime::DataStore& ads_proggrp, long al_row, const std::string& as_name,
                                          long al_required);
    // The same for file group row `al_row` of `ads_filegrp` named `as_name`.
    static std::string fu_filegrp_error(runtime::DataStore& ads_filegrp, long al_row, const std::string& as_name);

    // Size and modified as wide as their texts, or as the user left them; name and folder share
    // the rest of the list's width, so that nothing needs scrolling sideways.
    void fu_fit_columns();

    runtime::Ref<u_tv_a> tv_project;
    runtime::Ref<u_lv_fileview_a> lv_files;
    runtime::Ref<runtime::StaticText> st_info;
    runtime::Ref<runtime::CommandButton> cb_properties;
    runtime::Ref<u_ds_create_setup_a> ids_proggrp, ids_regkeys, ids_filegrp, ids_file;
    runtime::Ref<nv_filegrp> inv_filegrp;
    runtime::Ref<nv_proggrp> inv_proggrp;
    long il_cut_filegrp = 0;  // the file group waiting to be pasted into another component

private:
    void show_files(long al_filegrp);
    std::vector<int16_t> ii_widths;  // name, size and modified as the user left them, in units
    std::vector<int> ii_fitted;      // the pixel widths the last fit gave the first three columns
    long filegrp_row(long al_id) const;
    long proggrp_row(long al_id) const;
    void select_item(char kind, long al_id);  // 'c' a component, 'g' a file group
    // A name typed in the tree: 1 keeps the item's label (the script may have set another).
    int label_edited(long al_handle, const std::string& as_label);
    std::string new_name(u_ds_create_setup_a& ads, const std::string& as_base) const;
};

}  // namespace pakomo
