#include "authoring/core/layouts/core_layouts.h"

namespace pakomo {

void registerCoreLayouts() {
    for (auto make : {d_all_products, d_product_stringtable, d_proggrp_stringtable, d_stringtabel_z,
                      d_message_one, d_file_properties, d_files, d_filegrps, d_proggrps, d_regkeys, d_duplicate_files, d_choose_stringvar,
                      d_privilege})
        runtime::registerLayout(make());
}

}  // namespace pakomo
