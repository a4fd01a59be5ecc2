#pragma once
// The properties of one component of the product being edited: its name and description as
// Setup's component page shows them, its destination folder (string variables allowed, through
// the edit popup), the setup types that choose it, the component it requires, whether the page
// shows it and whether the user may change its folder. It edits one row of the project window's
// component rows and saves nothing: the window's Save writes it with the rest of the product.
// OK checks what was typed first; Cancel changes nothing.
#include <cstdint>
#include <string>
#include <vector>

#include "authoring/core/u_ds_create_setup_a.h"
#include "standard/u_cb_a.h"
#include "standard/u_checkbox_a.h"
#include "standard/u_ddlb_a.h"
#include "standard/u_gb_a.h"
#include "standard/u_mle_a.h"
#include "standard/u_sle_a.h"
#include "standard/u_st_a.h"
#include "standard/w_a.h"

namespace pakomo {

class w_proggrp_properties : public w_a {
public:
    static constexpr int16_t help_topic = 41;
    // The setup-type bits of a component (PROGGRP.SETUPTYPES).
    static constexpr int setuptype_normal = 1;
    static constexpr int setuptype_minimal = 2;
    static constexpr int setuptype_custom = 4;

    w_proggrp_properties();

    // Edits row `al_row` of `ads_proggrp`; call before opening.
    void fw_set_row(u_ds_create_setup_a& ads_proggrp, long al_row);
    bool fw_validate() override;

    runtime::Ref<u_st_a> st_name, st_descript, st_installpth, st_reqprogid;
    runtime::Ref<u_sle_a> sle_name, sle_installpth;
    runtime::Ref<u_mle_a> mle_descript;
    runtime::Ref<u_gb_a> gb_setuptypes;
    runtime::Ref<u_checkbox_a> cbx_normal, cbx_minimal, cbx_custom, cbx_visible, cbx_pathchange;
    runtime::Ref<u_ddlb_a> ddlb_reqprogid;
    runtime::Ref<u_cb_ok> cb_ok;
    runtime::Ref<u_cb_cancel> cb_cancel;

    runtime::Ref<u_ds_create_setup_a> ids_proggrp;
    long il_row = 0;
    std::vector<long> il_required_ids;  // the component id of each entry of ddlb_reqprogid

private:
    void fw_show_row();
    runtime::Ref<runtime::Object> inv_popup;  // the edit popup, made at the first right click
};

}  // namespace pakomo
