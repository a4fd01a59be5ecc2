#pragma once
// The properties of one file of a file group: whether it is the product's readme file, whether
// Setup makes a shortcut to it (and with which text) and whether it is a shared file. It edits
// row 1 of the caller's FILE row set (element 1 of `datastore` of g_str_pass) directly, through
// shared rows, and saves nothing; Cancel puts back what it found.
#include <cstdint>
#include <string>

#include "runtime/data/DataStore.h"
#include "standard/u_cb_a.h"
#include "standard/u_dw_create_setup_a.h"
#include "standard/w_dw_a.h"

namespace pakomo {

class w_file_properties : public w_dw_a {
public:
    w_file_properties();

    bool fw_validate() override;

    runtime::Ref<u_cb_help> cb_3;
    runtime::Ref<u_dw_create_setup_a> dw_1;
    runtime::Ref<u_cb_ok> cb_2;
    runtime::Ref<u_cb_cancel> cb_1;

    runtime::Value ii_orig_readme;
    runtime::Value ii_orig_shortcut;
    runtime::Value is_orig_text;
    runtime::Value orig_shared;  // Cancel puts the shared flag back too

private:
    runtime::Ref<runtime::Object> inv_popup;  // the edit popup, made at the first right click
};

}  // namespace pakomo
