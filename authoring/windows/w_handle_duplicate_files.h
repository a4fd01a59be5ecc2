#pragma once
// "Duplicate files": lists every file whose path the product names more than once, numbered
// within each path, and lets the user remove the unwanted copies. Removing only takes the entry
// off the list and remembers the file's id; the files are deleted through the file-group service
// that opened the dialog when it closes, unless the user leaves with Cancel. Element 1 of
// `boolean` of g_str_pass reports whether anything was deleted.
#include <cstdint>

#include "authoring/project/nv_filegrp.h"
#include "authoring/project/u_ds_duplicate_files.h"
#include "runtime/ui/Controls.h"
#include "runtime/ui/ListView.h"
#include "standard/s_pass.h"
#include "standard/u_cb_a.h"
#include "standard/w_a.h"

namespace pakomo {

class w_handle_duplicate_files : public w_a {
public:
    w_handle_duplicate_files();

    void fw_set_cb_delete_status();

    runtime::Ref<u_cb_help> cb_3;
    runtime::Ref<runtime::StaticText> st_8;
    runtime::Ref<u_cb_cancel> cb_1;
    runtime::Ref<runtime::StaticText> st_7, st_6;
    runtime::Ref<runtime::Picture> p_1;
    runtime::Ref<runtime::StaticText> st_5, st_4, st_2, st_1;
    runtime::Ref<u_cb_close> cb_2;
    runtime::Ref<u_cb_a> cb_delete;
    runtime::Ref<runtime::ListView> lv_1;

    runtime::Ref<u_ds_duplicate_files> ids_dups;
    runtime::Ref<nv_filegrp> inv_filegrp;
    bool ib_retval = false;
    bool ib_window_is_closing = false;
    unbounded_array<int32_t> il_id_to_delete;
    int16_t ii_number_of_id_to_delete = 0;

private:
    void ue_delete();
    void fill_list();
};

}  // namespace pakomo
