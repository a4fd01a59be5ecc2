#pragma once
// The string-constant picker: lists every string variable a text of the current product may refer
// to, with its raw value; the chosen name goes to element 1 of g_str_pass.string.
#include "runtime/ui/DataWindow.h"
#include "standard/u_cb_a.h"
#include "standard/u_ds_choose_stringvar.h"
#include "standard/w_ok_cancel.h"

#include <string>

namespace pakomo {

class w_choose_stringvar : public w_ok_cancel {
public:
    w_choose_stringvar();

    runtime::Ref<runtime::DataWindow> dw_1;
    runtime::Ref<u_cb_help> cb_3;
    runtime::Ref<u_ds_choose_stringvar> ids_stringvar;

private:
    void select_only(long row);
};

}  // namespace pakomo
