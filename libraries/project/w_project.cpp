#include "libraries/project/w_project.h"

#include <algorithm>
#include <cctype>
#include <memory>

#include "authoring/core/layouts/core_layouts.h"
#include "authoring/core/pakomo.h"
#include "authoring/menus/m_popups.h"
#include "authoring/project/nv_create_setup.h"
#include "libraries/project/layouts/project_layouts.h"
#include "libraries/project/u_ds_file.h"
#include "libraries/project/u_ds_filegrp.h"
#include "libraries/project/u_ds_product.h"
#include "libraries/project/u_ds_proggrp.h"
#include "libraries/project/uo_project_files.h"
#include "libraries/project/uo_project_pages.h"
#include "libraries/project/uo_project_registry.h"
#include "libraries/project/uo_project_strings.h"
#include "libraries/project/w_proggrp_properties.h"
#include "libraries/project/w_wmain_setuptext.h"
#include "runtime/data/QuietDatabaseErrors.h"
#include "runtime/services/MessageBox.h"
#include "runtime/services/Text.h"
#include "standard/w_mdi.h"

namespace pakomo {

using runtime::Args;
using runtime::Value;

namespace {

constexpr const char* BoxTitle = "Project";



nv_create_setup* service() { return app().gnv_create_setup.as<nv_create_setup>().get(); }

// The row fnv_prodname_changed compares with the current product.
std::shared_ptr<const runtime::DataLayout> edited_layout() {
    auto l = std::make_shared<runtime::DataLayout>();
    l->name = "d_project_product";
    l->columns = {layout_column("prodname", "", "char(32)"), layout_column("prodvers", "", "char(16)"),
                  layout_column("label", "", "char(32)"), layout_column("stringvar_basepath", "", "char(254)")};
    return l;
}

}  // namespace

w_project::w_project() : w_dw_a("w_project", runtime::WindowKind::Main) {
    // Small enough for the frame's client area at the frame's own size; it opens maximised.
    resize(3150, 1200);
    setTitle("Project");
    tab_panes = addControl<runtime::Tab>("tab_panes");
    tab_panes->move(30, 30);
    tab_panes->resize(2730, 1240);
    fw_position_set_flags(*tab_panes, align_resize);
    fw_position_set_width_marge(*tab_panes, 30 + 40 + 360 + 40);
    fw_position_set_height_marge(*tab_panes, 60);

    uo_product = tab_panes->addPage<uo_a>("uo_product", "&Product");
    st_heading = uo_product->addControl<runtime::StaticText>("st_heading");
    st_heading->move(uo_project_pane::margin, 24);
    st_heading->resize(2000, 84);
    st_heading->setFont("MS Sans Serif", 10, 700);
    st_heading->setText("Product");
    struct Field {
        runtime::Ref<runtime::StaticText>* label;
        runtime::Ref<runtime::SingleLineEdit>* edit;
        const char* name;
        const char* text;
        int width, limit;
    };
    const Field fields[] = {{&st_prodname, &sle_prodname, "prodname", "Product name:", 1000, 32},
                            {&st_prodvers, &sle_prodvers, "prodvers", "Version:", 600, 16},
                            {&st_label, &sle_label, "label", "Label:", 1000, 32},
                            {&st_basepath, &sle_basepath, "basepath", "Destination folder:", 1400, 254}};
    int y = uo_project_pane::content_top;
    for (const Field& f : fields) {
        *f.label = uo_product->addControl<runtime::StaticText>(std::string("st_") + f.name);
        (*f.label)->move(uo_project_pane::margin, y + 8);
        (*f.label)->resize(620, 72);
        (*f.label)->setText(f.text);
        *f.edit = uo_product->addControl<runtime::SingleLineEdit>(std::string("sle_") + f.name);
        (*f.edit)->move(680, y);
        (*f.edit)->resize(f.width, 88);
        (*f.edit)->setLimit(f.limit);
        (*f.edit)->on("modified", [this](Args) {
            fw_show_fullname();
            return Value();
        });
        y += 100;
    }
    st_fullname = uo_product->addControl<runtime::StaticText>("st_fullname");
    st_fullname->move(uo_project_pane::margin, y + 20);
    st_fullname->resize(2400, 72);
    uo_product->fu_position_set_flags(*st_fullname, align_hresize);
    uo_product->fu_position_set_width_marge(*st_fullname, 2 * uo_project_pane::margin);

    add_pane<uo_project_files>("uo_files", "Co&mponents and files");
    add_pane<uo_project_strings>("uo_strings", "String &variables");
    add_pane<uo_project_registry>("uo_registry", "&Registry entries");
    add_pane<uo_project_pages>("uo_pages", "Setup's pa&ges");
    i_background = add_pane<uo_project_background>("uo_background", "&Background");
    // The background shows the title as the pages tab holds it now; each tab has its help.
    tab_panes->on("selectionchanged", [this](Args a) {
        const int shown = a.size() > 1 ? static_cast<int>(a[1].toInt()) : tab_panes->selectedTab();
        runtime::Control* page = tab_panes->page(shown);
        int16_t topic = help_topic;
        if (dynamic_cast<uo_project_pages*>(page)) topic = pages_help_topic;
        if (page && page == i_background.get()) {
            topic = background_help_topic;
            i_background->fu_refresh();
        }
        fw_set_helptopic(topic);
        return Value();
    });

    // Beside the tabs, so that they are there whichever tab is shown.
    cb_save = addControl<runtime::CommandButton>("cb_save");
    cb_save->move(2800, 70);
    cb_save->resize(360, 100);
    cb_save->setText("&Save");
    cb_save->setDefault(true);
    cb_save->on("clicked", [this](Args) {
        fw_save();
        return Value();
    });
    cb_close = addControl<runtime::CommandButton>("cb_close");
    cb_close->move(2800, 200);
    cb_close->resize(360, 100);
    cb_close->setText("&Close");
    cb_close->on("clicked", [this](Args) {
        post("ue_close");
        return Value();
    });
    for (runtime::CommandButton* b : {cb_save.get(), cb_close.get()}) fw_position_set_right_marge(*b, 40);

    // The context menus' events go to the pane that showed the menu.
    for (const char* event : {"ue_popup_insert", "ue_popup_insert_between", "ue_popup_delete", "ue_popup_expand_all",
                              "ue_add_proggrp", "ue_add_filegrp", "ue_popup_cut", "ue_popup_paste", "ue_popup_add_file",
                              "ue_popup_delete_file", "ue_popup_all_shared", "ue_popup_all_not_shared",
                              "ue_popup_file_property"}) {
        const std::string name = event;
        on(name, [this, name](Args) {
            if (uo_project_pane* pane = i_popup_source.get()) pane->fu_popup(name);
            return Value();
        });
    }

    // The background's menus: the window does what they ask through the background tab.
    on("ue_wmain_edit_setuptext", [this](Args) {
        fw_edit_setuptext();
        return Value();
    });
    on("ue_wmain_newtext", [this](Args) {
        if (i_background) i_background->fu_new_text();
        return Value();
    });
    on("ue_wmain_edittext", [this](Args) {
        if (i_background) i_background->fu_edit_text();
        return Value();
    });
    on("ue_wmain_delete_text", [this](Args) {
        if (i_background) i_background->fu_delete_text();
        return Value();
    });
    on("ue_wmain_edit_backgroundcolor", [this](Args) {
        if (i_background) i_background->fu_edit_backgroundcolor();
        return Value();
    });

    // The registry browser hands the values it pastes to the window that opened it.
    on("ue_paste_from_regview", [this](Args a) {
        for (auto& pane : i_panes)
            if (auto* registry = dynamic_cast<uo_project_registry*>(pane.get()); registry && a.size() >= 5)
                registry->fu_paste_from_regview(static_cast<int16_t>(a[0].toInt()), a[1].toText(),
                                                a[2].toText(), a[3].toText(),
                                                static_cast<int16_t>(a[4].toInt()));
        return Value();
    });

    extend("open", [this](Args) {
        move(0, 0);
        setWindowState(2);
        fw_set_helptopic(help_topic);
        if (!fw_open_product()) post("ue_close");
        return Value();
    });
    // The chooser asks before it deletes a product, which must not vanish under this window.
    on("fw_get_prod_id", [this](Args) { return Value(int{ii_prod_id}); });
    // Unsaved edits are saved, dropped or kept open, as the user says.
    on("closequery", [this](Args) {
        if (!fw_is_modified()) return Value(0);
        const int answer = runtime::messageBox(
            BoxTitle, "Save the changes to " + runtime::trim(sle_prodname->text()) + "?", runtime::MessageIcon::Question,
            runtime::MessageButtons::YesNoCancel);
        if (answer == 3) return Value(1);
        if (answer == 1 && !fw_save()) return Value(1);
        return Value(0);
    });
    extend("close", [this](Args) {
        if (ids_products) {
            ids_products->shareDataOff();
            runtime::destroy(ids_products);
        }
        if (w_mdi* frame = app().g_w_frame.get()) frame->fw_dec_open_sheets();
        if (ib_editing) {
            ib_editing = false;
            if (nv_a* s = app().gnv_create_setup.get()) s->trigger("ue_end_edit");
        }
        return Value();
    });
}

std::string w_project::without_mnemonic(const std::string& as_text) {
    std::string out;
    for (size_t i = 0; i < as_text.size(); ++i) {
        if (as_text[i] == '&' && i + 1 < as_text.size()) ++i;  // "&&" stands for one "&"
        out += as_text[i];
    }
    return out;
}

void w_project::fw_show_popup(uo_project_pane& source, const std::string& as_popup) {
    i_popup_source = runtime::Ref<uo_project_pane>(&source);
    runtime::Ref<m_popups> menu = runtime::createByName("m_popups").as<m_popups>();
    if (!menu) return;
    menu->fm_set_parent(runtime::Ref<runtime::Object>(this));
    menu->setParentWindow(this);
    // The chosen entry has queued its event or done its work when the menu returns.
    menu->item_named(as_popup).popMenu(pointerX(), pointerY());
    runtime::destroy(menu);
}

std::string w_project::fw_get_setuptext() const {
    for (const auto& pane : i_panes)
        if (auto* pages = dynamic_cast<uo_project_pages*>(pane.get()))
            if (runtime::Control* title = pages->fu_field("WMAIN.TITLE")) return title->text();
    return {};
}

void w_project::fw_set_setuptext(const std::string& as_text) {
    for (const auto& pane : i_panes)
        if (auto* pages = dynamic_cast<uo_project_pages*>(pane.get()))
            if (runtime::Control* title = pages->fu_field("WMAIN.TITLE")) title->setText(as_text);
    if (i_background) i_background->fu_refresh();
}

bool w_project::fw_edit_setuptext() {
    s_pass& pass = app().g_str_pass;
    pass.string[1] = fw_get_setuptext();
    pass.button_clicked = 0;
    runtime::Ref<runtime::Window> w = runtime::createByName("w_wmain_setuptext").as<runtime::Window>();
    if (!w) return false;
    w->open();  // returns once the dialog has closed
    if (pass.button_clicked != 1) return false;
    fw_set_setuptext(pass.string.get(1));
    return true;
}

bool w_project::report(const std::string& text) {
    runtime::messageBox(BoxTitle, text, runtime::MessageIcon::StopSign);
    return false;
}

long w_project::product_row() const {
    if (!ids_products) return 0;
    for (long r = 1; r <= ids_products->rowCount(); ++r)
        if (ids_products->getItem(r, "id").toInt() == ii_prod_id) return r;
    return 0;
}

bool w_project::fw_open_product() {
    pakomo& a = app();
    nv_create_setup* s = service();
    ii_prod_id = a.gi_prod_id;
    if (!s) return report("The project service is not running.");
    s->trigger("ue_start_edit");
    ib_editing = true;
    ids_products = runtime::create<runtime::DataStore>();
    ids_products->setDataObject("d_all_products");
    s->fnv_share_all_products(*ids_products);
    const long row = ii_prod_id > 0 ? product_row() : 0;
    if (row < 1) return report("The product cannot be found: it may have been deleted.");
    s->fnv_retrieve_product_stringtable(ii_prod_id);
    s->fnv_retrieve_stringtable(ii_prod_id);
    sle_prodname->setText(ids_products->getItemString(row, "prodname"));
    sle_prodvers->setText(ids_products->getItemString(row, "prodvers"));
    sle_label->setText(ids_products->getItemString(row, "label"));
    sle_basepath->setText(ids_products->getItemString(row, "basepath"));
    fw_show_fullname();
    for (auto& pane : i_panes)
        if (!pane->fu_load(ii_prod_id)) return false;
    return true;
}

void w_project::fw_show_fullname() {
    nv_create_setup* s = service();
    if (!s) return;
    const std::string full =
        s->fnv_get_trimmed(runtime::trim(sle_prodname->text()), runtime::trim(sle_prodvers->text()), runtime::trim(sle_label->text()));
    st_fullname->setText("Full product name: " + full);
    setTitle("Project - " + full);
}

bool w_project::fw_is_modified() const {
    const long row = product_row();
    if (row < 1) return false;
    for (const auto& pane : i_panes)
        if (pane->fu_is_modified()) return true;
    return runtime::trim(sle_prodname->text()) != runtime::trim(ids_products->getItemString(row, "prodname")) ||
           runtime::trim(sle_prodvers->text()) != runtime::trim(ids_products->getItemString(row, "prodvers")) ||
           runtime::trim(sle_label->text()) != runtime::trim(ids_products->getItemString(row, "label")) ||
           runtime::trim(sle_basepath->text()) != runtime::trim(ids_products->getItemString(row, "basepath"));
}

bool w_project::fw_save() {
    pakomo& a = app();
    nv_create_setup* s = service();
    const long row = product_row();
    if (!s || row < 1) return report("The product cannot be found: it may have been deleted.");
    const std::string name = runtime::trim(sle_prodname->text());
    const std::string vers = runtime::trim(sle_prodvers->text());
    const std::string label = runtime::trim(sle_label->text());
    const std::string basepath = runtime::trim(sle_basepath->text());
    if (name.empty()) return report("Type the product's name.");
    // The full name names the product's settings and build folder, so no two products share one.
    const std::string full = runtime::lower(s->fnv_get_trimmed(name, vers, label));
    for (long r = 1; r <= ids_products->rowCount(); ++r) {
        if (r == row) continue;
        const std::string other = s->fnv_get_trimmed(runtime::trim(ids_products->getItemString(r, "prodname")),
                                                     runtime::trim(ids_products->getItemString(r, "prodvers")),
                                                     runtime::trim(ids_products->getItemString(r, "label")));
        if (runtime::lower(other) == full)
            return report("Another product is called \"" + other + "\" already. Change the name, version or label.");
    }
    for (auto& pane : i_panes)
        if (!pane->fu_validate()) return false;

    ids_products->setItem(row, "prodname", Value(name));
    ids_products->setItem(row, "prodvers", Value(vers));
    ids_products->setItem(row, "label", Value(label));
    ids_products->setItem(row, "basepath", Value(basepath));
    bool ok;
    std::string error;
    {
        // A refused row is told once, below, with what to do; not also by the row set.
        runtime::QuietDatabaseErrors quiet;
        ok = s->fnv_update_all_products() == 1;
        for (auto& pane : i_panes) ok = ok && pane->fu_save();
        error = a.sqlca.sqlErrText;
        if (ok && a.sqlca.commit() < 0) {
            ok = false;
            error = a.sqlca.sqlErrText;
        }
    }
    if (!ok) {
        a.sqlca.rollback();
        s->fnv_retrieve_all_products();
        s->fnv_retrieve_product_stringtable(ii_prod_id);
        report("The product could not be saved: " + error + "\nCheck the database, then save again.");
        return false;
    }
    // Only a committed rename drops the settings of the old name (build folder, built state).
    auto edited = runtime::create<runtime::DataStore>(edited_layout());
    edited->insertRow(0);
    edited->setItem(1, "prodname", Value(name));
    edited->setItem(1, "prodvers", Value(vers));
    edited->setItem(1, "label", Value(label));
    edited->setItem(1, "stringvar_basepath", Value(basepath));
    s->fnv_prodname_changed(*edited);
    runtime::destroy(edited);
    for (auto& pane : i_panes) pane->fu_saved();
    fw_show_fullname();
    if (w_mdi* frame = a.g_w_frame.get())
        frame->setStatusText("\"" + s->fnv_get_trimmed(name, vers, label) + "\" is saved.");
    return true;
}

void register_project_library() {
    register_project_layouts();
    runtime::registerClass<w_project>("w_project");
    runtime::registerClass<w_proggrp_properties>("w_proggrp_properties");
    runtime::registerClass<w_wmain_setuptext>("w_wmain_setuptext");
    runtime::registerClass<u_ds_product>("u_ds_product");
    runtime::registerClass<u_ds_proggrp>("u_ds_proggrp");
    runtime::registerClass<u_ds_filegrp>("u_ds_filegrp");
    runtime::registerClass<u_ds_file>("u_ds_file");
}

}  // namespace pakomo
