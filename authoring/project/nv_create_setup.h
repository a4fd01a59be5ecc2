#pragma once
// The project service (gnv_create_setup): the product catalogue shared with the chooser, the rows
// of the current product (its PRODUCT row, components and string variables), the full product
// name, deleting and renaming a product, its built state and its test run.
//
// The three row sets of the current product are one-line descendants of u_ds_create_setup_a and
// are used only here, so they are declared in this file.
#include <cstdint>
#include <string>
#include <vector>

#include "authoring/core/nv_a.h"
#include "authoring/core/u_ds_all_products.h"
#include "authoring/core/u_ds_create_setup_a.h"

namespace runtime {
class DataWindow;
}

namespace pakomo {
class u_dw_a;
}

namespace pakomo {

class u_ds_product_stringtable : public u_ds_create_setup_a {
public:
    u_ds_product_stringtable() : u_ds_create_setup_a("u_ds_product_stringtable") { setDataObject("d_product_stringtable"); }
};

class u_ds_proggrp_stringtable : public u_ds_create_setup_a {
public:
    u_ds_proggrp_stringtable() : u_ds_create_setup_a("u_ds_proggrp_stringtable") { setDataObject("d_proggrp_stringtable"); }
};

class u_ds_stringtable_z : public u_ds_create_setup_a {
public:
    u_ds_stringtable_z() : u_ds_create_setup_a("u_ds_stringtable_z") { setDataObject("d_stringtabel_z"); }
};

class nv_create_setup : public nv_a {
public:
    nv_create_setup();
    ~nv_create_setup() override;

    const std::string stringvar_delimiter = "^";

    runtime::Ref<u_ds_all_products> ids_all_products;
    runtime::Ref<u_ds_stringtable_z> ids_stringtable;
    runtime::Ref<u_ds_proggrp_stringtable> ids_proggrp_stringtable;
    runtime::Ref<u_ds_product_stringtable> ids_product_stringtable;

    // The catalogue.
    long fnv_retrieve_all_products();
    bool fnv_share_all_products(runtime::DataStore& ads_ds);
    int16_t fnv_update_all_products();
    int16_t fnv_insert_product();

    // The current product.
    long fnv_retrieve_product_stringtable(int16_t ai_prod_id);
    long fnv_retrieve_proggrp_stringtable(int16_t ai_prod_id);
    long fnv_retrieve_stringtable(int16_t ai_prod_id);
    std::string fnv_get_prodname();
    std::string fnv_get_prodvers();
    std::string fnv_get_label();
    std::string fnv_get_trimmed(const std::string& as_str1, const std::string& as_str2, const std::string& as_str3);
    std::string fnv_get_fullprodname();

    // A reference to a string variable, as it is pasted into texts.
    std::string fnv_make_stringvar_string(const std::string& as_name) const {
        return stringvar_delimiter + as_name + stringvar_delimiter;
    }

    // Deleting and renaming.
    bool fnv_delete_product(runtime::Value ai_prod_id);
    void fnv_prodname_changed(runtime::DataStore& ads_ds);

    // Built state and test run.
    void fnv_set_compiled(runtime::Value ab_compiled);
    bool fnv_get_compiled();
    std::string fnv_get_setup_filename();
    void fnv_test_product(int16_t ai_prod_id);

    // String variables: "^NAME^" references expanded, reserved and component path variables
    // included, circular references marked.
    const std::vector<std::string> is_reserved_stringtable_names = {
        "PRODUCTNAME", "PRODUCTVERSION", "WINDOWSDIR", "WINDOWSSYSTEMDIR", "WINDOWSDRIVE", "SETUPPATH", "PROGRAMFILESDIR"};
    const std::string is_prefix_proggrp_stringtable = "PATH_";
    std::string fnv_evaluate_string(const runtime::Value& as_string);
    std::string fnv_evaluate_string(const std::string& as_string);
    // The raw value; null when a stored value is null.
    runtime::Value fnv_get_stringtable_value(const std::string& as_variable);
    int16_t fnv_check_reserved_stringtable_names(const runtime::Value& as_string) const;
    bool fnv_evaluate_string_check_circular_reference(const runtime::Value& as_string) const;

    // Lists of string variables: the picker's list, the reserved values shown in a page's text
    // objects, and a typed name kept unique and clear of the reserved names.
    void fnv_fill_stringvar_ds(runtime::DataStore& ads_ds);
    void fnv_fill_reserved_stringvar_dw(u_dw_a& adw_dw);
    void fnv_check_duplicate_stringtable_names(u_dw_a& adw_dw, long row, const runtime::Value& data);

    // Preview zoom: whether the control's page layout must be reduced to fit the control, the
    // zoom that makes it fit, the reduced size and a title suffix telling the reduction.
    bool fnv_get_zoom_args(const runtime::DataWindow& adw_dw, int16_t& ai_dw_w, int16_t& ai_dw_h, int16_t& ai_zoom,
                           std::string& as_title);

private:
    std::vector<std::string> is_evaluated_strings;
    int16_t ii_evaluated_strings_index = 0;

    void ue_start_edit();
    void ue_end_edit();
    std::string product_text(const char* column);
};

// Registers the project service's classes with the runtime's class registry.
void register_project();

}  // namespace pakomo
