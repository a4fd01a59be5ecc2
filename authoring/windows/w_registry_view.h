#pragma once
// "Registry": browses the machine's registry and pastes the selected values of one key into the
// window that opened it (element 1 of `window` of g_str_pass), raising that window's
// ue_paste_from_regview once per value with the root code (1 HKEY_CLASSES_ROOT, 2
// HKEY_CURRENT_USER, 3 HKEY_LOCAL_MACHINE, 4 HKEY_USERS), the key below the root, the value's name,
// data and type code, and whether it is the first value pasted.
#include "authoring/windows/uo_registry_view.h"
#include "runtime/ui/Window.h"
#include "standard/u_cb_a.h"
#include "standard/w_ok_cancel.h"

namespace pakomo {

class w_registry_view : public w_ok_cancel {
public:
    w_registry_view();

    runtime::Ref<uo_registry_view> uo_1;
    runtime::Ref<u_cb_help> cb_3;
    runtime::Ref<runtime::Window> iw_calling_window;

private:
    void paste();
};

}  // namespace pakomo
