#pragma once
// The data-window layouts of the project library, one file each.
#include "runtime/data/DataLayout.h"

namespace pakomo {

runtime::DataLayout d_product();
runtime::DataLayout d_project_proggrps();
runtime::DataLayout d_project_stringtable();
runtime::DataLayout d_project_maintext();
runtime::DataLayout d_project_regkeys();
runtime::DataLayout dddw_project_components();

void register_project_layouts();

}  // namespace pakomo
