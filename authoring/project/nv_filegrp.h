#pragma once
// The file-group service: the data operations on a product's file groups and files for the
// windows that edit them. It owns no rows: its user hands over its own FILE and FILEGRP row sets
// with fnv_init, and every insertion, change and deletion lands in those at once; only
// fnv_update_filegrp saves (the file groups). It also finds duplicate files, supports the file
// list view (filling, pictures, sorting, totals, renaming) and carries out the file actions.
//
// The file list and the other libraries raise fnv_sort_lv, fnv_filename_changed and
// fnv_delete_file on it by name; the list is passed as its handle.
#include <cstdint>
#include <string>
#include <unordered_map>

#include "authoring/core/nv_a.h"
#include "authoring/core/u_ds_create_setup_a.h"
#include "runtime/ui/Controls.h"
#include "runtime/ui/ListView.h"
#include "standard/nv_winapi.h"
#include "standard/u_lv_a.h"

namespace pakomo {

class u_ds_duplicate_files;

class nv_filegrp : public nv_a {
public:
    static constexpr int16_t action_delete = 1;
    static constexpr int16_t action_dragdrop = 2;
    static constexpr int16_t action_properties = 3;
    static constexpr int16_t action_all_shared = 4;
    static constexpr int16_t action_all_not_shared = 5;

    nv_filegrp();

    // File groups and files.
    int16_t fnv_update_filegrp();
    bool fnv_delete_filegrp(long al_id);
    bool fnv_delete_file(long al_id);
    long fnv_find_filegrp_row(long id);
    long fnv_find_file_row(long id);
    long fnv_insert_file(const std::string& as_path, long al_filegrp_id);
    void fnv_init(u_ds_create_setup_a& ads_file, u_ds_create_setup_a& ads_filegrp);
    long fnv_insert_filegrp(const std::string& as_name);
    long fnv_insert_filegrp(const std::string& as_name, long al_proggrpid);
    bool fnv_add_file(long al_handle, long al_filegrp_id);

    // Duplicate files.
    bool fnv_handle_duplicate_files(bool ab_from_menu);
    long fnv_get_duplicate_files(u_ds_duplicate_files& ads_dups);

    // The file list.
    void fnv_show_file_info(u_lv_a& alv_lv, runtime::StaticText& ast_st);
    long fnv_sort_lv(u_lv_a& alv_lv, int16_t index1, int16_t index2, int16_t column, int16_t sorttype);
    void fnv_set_file_pictures(u_lv_a& alv_lv);
    void fnv_file_action(u_lv_a& alv_lv, int16_t action, long al_filegrp_id);
    str_fileinfo fnv_set_lvitemdata(runtime::ListViewItem& alv_item, long al_id, const std::string& as_file);
    void fnv_populate_fileview(u_lv_a& alv_lv, long al_filegrp_id);
    bool fnv_filename_changed(u_lv_a& alv_lv, int16_t ai_index, const std::string& as_name);

    runtime::Ref<u_ds_create_setup_a> ids_file;
    runtime::Ref<u_ds_create_setup_a> ids_filegrp;

private:
    // The row sets; the host's null-object error before fnv_init.
    u_ds_create_setup_a& file() const;
    u_ds_create_setup_a& filegrp() const;
    long new_id(u_ds_create_setup_a& ads) const;
    // The id given by the last insertion into a row set and its change stamp right after: while
    // the stamp is unchanged that id is still the highest, and the next insertion needs no walk
    // over the rows.
    struct last_id {
        uint64_t stamp = 0;
        long id = 0;
    };
    long next_id(u_ds_create_setup_a& ads, const last_id& last) const;
    last_id i_last_file_id, i_last_filegrp_id;

    // How often each path occurs among the FILE rows, as the duplicate search compares them, for
    // the rows as they were at il_paths_stamp: whether there are duplicates is known without
    // sorting, and files added through the dialog are counted one by one.
    bool has_duplicate_paths();
    void count_path(const std::string& as_path);
    std::unordered_map<std::string, long> i_path_counts;
    long il_duplicated_paths = 0;  // paths that occur more than once
    uint64_t il_paths_stamp = 0;   // the FILE rows' change stamp the counts belong to (0: none)
};

}  // namespace pakomo
