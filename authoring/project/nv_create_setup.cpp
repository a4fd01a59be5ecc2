#include "authoring/project/nv_create_setup.h"

#include <array>
#include <span>

#include "authoring/core/nv_registry_create_setup.h"
#include "authoring/core/pakomo.h"
#include "authoring/project/nv_filegrp.h"
#include "authoring/project/nv_proggrp.h"
#include "authoring/project/nv_regobjects.h"
#include "runtime/services/System.h"
#include "runtime/services/Text.h"
#include "runtime/ui/Window.h"
#include "standard/w_mdi.h"

namespace pakomo {
namespace {

// Every table that holds rows of a product: the dependent rows first, the product's own row last.
constexpr std::array<const char*, 16> kProductDeletes = {
    "DELETE FROM FILE WHERE FILE.PRODID = ?",
    "DELETE FROM FILEGRP WHERE FILEGRP.PRODID = ?",
    "DELETE FROM PROGGRP WHERE PROGGRP.PRODID = ?",
    "DELETE FROM PROGRESS WHERE PROGRESS.PRODID = ?",
    "DELETE FROM README WHERE README.PRODID = ?",
    "DELETE FROM REGKEYS WHERE REGKEYS.PRODID = ?",
    "DELETE FROM STRINGS WHERE STRINGS.PRODID = ?",
    "DELETE FROM WCREGRP WHERE WCREGRP.PRODID = ?",
    "DELETE FROM WFINISH WHERE WFINISH.PRODID = ?",
    "DELETE FROM WINDOWS WHERE WINDOWS.PRODID = ?",
    "DELETE FROM WLICAGR WHERE WLICAGR.PRODID = ?",
    "DELETE FROM WMAIN WHERE WMAIN.PRODID = ?",
    "DELETE FROM MAINTEXT WHERE MAINTEXT.PRODID = ?",
    "DELETE FROM WUSER WHERE WUSER.PRODID = ?",
    "DELETE FROM WWELCOME WHERE WWELCOME.PRODID = ?",
    "DELETE FROM PRODUCT WHERE PRODUCT.ID = ?",
};

constexpr const char* kReadmeQuery =
    "SELECT FILE.PATH FROM FILE, FILEGRP WHERE FILE.FILEGRPID = FILEGRP.ID AND FILE.PRODID = ? "
    "AND FILEGRP.PRODID = ? AND FILEGRP.PROGGRPID > 0 AND FILE.README = 1";

runtime::Value arg(runtime::Args args, size_t n) { return n < args.size() ? args[n] : runtime::Value(); }

// Equal unless both values are there and differ; a null on either side counts as equal.
bool same_or_null(const runtime::Value& a, const runtime::Value& b) {
    return a.isNull() || b.isNull() || a.toText() == b.toText();
}

}  // namespace

nv_create_setup::nv_create_setup() : nv_a("nv_create_setup") {
    extend("constructor", [this](runtime::Args) {
        ids_stringtable = runtime::create<u_ds_stringtable_z>();
        ids_proggrp_stringtable = runtime::create<u_ds_proggrp_stringtable>();
        ids_product_stringtable = runtime::create<u_ds_product_stringtable>();
        ids_all_products = runtime::create<u_ds_all_products>();
        fnv_retrieve_all_products();
        return runtime::Value();
    });
    extend("destructor", [this](runtime::Args) {
        runtime::destroy(ids_stringtable);
        runtime::destroy(ids_proggrp_stringtable);
        runtime::destroy(ids_product_stringtable);
        runtime::destroy(ids_all_products);
        return runtime::Value();
    });
    on("ue_start_edit", [this](runtime::Args) {
        ue_start_edit();
        return runtime::Value();
    });
    on("ue_end_edit", [this](runtime::Args) {
        ue_end_edit();
        return runtime::Value();
    });
    // Callers that know the service only by name (the settings, the row sets, the libraries).
    on("fnv_get_fullprodname", [this](runtime::Args) { return runtime::Value(fnv_get_fullprodname()); });
    on("fnv_evaluate_string", [this](runtime::Args a) {
        return runtime::Value(fnv_evaluate_string(a.empty() ? runtime::Value() : a[0]));
    });
    on("fnv_set_compiled", [this](runtime::Args a) {
        fnv_set_compiled(arg(a, 0));
        return runtime::Value();
    });
    on("fnv_get_compiled", [this](runtime::Args) { return runtime::Value(fnv_get_compiled()); });
    on("fnv_retrieve_product_stringtable", [this](runtime::Args a) {
        return runtime::Value(fnv_retrieve_product_stringtable(static_cast<int16_t>(arg(a, 0).toInt())));
    });
    on("fnv_retrieve_proggrp_stringtable", [this](runtime::Args a) {
        return runtime::Value(fnv_retrieve_proggrp_stringtable(static_cast<int16_t>(arg(a, 0).toInt())));
    });
    on("fnv_retrieve_stringtable", [this](runtime::Args a) {
        return runtime::Value(fnv_retrieve_stringtable(static_cast<int16_t>(arg(a, 0).toInt())));
    });
    on("fnv_retrieve_all_products", [this](runtime::Args) { return runtime::Value(fnv_retrieve_all_products()); });
    on("fnv_update_all_products", [this](runtime::Args) { return runtime::Value(int{fnv_update_all_products()}); });
    on("fnv_insert_product", [this](runtime::Args) { return runtime::Value(int{fnv_insert_product()}); });
    on("fnv_delete_product", [this](runtime::Args a) { return runtime::Value(fnv_delete_product(arg(a, 0))); });
    on("fnv_make_stringvar_string", [this](runtime::Args a) {
        return runtime::Value(fnv_make_stringvar_string(arg(a, 0).toText()));
    });
    on("fnv_test_product", [this](runtime::Args a) {
        fnv_test_product(static_cast<int16_t>(arg(a, 0).toInt()));
        return runtime::Value();
    });
}

nv_create_setup::~nv_create_setup() = default;

void nv_create_setup::ue_start_edit() {
    for (runtime::Window* window : runtime::Window::openWindows())
        if (window->className() == "w_choose_product") window->close();
}

void nv_create_setup::ue_end_edit() {
    pakomo& a = app();
    a.gi_prod_id = 0;
    if (w_mdi* frame = a.g_w_frame.get()) {
        a.g_str_pass.string[1] = "choose_product";
        frame->post("ue_fileopen");
    }
}

long nv_create_setup::fnv_retrieve_all_products() { return ids_all_products->retrieve(); }

bool nv_create_setup::fnv_share_all_products(runtime::DataStore& ads_ds) {
    return ids_all_products->shareData(ads_ds) == 1;
}

int16_t nv_create_setup::fnv_update_all_products() {
    return static_cast<int16_t>(ids_all_products->update());
}

int16_t nv_create_setup::fnv_insert_product() {
    u_ds_all_products& all = *ids_all_products;
    const long row = all.insertRow(0);
    const runtime::Value max_id = all.getItem(1, "c_max_id");
    const int32_t id = (max_id.isNull() ? 0 : static_cast<int32_t>(max_id.toInt())) + 1;
    all.setItem(row, "id", runtime::Value(id));
    return static_cast<int16_t>(id);
}

long nv_create_setup::fnv_retrieve_product_stringtable(int16_t ai_prod_id) {
    const runtime::Value id(int{ai_prod_id});
    return ids_product_stringtable->retrieve(std::span(&id, 1));
}

long nv_create_setup::fnv_retrieve_proggrp_stringtable(int16_t ai_prod_id) {
    const runtime::Value id(int{ai_prod_id});
    return ids_proggrp_stringtable->retrieve(std::span(&id, 1));
}

long nv_create_setup::fnv_retrieve_stringtable(int16_t ai_prod_id) {
    const runtime::Value id(int{ai_prod_id});
    return ids_stringtable->retrieve(std::span(&id, 1));
}

// Before any product is loaded there is no row: the names are then empty, and so is the full name.
std::string nv_create_setup::product_text(const char* column) {
    if (ids_product_stringtable->rowCount() < 1) return {};
    return ids_product_stringtable->getItem(1, column).toText();
}

std::string nv_create_setup::fnv_get_prodname() { return product_text("prodname"); }
std::string nv_create_setup::fnv_get_prodvers() { return product_text("prodvers"); }
std::string nv_create_setup::fnv_get_label() { return product_text("label"); }

std::string nv_create_setup::fnv_get_trimmed(const std::string& as_str1, const std::string& as_str2,
                                             const std::string& as_str3) {
    const std::string two = runtime::trim(as_str1 + " " + as_str2);
    return runtime::trim(two + " " + as_str3);
}

std::string nv_create_setup::fnv_get_fullprodname() {
    const std::string name = fnv_get_prodname();
    const std::string version = fnv_get_prodvers();
    const std::string label = fnv_get_label();
    return fnv_get_trimmed(name, version, label);
}

// All or nothing: a statement that fails rolls back the ones before it, and the product's settings
// stay with the product that is still there.
bool nv_create_setup::fnv_delete_product(runtime::Value ai_prod_id) {
    if (ai_prod_id.isNull() || ai_prod_id.toInt() <= 0) return false;
    pakomo& a = app();
    const runtime::Value id(static_cast<int>(static_cast<int16_t>(ai_prod_id.toInt())));
    for (const char* statement : kProductDeletes) {
        if (a.sqlca.executeValues(statement, std::span(&id, 1)) < 0) {
            a.sqlca.rollback();
            return false;
        }
    }
    if (a.sqlca.commit() < 0) {
        a.sqlca.rollback();
        return false;
    }
    a.gnv_registry->fnv_delete_product();
    a.gi_prod_id = 0;
    return true;
}

void nv_create_setup::fnv_prodname_changed(runtime::DataStore& ads_ds) {
    runtime::DataStore& mine = *ids_product_stringtable;
    bool changed = false;
    for (const char* column : {"prodname", "prodvers", "label"})
        if (!same_or_null(mine.getItem(1, column), ads_ds.getItem(1, column))) changed = true;
    // The key is named after the old values, which the row still holds here.
    if (changed) app().gnv_registry->fnv_delete_product();
    mine.setItem(1, "prodname", ads_ds.getItem(1, "prodname"));
    mine.setItem(1, "prodvers", ads_ds.getItem(1, "prodvers"));
    mine.setItem(1, "label", ads_ds.getItem(1, "label"));
    mine.setItem(1, "basepath", ads_ds.getItem(1, "stringvar_basepath"));
}

void nv_create_setup::fnv_set_compiled(runtime::Value ab_compiled) {
    const bool built = !ab_compiled.isNull() && ab_compiled.toBool();
    app().gnv_registry->fnv_set_compiled(built ? 1u : 0u);
}

bool nv_create_setup::fnv_get_compiled() {
    uint32_t value = app().gnv_registry->fnv_get_compiled(0);
    if (value > 0 && fnv_get_setup_filename().empty()) value = 0;
    return value > 0;
}

std::string nv_create_setup::fnv_get_setup_filename() {
    const std::string folder = app().gnv_registry->fnv_get_filedest("");
    if (folder.empty()) return {};
    const std::string candidate = folder + "\\" + fnv_get_fullprodname() + "\\Disc1\\Setup.exe";
    return runtime::fileExists(candidate) ? candidate : std::string();
}

void nv_create_setup::fnv_test_product(int16_t ai_prod_id) {
    pakomo& a = app();
    std::string readme(256, ' ');
    const std::array<runtime::Value, 2> ids = {runtime::Value(int{ai_prod_id}), runtime::Value(int{ai_prod_id})};
    runtime::SqlRow row;
    if (a.sqlca.selectIntoValues(kReadmeQuery, ids, row) == 0 && !row.empty() && row[0]) readme = *row[0];
    readme = runtime::trim(readme);
    if (!readme.empty()) readme = "\"" + readme + "\"";

    const std::string setup = fnv_get_setup_filename();
    std::string command_line;
    if (!setup.empty()) command_line = "\"" + setup + "\" Test " + readme;
    runtime::run(command_line);
}

void register_project() {
    runtime::registerClass<nv_create_setup>("nv_create_setup");
    runtime::registerClass<nv_filegrp>("nv_filegrp");
    runtime::registerClass<nv_proggrp>("nv_proggrp");
    runtime::registerClass<nv_regobjects>("nv_regobjects");
}

}  // namespace pakomo
