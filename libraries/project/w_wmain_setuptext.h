#pragma once
// The setup text: the title of Setup's background window, with string variables through the
// edit popup. Opened by the project window with the title in string[1] of the parameter record;
// OK returns the typed title there with button_clicked 1, Cancel leaves it with 2.
#include <cstdint>

#include "standard/u_sle_a.h"
#include "standard/u_st_a.h"
#include "standard/w_ok_cancel.h"

namespace pakomo {

class w_wmain_setuptext : public w_ok_cancel {
public:
    static constexpr int16_t help_topic = 44;

    w_wmain_setuptext();

    runtime::Ref<u_st_a> st_title;
    runtime::Ref<u_sle_a> sle_title;

private:
    runtime::Ref<runtime::Object> inv_popup;  // the edit popup, made at the first right click
};

}  // namespace pakomo
