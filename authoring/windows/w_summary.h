#pragma once
// The summary of one product: each component with its file groups, the number of files of every
// file group and the bytes they occupy, with sub-totals per component and totals for the product,
// ready to print. It reads the product's rows through the project library's row sets and changes
// nothing.
#include <string>

#include "authoring/core/u_ds_a.h"
#include "runtime/ui/DataWindow.h"
#include "standard/u_cb_print.h"
#include "standard/w_ok_cancel.h"

namespace pakomo {

class w_summary : public w_ok_cancel {
public:
    w_summary();

    // Fills dw_1 with one row per file group, or per component without file groups.
    void fw_populate_dw();

    runtime::Ref<runtime::DataWindow> dw_1;
    runtime::Ref<u_cb_print> cb_3;

    runtime::Ref<u_ds_a> ids_product;
    runtime::Ref<u_ds_a> ids_proggrp;
    runtime::Ref<u_ds_a> ids_filegrp;
    runtime::Ref<u_ds_a> ids_file;
};

}  // namespace pakomo
