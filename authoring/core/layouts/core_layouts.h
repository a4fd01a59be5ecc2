#pragma once
// The data-window layouts of the project database, one file each; registerCoreLayouts() makes
// them known to the runtime by name.
#include <string>

#include "runtime/data/DataLayout.h"

namespace pakomo {

runtime::DataLayout d_all_products();
runtime::DataLayout d_product_stringtable();
runtime::DataLayout d_proggrp_stringtable();
runtime::DataLayout d_stringtabel_z();
runtime::DataLayout d_message_one();
runtime::DataLayout d_file_properties();
runtime::DataLayout d_files();
runtime::DataLayout d_filegrps();
runtime::DataLayout d_proggrps();
runtime::DataLayout d_regkeys();
runtime::DataLayout d_duplicate_files();
runtime::DataLayout d_choose_stringvar();
runtime::DataLayout d_privilege();

void registerCoreLayouts();

// A column of a layout: the name callers use, its "TABLE.COLUMN" in the database, its type.
inline runtime::ColumnLayout layout_column(std::string name, std::string dbName, std::string type,
                                           bool key = false, bool updatable = false,
                                           runtime::Value initial = {}) {
    runtime::ColumnLayout c;
    c.name = std::move(name);
    c.dbName = std::move(dbName);
    c.type = std::move(type);
    c.key = key;
    c.updatable = updatable;
    c.initial = std::move(initial);
    return c;
}

}  // namespace pakomo
