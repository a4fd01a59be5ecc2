#include "authoring/windows/w_datawindow_zoom.h"

#include "authoring/core/pakomo.h"
#include "authoring/project/nv_create_setup.h"
#include "runtime/services/Text.h"
#include "standard/nv_winapi.h"

namespace pakomo {

using runtime::Args;
using runtime::Value;

w_datawindow_zoom::w_datawindow_zoom(std::string className) : w_ok_cancel(std::move(className)) {
    resize(2464, 1680);
    cb_2->setVisible(false);
    cb_1->move(823, 1492);
    dw_1 = addControl<runtime::DataWindow>("dw_1");
    dw_1->move(5, 0);
    dw_1->resize(2423, 1468);
    dw_1->setTabOrder(10);

    cb_1->extend("constructor", [this](Args) {
        fw_position_set_flags(*cb_1, align_hcenter);
        fw_position_set_bottom_marge(*cb_1, 24);
        return Value();
    });
    dw_1->extend("constructor", [this](Args) {
        fw_position_set_flags(*dw_1, nv_winapi::instance().ex_or(align_resize, align_hcenter));
        fw_position_set_width_marge(*dw_1, ii_marge);
        fw_position_set_height_marge(*dw_1, static_cast<int16_t>(cb_1->height() + ii_marge));
        fw_position_set_top_marge(*dw_1, 48);
        return Value();
    });
    extend("open", [this](Args) {
        s_pass& pass = app().g_str_pass;
        inv_nv = pass.nv.get(1);
        ids_datastore = pass.datastore.get(1);
        dw_1->setDataObject(pass.string.get(1));
        dw_1->store().insertRow(0);
        int16_t li_dw_w = 0, li_dw_h = 0, li_zoom = 100;
        std::string title = this->title();
        const bool lb_zoom = app().gnv_create_setup.as<nv_create_setup>()->fnv_get_zoom_args(*dw_1, li_dw_w, li_dw_h,
                                                                                             li_zoom, title);
        setTitle(title);
        resize(li_dw_w + 128, li_dw_h + 224 + cb_1->height());
        if (lb_zoom) dw_1->modify("datawindow.zoom=" + std::to_string(li_zoom));
        fw_center();
        return Value();
    });
    extend("ue_init", [this](Args) {
        dw_1->setFocus();
        return Value();
    });
}

std::string w_datawindow_zoom::fw_get_toptext(const Value& as_in) {
    std::string ls_text = as_in.isNull() ? std::string() : runtime::trim(as_in.toText());
    if (ls_text.empty())
        ls_text = "<Text with instructions for the user. You can enter the exact text in one of the following "
                  "Wizard-dialogs.>";
    return app().gnv_create_setup.as<nv_create_setup>()->fnv_evaluate_string(ls_text);
}

}  // namespace pakomo
