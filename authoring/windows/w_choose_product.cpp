#include "authoring/windows/w_choose_product.h"

#include <QIcon>
#include <QMainWindow>
#include <algorithm>
#include <vector>

#include "authoring/core/nv_message.h"
#include "authoring/core/pakomo.h"
#include "authoring/project/nv_create_setup.h"
#include "runtime/services/MessageBox.h"
#include "runtime/services/Text.h"
#include "runtime/ui/Menu.h"
#include "standard/w_mdi.h"

namespace pakomo {
namespace {

runtime::Value arg0(runtime::Args a) { return a.empty() ? runtime::Value() : a[0]; }
bool no_product(const runtime::Value& id) { return id.isNull() || id.toInt() < 1; }
nv_create_setup& project() { return *app().gnv_create_setup.as<nv_create_setup>(); }

}  // namespace

w_choose_product::w_choose_product() : w_a("w_choose_product") {
    using runtime::Args;
    using runtime::Value;
    setTitle("Product selection");
    mainWidget()->setWindowIcon(QIcon(QStringLiteral(":/authoring/Icon.ico")));
    lv_choice = addControl<u_lv_choose_product>("lv_choice");
    lv_choice->move(0, 0);
    lv_choice->resize(1952, 696);
    lv_choice->setPictureMaskColor(12632256);  // light grey is the pictures' transparent colour
    lv_choice->addLargePicture(":/authoring/tv_new_prod.bmp");
    lv_choice->addLargePicture(":/authoring/tv_existing_prod.bmp");
    lv_choice->setView(runtime::ListView::View::LargeIcon);
    cb_ok = addControl<u_cb_ok>("cb_ok");
    cb_ok->move(690, 1000);
    cb_ok->resize(357, 80);
    cb_ok->setText("&Open");
    cb_ok->setDefault(true);
    cb_ok->fu_set_microhelp(true);
    cb_ok->fu_set_microhelptext("Open the selected product for editing.");
    fw_position_set_flags(*cb_ok, align_hcenter);
    fw_position_set_bottom_marge(*cb_ok, 16);
    fw_position_set_flags(*lv_choice, align_resize);
    fw_position_set_width_marge(*lv_choice, 8);
    fw_position_set_height_marge(*lv_choice, static_cast<int16_t>(cb_ok->height() + 32));
    if (runtime::isClassRegistered("m_choose_product")) {
        runtime::Ref<runtime::Menu> menu = runtime::createByName("m_choose_product", this).as<runtime::Menu>();
        if (menu) setMenu(menu);
    }

    extend("open", [this](Args) {
        move(0, 0);
        ids_all_products = runtime::create<u_ds_all_products>();
        return Value();
    });
    extend("ue_init", [this](Args) {
        project().fnv_share_all_products(*ids_all_products);
        ii_products = static_cast<int16_t>(ids_all_products->rowCount());
        fw_refresh();
        post("ue_itemchanged");
        return Value();
    });
    extend("close", [this](Args) {
        if (ids_all_products) runtime::destroy(ids_all_products);
        if (w_mdi* frame = app().g_w_frame.get()) frame->trigger("ue_fileclose");
        return Value();
    });
    // Open keeps the window: it raises the choice instead of closing.
    on("ue_ok", [this](Args) {
        post("ue_choice_made", {int{lv_choice->fu_get_prod_id()}});
        return Value();
    });
    on("ue_choice_made", [this](Args a) { return ue_choice_made(arg0(a)), Value(); });
    on("ue_delete_product", [this](Args a) { return ue_delete_product(arg0(a)), Value(); });
    on("ue_start_wizard", [this](Args a) { return ue_start_wizard(arg0(a).toText()), Value(); });
    on("ue_end_wizard", [this](Args) {
        if (inv_wizard) runtime::destroy(inv_wizard);
        fw_refresh();
        post("ue_itemchanged");
        return Value();
    });
    on("ue_start_wizard_existing", [this](Args a) {
        const Value id = arg0(a);
        if (no_product(id)) return Value();
        app().gi_prod_id = static_cast<int16_t>(id.toInt());
        post("ue_start_wizard", {"existing"});
        return Value();
    });
    on("ue_itemchanged", [this](Args) { return ue_itemchanged(), Value(); });
    on("ue_build", [this](Args a) { return with_product(arg0(a), "nv_build"), Value(); });
    on("ue_summary", [this](Args a) { return with_product(arg0(a), "w_summary"), Value(); });
    on("ue_test", [this](Args a) { return ue_test(arg0(a)), Value(); });
    on("ue_duplicate", [this](Args a) {
        const Value id = arg0(a);
        if (no_product(id)) return Value();
        with_product(id, "nv_duplicate");
        fw_refresh();
        post("ue_itemchanged");
        return Value();
    });
    lv_choice->on("itemchanged", [this](Args) {
        post("ue_itemchanged");
        return Value();
    });
}

void w_choose_product::fw_refresh() {
    ii_products = static_cast<int16_t>(project().fnv_retrieve_all_products());
    fw_populate_treeview();
}

void w_choose_product::fw_populate_treeview() {
    u_lv_choose_product& list = *lv_choice;
    list.setRedraw(false);
    list.deleteItems();
    // All items go in at once: one by one the view would update for each.
    std::vector<runtime::ListViewItem> items(static_cast<size_t>(std::max<long>(ii_products, 0)) + 1);
    items[0].label = "New product";
    items[0].data = 0;
    items[0].pictureIndex = 1;
    const int id = ids_all_products->columnNumber("id"),
              prodname = ids_all_products->columnNumber("prodname"),
              prodvers = ids_all_products->columnNumber("prodvers"),
              label = ids_all_products->columnNumber("label");
    for (long row = 1; row <= ii_products; ++row) {
        runtime::ListViewItem& product = items[static_cast<size_t>(row)];
        product.pictureIndex = 2;
        product.data = static_cast<int>(ids_all_products->getItem(row, id).toInt());
        // Made in one piece: joining the three parts with + copies the text twice more.
        std::string name = ids_all_products->getItemString(row, prodname);
        const std::string version = ids_all_products->getItemString(row, prodvers);
        const std::string labelText = ids_all_products->getItemString(row, label);
        name.reserve(name.size() + version.size() + labelText.size() + 2);
        name.append(1, ' ').append(version).append(1, ' ').append(labelText);
        product.label = std::move(name);
    }
    list.addItems(std::move(items));
    list.setRedraw(true);
}

void w_choose_product::ue_itemchanged() {
    bool open = true, others = true;
    const int selected = lv_choice->selectedIndex();  // 0: none
    if (selected <= 1) others = false;
    if (selected <= 0) open = false;
    cb_ok->setEnabled(open);
    runtime::Menu* m = menu();
    if (!m) return;
    runtime::Menu* product = m->child("m_item1");
    if (!product) return;
    if (runtime::Menu* e = product->child("m_product_openen")) e->setEnabled(open);
    for (const char* name : {"m_product_wizard", "m_product_dupliceren", "m_product_verwijderen", "m_product_compileren",
                             "m_product_testen", "m_product_samenvatting"})
        if (runtime::Menu* e = product->child(name)) e->setEnabled(others);
}

void w_choose_product::ue_choice_made(const runtime::Value& ai_prod_id) {
    if (no_product(ai_prod_id)) {
        post("ue_start_wizard", {"new"});
        return;
    }
    pakomo& a = app();
    a.gi_prod_id = static_cast<int16_t>(ai_prod_id.toInt());
    a.g_str_pass.string[1] = "project";
    if (w_mdi* frame = a.g_w_frame.get()) frame->post("ue_fileopen");
}

void w_choose_product::ue_start_wizard(const std::string& as_action) {
    app().g_str_pass.string[1] = as_action;
    // The wizard is an outside library: without it there is nothing to start.
    if (runtime::isClassRegistered("nv_wizard")) inv_wizard = runtime::createByName("nv_wizard").as<nv_a>();
}

void w_choose_product::ue_delete_product(const runtime::Value& ai_prod_id) {
    if (no_product(ai_prod_id)) return;
    // Deleted under an open project window, the product would be lost to that window's Save.
    if (fw_is_edited(static_cast<int16_t>(ai_prod_id.toInt()))) {
        const std::string name = product_label(ai_prod_id);
        runtime::messageBox(
            "Delete product",
            (name.empty() ? std::string("The product") : "\"" + name + "\"") +
                " is open in the project window and cannot be deleted now.\n\nClose the project "
                "window (saving what you want to keep), then delete the product.",
            runtime::MessageIcon::StopSign);
        return;
    }
    if (!project().fnv_delete_product(ai_prod_id)) {
        // Nothing was deleted (the service rolls back); without a word the user would think it was.
        const std::string name = product_label(ai_prod_id);
        runtime::messageBox(
            "Delete product",
            (name.empty() ? std::string("The product") : "\"" + name + "\"") +
                " could not be deleted; it is still there.\n\nIf another program is using the "
                "project database, wait until it has finished, then delete the product again.",
            runtime::MessageIcon::StopSign);
        return;
    }
    fw_refresh();
    post("ue_itemchanged");
}

bool w_choose_product::fw_is_edited(int16_t ai_prod_id) const {
    for (runtime::Window* w : runtime::Window::openWindows())
        if (w->className() == "w_project" && w->isOpen() &&
            w->trigger("fw_get_prod_id").toInt() == ai_prod_id)
            return true;
    return false;
}

std::string w_choose_product::product_label(const runtime::Value& ai_prod_id) const {
    for (long row = 1; ids_all_products && row <= ids_all_products->rowCount(); ++row)
        if (ids_all_products->getItem(row, "id").toInt() == ai_prod_id.toInt())
            return runtime::trim(ids_all_products->getItemString(row, "prodname") + " " +
                                 ids_all_products->getItemString(row, "prodvers") + " " +
                                 ids_all_products->getItemString(row, "label"));
    return {};
}

void w_choose_product::ue_test(const runtime::Value& ai_prod_id) {
    nv_create_setup& p = project();
    if (!p.fnv_get_compiled()) {
        const std::string ls_prod = p.fnv_get_prodname() + ", " + p.fnv_get_prodvers();
        if (app().gnv_message->fnv_display_message(15, ls_prod) == 1) post("ue_build", {ai_prod_id});
        return;
    }
    p.fnv_test_product(static_cast<int16_t>(ai_prod_id.toInt()));
}

void w_choose_product::with_product(const runtime::Value& ai_prod_id, const char* className) {
    if (no_product(ai_prod_id)) return;
    pakomo& a = app();
    const int16_t previous = a.gi_prod_id;
    a.gi_prod_id = static_cast<int16_t>(ai_prod_id.toInt());
    try {
        runtime::Ref<runtime::Object> object = runtime::createByName(className);
        if (auto* window = dynamic_cast<runtime::Window*>(object.get())) window->open();
        else runtime::destroy(object);
    } catch (...) {
        a.gi_prod_id = previous;
        throw;
    }
    a.gi_prod_id = previous;
}

}  // namespace pakomo
