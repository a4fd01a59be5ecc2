#include "libraries/project/w_proggrp_properties.h"
#include "libraries/project/stringvar_field.h"


#include "authoring/core/pakomo.h"
#include "libraries/project/uo_project_files.h"
#include "runtime/services/MessageBox.h"
#include "runtime/services/Text.h"

namespace pakomo {

using runtime::Args;
using runtime::Value;

namespace {

constexpr int kLabelX = 40, kFieldX = 720, kRow = 110;

long number_of(runtime::DataStore& ds, long row, const char* column) {
    const Value v = ds.getItem(row, column);
    return v.isNull() ? 0 : static_cast<long>(v.toInt());
}

}  // namespace

w_proggrp_properties::w_proggrp_properties() : w_a("w_proggrp_properties", runtime::WindowKind::Response) {
    resize(2600, 1290);
    runtime::setBackgroundColor(*this, 12632256);  // the colour of its labels and boxes
    setTitle("Component properties");
    setTitleBarBoxes(true, false, false);
    setResizable(false);

    auto label = [this](runtime::Ref<u_st_a>& st, const char* name, int y, const char* text) {
        st = addControl<u_st_a>(name);
        st->move(kLabelX, y + 8);
        st->resize(kFieldX - kLabelX - 20, 72);
        st->setText(text);
    };
    int y = 40;
    label(st_name, "st_name", y, "Name:");
    sle_name = addControl<u_sle_a>("sle_name");
    sle_name->move(kFieldX, y);
    sle_name->resize(1100, 88);
    sle_name->setLimit(32);
    sle_name->set_autohscroll(true);
    sle_name->setTabOrder(10);

    label(st_descript, "st_descript", y += kRow, "Description:");
    mle_descript = addControl<u_mle_a>("mle_descript");
    mle_descript->move(kFieldX, y);
    mle_descript->resize(1800, 260);
    mle_descript->setFont("MS Sans Serif", 8, 400);
    mle_descript->setTabOrder(20);

    label(st_installpth, "st_installpth", y += 280, "Destination folder:");
    sle_installpth = addControl<u_sle_a>("sle_installpth");
    sle_installpth->move(kFieldX, y);
    sle_installpth->resize(1800, 88);
    sle_installpth->setLimit(254);
    sle_installpth->set_autohscroll(true);
    sle_installpth->setTabOrder(30);

    gb_setuptypes = addControl<u_gb_a>("gb_setuptypes");
    gb_setuptypes->move(kLabelX, y += kRow + 10);
    gb_setuptypes->resize(2480, 190);
    gb_setuptypes->setText("Chosen by the setup types");
    struct Box {
        runtime::Ref<u_checkbox_a>* box;
        const char* name;
        const char* text;
        int x, order;
    };
    for (const Box& b : {Box{&cbx_normal, "cbx_normal", "&Normal", kFieldX, 40},
                         Box{&cbx_minimal, "cbx_minimal", "&Minimal", kFieldX + 500, 50},
                         Box{&cbx_custom, "cbx_custom", "C&ustom", kFieldX + 1000, 60}}) {
        *b.box = addControl<u_checkbox_a>(b.name);
        (*b.box)->move(b.x, y + 80);
        (*b.box)->resize(460, 72);
        (*b.box)->setText(b.text);
        (*b.box)->setTabOrder(b.order);
    }

    label(st_reqprogid, "st_reqprogid", y += 230, "Required component:");
    ddlb_reqprogid = addControl<u_ddlb_a>("ddlb_reqprogid");
    ddlb_reqprogid->move(kFieldX, y);
    ddlb_reqprogid->resize(1100, 88);
    ddlb_reqprogid->setTabOrder(70);

    cbx_visible = addControl<u_checkbox_a>("cbx_visible");
    cbx_visible->move(kFieldX, y += kRow + 10);
    cbx_visible->resize(1800, 72);
    cbx_visible->setText("&Shown on Setup's component page");
    cbx_visible->setTabOrder(80);
    cbx_pathchange = addControl<u_checkbox_a>("cbx_pathchange");
    cbx_pathchange->move(kFieldX, y += 90);
    cbx_pathchange->resize(1800, 72);
    cbx_pathchange->setText("The user may change the &folder");
    cbx_pathchange->setTabOrder(90);
    // The boxes show the form and the group box behind them, not panels of a colour of their own.
    for (auto* box : {&cbx_normal, &cbx_minimal, &cbx_custom, &cbx_visible, &cbx_pathchange})
        (*box)->widget()->setAutoFillBackground(false);

    cb_ok = addControl<u_cb_ok>("cb_ok");
    cb_ok->move(1660, y += 140);
    cb_ok->setDefault(true);
    cb_ok->setTabOrder(100);
    cb_cancel = addControl<u_cb_cancel>("cb_cancel");
    cb_cancel->move(2100, y);
    cb_cancel->setCancel(true);
    cb_cancel->setTabOrder(110);

    // The folder takes string variables through the edit popup.
    fu_stringvar_field(*this, *sle_installpth, inv_popup);
    extend("open", [this](Args) {
        fw_center();
        fw_set_helptopic(help_topic);
        fw_show_row();
        sle_name->setFocus();
        return Value();
    });
    extend("close", [this](Args) {
        if (inv_popup) runtime::destroy(inv_popup);
        return Value();
    });
}

void w_proggrp_properties::fw_set_row(u_ds_create_setup_a& ads_proggrp, long al_row) {
    ids_proggrp = runtime::Ref<u_ds_create_setup_a>(&ads_proggrp);
    il_row = al_row;
}

void w_proggrp_properties::fw_show_row() {
    u_ds_create_setup_a* ds = ids_proggrp.get();
    if (!ds || il_row < 1 || il_row > ds->rowCount()) return;
    const std::string name = runtime::trim(ds->getItemString(il_row, "name"));
    setTitle("Properties of " + name);
    sle_name->setText(name);
    mle_descript->setText(ds->getItemString(il_row, "descript"));
    sle_installpth->setText(ds->getItemString(il_row, "installpth"));
    const long types = number_of(*ds, il_row, "setuptypes");
    cbx_normal->setChecked(types & setuptype_normal);
    cbx_minimal->setChecked(types & setuptype_minimal);
    cbx_custom->setChecked(types & setuptype_custom);
    cbx_visible->setChecked(number_of(*ds, il_row, "visible") != 0);
    cbx_pathchange->setChecked(number_of(*ds, il_row, "pathchange") != 0);

    // Every other component may be required; the check on OK refuses a subcomponent.
    const long own = number_of(*ds, il_row, "id");
    const long required = number_of(*ds, il_row, "reqprogid");
    ddlb_reqprogid->reset();
    il_required_ids.clear();
    ddlb_reqprogid->addItem("(none)");
    il_required_ids.push_back(0);
    int chosen = 1;
    for (long r = 1; r <= ds->rowCount(); ++r) {
        const long id = number_of(*ds, r, "id");
        if (id == own) continue;
        il_required_ids.push_back(id);
        const int index = ddlb_reqprogid->addItem(runtime::trim(ds->getItemString(r, "name")));
        if (id == required) chosen = index;
    }
    // A requirement that names no component any more shows as none.
    ddlb_reqprogid->selectItem(chosen);
}

bool w_proggrp_properties::fw_validate() {
    u_ds_create_setup_a* ds = ids_proggrp.get();
    if (!ds || il_row < 1 || il_row > ds->rowCount()) return false;
    const std::string name = runtime::trim(sle_name->text());
    const int index = ddlb_reqprogid->selectedIndex();
    const long required = index >= 1 && index <= static_cast<int>(il_required_ids.size())
                              ? il_required_ids[static_cast<size_t>(index - 1)]
                              : 0;
    const std::string error = uo_project_files::fu_component_error(*ds, il_row, name, required);
    if (!error.empty()) {
        runtime::messageBox("Component properties", error, runtime::MessageIcon::Exclamation);
        if (error.find("\"Required component\"") != std::string::npos)
            ddlb_reqprogid->setFocus();
        else
            sle_name->setFocus();
        return false;
    }
    const int types = (cbx_normal->checked() ? setuptype_normal : 0) |
                      (cbx_minimal->checked() ? setuptype_minimal : 0) |
                      (cbx_custom->checked() ? setuptype_custom : 0);
    // Only what changed is written, so an unchanged form leaves the row unmodified.
    auto put = [&](const char* column, const Value& value) {
        const Value old = ds->getItem(il_row, column);
        if ((old.isNull() ? std::string() : old.toText()) != value.toText())
            ds->setItem(il_row, column, value);
    };
    put("name", Value(name));
    put("descript", Value(mle_descript->text()));
    put("installpth", Value(runtime::trim(sle_installpth->text())));
    put("setuptypes", Value(types));
    put("reqprogid", Value(required));
    put("visible", Value(cbx_visible->checked() ? 1 : 0));
    put("pathchange", Value(cbx_pathchange->checked() ? 1 : 0));
    return true;
}

}  // namespace pakomo
