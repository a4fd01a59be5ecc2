#pragma once
// The list-view ancestors: u_lv_a finds its window; u_lv_create_setup_a is the list view of the
// program's own windows; u_lv_fileview_a is the file list of a file group, sorted by a click on
// a column heading, renamed in place and deleted through the file-group service.
//
// The file-group service is an outside library's object: its functions are raised on it by
// name, the list itself passed as its handle. An item's data is a str_listviewsort record.
#include <cstdint>
#include <string>

#include "authoring/core/nv_a.h"
#include "runtime/ui/ListView.h"
#include "standard/w_a.h"

namespace pakomo {

class u_lv_a : public runtime::ListView {
public:
    explicit u_lv_a(std::string className = "u_lv_a");
    void fu_set_parent_window();

    runtime::Ref<w_a> iw_parent;
};

class u_lv_create_setup_a : public u_lv_a {
public:
    explicit u_lv_create_setup_a(std::string className = "u_lv_create_setup_a");
};

class u_lv_fileview_a : public u_lv_a {
public:
    explicit u_lv_fileview_a(std::string className = "u_lv_fileview_a");

    void fu_delete_item(int16_t index);
    void fu_set_columns(int16_t ai_width1, int16_t ai_width2, int16_t ai_width3);

    runtime::Ref<nv_a> inv_filegrp;
    bool ib_update_view = false;
    int16_t ii_column_sort = 0;
    int16_t ii_sort_type = 1;
};

}  // namespace pakomo
