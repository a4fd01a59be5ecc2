#include "authoring/project/nv_proggrp.h"

#include "authoring/core/nv_message.h"
#include "authoring/core/pakomo.h"

#include <vector>

namespace pakomo {
namespace {

using runtime::Value;

// A reference column equals an id only when it has a value.
bool refers(const Value& v, long id) { return !v.isNull() && v.toInt() == id; }

}  // namespace

nv_proggrp::nv_proggrp() : nv_a("nv_proggrp") {}

long nv_proggrp::fnv_find_proggrp_row(long al_id, u_ds_create_setup_a& ads_proggrp) {
    return ads_proggrp.find("id = " + std::to_string(al_id), 1, ads_proggrp.rowCount());
}

bool nv_proggrp::fnv_delete_proggrp(Value al_id, u_ds_create_setup_a& ads_proggrp, u_ds_create_setup_a& ads_regkeys,
                                    u_ds_create_setup_a& ads_filegrp) {
    if (al_id.isNull() || al_id.toInt() <= 0) return false;
    const long id = static_cast<long>(al_id.toInt());
    const std::string ls_id = std::to_string(id);
    ads_proggrp.fu_set_filter("");

    // Subcomponents first, each with its own; detached before, so that it is not found again.
    for (long row = ads_proggrp.find("proggrpid = " + ls_id, 1, ads_proggrp.rowCount()); row > 0;
         row = ads_proggrp.find("proggrpid = " + ls_id, 1, ads_proggrp.rowCount())) {
        ads_proggrp.setItem(row, "proggrpid", Value(0));
        fnv_delete_proggrp(ads_proggrp.getItem(row, "id"), ads_proggrp, ads_regkeys, ads_filegrp);
    }
    for (long row = 1; row <= ads_proggrp.rowCount(); ++row)
        if (refers(ads_proggrp.getItem(row, "reqprogid"), id)) ads_proggrp.setItem(row, "reqprogid", Value(0));
    for (long row = 1; row <= ads_regkeys.rowCount(); ++row)
        if (refers(ads_regkeys.getItem(row, "proggrpid"), id)) ads_regkeys.setItem(row, "proggrpid", Value(0));

    // A component without a row (or already deleted through a loop of parents) deletes nothing
    // else: row 0 would be another component's.
    if (const long own = fnv_find_proggrp_row(id, ads_proggrp); own > 0) ads_proggrp.deleteRow(own);

    ads_filegrp.fu_set_filter("proggrpid = " + ls_id);
    const long groups = ads_filegrp.rowCount();
    for (long row = 1; row <= groups; ++row) ads_filegrp.setItem(row, "proggrpid", Value(0));
    ads_filegrp.fu_restore_filter();

    ads_proggrp.fu_restore_filter();
    return true;
}

int16_t nv_proggrp::fnv_insert_proggrp(const std::string& as_name, u_ds_create_setup_a& ads_proggrp) {
    const long ll_newrow = ads_proggrp.insertRow(0);
    const Value max = ads_proggrp.getItem(1, "c_max_id");
    const long ll_id = static_cast<long>(max.isNull() ? 0 : max.toInt()) + 1;
    ads_proggrp.setItem(ll_newrow, "id", Value(ll_id));
    ads_proggrp.setItem(ll_newrow, "prodid", Value(app().gi_prod_id));
    ads_proggrp.setItem(ll_newrow, "name", Value(as_name));
    return static_cast<int16_t>(ll_newrow);
}

std::optional<bool> nv_proggrp::fnv_is_proggrp_move_ok(long al_id, u_ds_create_setup_a& ads_proggrp) {
    const long ll_rows = ads_proggrp.rowCount();
    std::vector<long> requiring;
    std::string ls_names;
    std::string ls_name;
    long ll_own = 0;
    for (long row = 1; row <= ll_rows; ++row) {
        if (refers(ads_proggrp.getItem(row, "id"), al_id)) {
            ll_own = row;
            ls_name = ads_proggrp.getItem(row, "name").toText();
        }
        if (refers(ads_proggrp.getItem(row, "reqprogid"), al_id)) {
            requiring.push_back(row);
            ls_names += ads_proggrp.getItem(row, "name").toText() + "\r";
        }
    }
    // A component that is not there requires nothing.
    const Value required = ll_own > 0 ? ads_proggrp.getItem(ll_own, "reqprogid") : Value(0);
    if (required.isNull()) return std::nullopt;
    const long ll_required = static_cast<long>(required.toInt());
    if (requiring.empty() && ll_required == 0) return true;

    std::string ls_text;
    if (!requiring.empty()) ls_text = "The following programgroups require " + ls_name + ":\r" + ls_names;
    if (ll_required > 0) {
        const long req_row = fnv_find_proggrp_row(ll_required, ads_proggrp);
        const std::string req_name = req_row > 0 ? ads_proggrp.getItem(req_row, "name").toText() : std::string();
        ls_text += "\r" + ls_name + " requires " + req_name + "\r";
    }
    const bool agreed = app().gnv_message->fnv_display_message(11, ls_text) == 1;
    if (agreed) {
        for (long row : requiring) ads_proggrp.setItem(row, "reqprogid", Value(0));
        if (ll_required > 0) ads_proggrp.setItem(ll_own, "reqprogid", Value(0));
    }
    return agreed;
}

}  // namespace pakomo
