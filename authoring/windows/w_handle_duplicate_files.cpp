#include "authoring/windows/w_handle_duplicate_files.h"

#include <QIcon>
#include <QMainWindow>

#include "authoring/core/pakomo.h"
#include "runtime/services/Text.h"

namespace pakomo {

using runtime::Args;
using runtime::Value;

namespace {

constexpr int16_t kHelpTopic = 29;

runtime::Ref<runtime::StaticText> text(w_a& w, const char* name, const char* content, int x, int y,
                                       int width) {
    runtime::Ref<runtime::StaticText> st = w.addControl<runtime::StaticText>(name);
    st->move(x, y);
    st->resize(width, 52);
    st->setText(content);
    st->setFont("MS Sans Serif", 8, 400);
    return st;
}

}  // namespace

w_handle_duplicate_files::w_handle_duplicate_files()
    : w_a("w_handle_duplicate_files", runtime::WindowKind::Response) {
    resize(3215, 1776);  // the texts whole at the program's font
    setTitle("Duplicate files");
    setTitleBarBoxes(true, false, false);
    setResizable(false);
    mainWidget()->setWindowIcon(QIcon(QStringLiteral(":/authoring/Icon.ico")));

    cb_3 = addControl<u_cb_help>("cb_3");
    cb_3->move(2813, 1588);
    st_8 = text(*this, "st_8", "Click <Cancel> to close this window without saving the deletions.", 265, 472,
                1783);
    cb_1 = addControl<u_cb_cancel>("cb_1");
    cb_1->move(2054, 1588);
    cb_1->setCancel(true);
    st_7 = text(*this, "st_7", "machine.", 265, 236, 2882);
    st_6 = text(
        *this, "st_6",
        "This might be your intention, for example if the same file should be installed in different folders "
        "on the target",
        265, 184, 2882);
    p_1 = addControl<runtime::Picture>("p_1");
    p_1->move(32, 36);
    p_1->resize(146, 128);
    p_1->setOriginalSize(true);
    p_1->setPictureName(":/authoring/Warning.bmp");
    st_5 = text(*this, "st_5", "then deleting the selected files by clicking <Delete> or pressing <Del>.",
                265, 380, 2882);
    st_4 = text(
        *this, "st_4",
        "If this is not your intention, you can mark the duplicate files by selecting them at the correct "
        "filegroup(s) and",
        265, 328, 2882);
    st_2 = text(*this, "st_2", "more than once.", 265, 80, 2882);
    st_1 = text(
        *this, "st_1",
        "These files exist more than once in one or more filegroups. If you leave it this way, Setup will "
        "install these files ",
        265, 28, 2882);
    cb_2 = addControl<u_cb_close>("cb_2");
    cb_2->move(2434, 1588);
    cb_2->setText("C&lose");  // Alt+C is Cancel's
    cb_delete = addControl<u_cb_a>("cb_delete");
    cb_delete->move(1675, 1588);
    cb_delete->setText("&Delete");
    cb_delete->setEnabled(false);
    lv_1 = addControl<runtime::ListView>("lv_1");
    lv_1->move(14, 576);
    lv_1->resize(3156, 980);
    lv_1->setExtendedSelect(true);
    lv_1->setDeleteItems(true);
    lv_1->addSmallPicture("Exclamation!");
    for (runtime::Control* c :
         {static_cast<runtime::Control*>(cb_3.get()), static_cast<runtime::Control*>(cb_1.get()),
          static_cast<runtime::Control*>(cb_2.get()), static_cast<runtime::Control*>(cb_delete.get()),
          static_cast<runtime::Control*>(lv_1.get())})
        c->setFont("MS Sans Serif", 8, 400);
    lv_1->setTabOrder(10);
    cb_delete->setTabOrder(20);
    cb_2->setTabOrder(30);
    cb_1->setTabOrder(40);
    cb_3->setTabOrder(50);

    on("ue_delete", [this](Args) { return ue_delete(), Value(); });
    // Takes the place of the ancestor's open: no ue_init follows.
    on("open", [this](Args) {
        fw_center();
        fw_set_helptopic(kHelpTopic);
        s_pass& pass = app().g_str_pass;
        pass.button_clicked = 1;
        inv_filegrp = runtime::Ref<nv_filegrp>(dynamic_cast<nv_filegrp*>(parameterObject()));
        ids_dups = runtime::Ref<u_ds_duplicate_files>(
            dynamic_cast<u_ds_duplicate_files*>(pass.datastore.get(1).get()));
        fill_list();
        return Value();
    });
    on("closequery", [this](Args) {
        ib_window_is_closing = true;
        return Value(0);
    });
    extend("close", [this](Args) {
        if (app().g_str_pass.button_clicked == 1 && ii_number_of_id_to_delete > 0) {
            ib_retval = true;
            for (int16_t i = 1; i <= ii_number_of_id_to_delete; ++i)
                if (inv_filegrp) inv_filegrp->fnv_delete_file(il_id_to_delete.get(i));
        } else {
            ib_retval = false;
        }
        app().g_str_pass.boolean[1] = ib_retval;
        return Value();
    });
    cb_delete->extend("clicked", [this](Args) {
        post("ue_delete");
        return Value();
    });
    lv_1->on("itemchanged", [this](Args) { return fw_set_cb_delete_status(), Value(); });
    lv_1->on("deleteitem", [this](Args a) {
        if (ib_window_is_closing || a.empty()) return Value();
        runtime::ListViewItem item;
        if (lv_1->getItem(static_cast<int>(a[0].toInt()), item) != 1) return Value();
        ++ii_number_of_id_to_delete;
        il_id_to_delete[ii_number_of_id_to_delete] = static_cast<int32_t>(item.data.toInt());
        return Value();
    });
}

void w_handle_duplicate_files::fill_list() {
    const long ll_rows = ids_dups ? ids_dups->rowCount() : 0;
    lv_1->setRedraw(false);
    lv_1->addColumn("File", runtime::Alignment::Left, 1792);
    lv_1->addColumn("Filegroup", runtime::Alignment::Left, 768);
    std::string ls_old_filename;
    int16_t li_count = 0;
    for (long row = 1; row <= ll_rows; ++row) {
        runtime::ListViewItem item;
        item.data = ids_dups->getItem(row, "name_1");
        const std::string ls_new_filename = ids_dups->getItemString(row, "file");
        if (runtime::lower(ls_new_filename) == runtime::lower(ls_old_filename)) {
            ++li_count;
        } else {
            li_count = 1;
            ls_old_filename = ls_new_filename;
        }
        item.label = std::to_string(li_count) + ". " + ls_new_filename;
        item.pictureIndex = li_count == 1 ? 0 : 1;
        int li_index = lv_1->addItem(item);
        lv_1->setItem(li_index, 2, ids_dups->getItemString(row, "filegrp"));
    }
    lv_1->setRedraw(true);
}

void w_handle_duplicate_files::fw_set_cb_delete_status() { cb_delete->setEnabled(lv_1->totalSelected() > 0); }

void w_handle_duplicate_files::ue_delete() {
    for (int i = 1; i <= lv_1->totalItems();) {
        runtime::ListViewItem item;
        lv_1->getItem(i, item);
        if (item.selected)
            lv_1->deleteItem(i);
        else
            ++i;
    }
    fw_set_cb_delete_status();
}

}  // namespace pakomo
