#pragma once
// The ancestor of the modal dialogs: an OK button (Enter) and a Cancel button (Esc) that run
// the window ancestor's confirm and cancel.
#include <string>

#include "standard/u_cb_a.h"
#include "standard/w_a.h"

namespace pakomo {

class w_ok_cancel : public w_a {
public:
    explicit w_ok_cancel(std::string className = "w_ok_cancel");

    runtime::Ref<u_cb_ok> cb_1;
    runtime::Ref<u_cb_cancel> cb_2;
};

}  // namespace pakomo
