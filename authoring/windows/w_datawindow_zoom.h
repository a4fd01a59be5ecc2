#pragma once
// The ancestor of the page previews: shows one page layout (named by the opener) with one empty
// row, reduced by zoom when it is larger than the design area, the window sized to it and
// centred, with an OK button; and the page's instruction text with its string variables expanded.
#include "authoring/core/nv_a.h"
#include "authoring/core/u_ds_a.h"
#include "runtime/ui/DataWindow.h"
#include "standard/w_ok_cancel.h"

#include <string>

namespace pakomo {

class w_datawindow_zoom : public w_ok_cancel {
public:
    explicit w_datawindow_zoom(std::string className = "w_datawindow_zoom");

    static constexpr int16_t ii_marge = 96;
    runtime::Ref<runtime::DataWindow> dw_1;
    runtime::Ref<u_ds_a> ids_datastore;
    runtime::Ref<nv_a> inv_nv;

    std::string fw_get_toptext(const runtime::Value& as_in);
};

}  // namespace pakomo
