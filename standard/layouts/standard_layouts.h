#pragma once
// The data-window layouts of the framework's dialogs, one file each; register_standard_layouts()
// makes them known to the runtime by name.
#include <cstdint>
#include <vector>

#include "runtime/data/DataLayout.h"

namespace pakomo {

// The fixed colours of the colour picker's list, in the list's order.
const std::vector<int32_t>& dddw_choose_color_rows();
runtime::DataLayout dddw_choose_color();
runtime::DataLayout d_choose_font_color();

void register_standard_layouts();

}  // namespace pakomo
