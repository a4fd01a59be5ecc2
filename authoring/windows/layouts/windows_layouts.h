#pragma once
// The data-window layouts of the authoring windows, one file each; register_windows_layouts()
// makes them known to the runtime by name.
#include "runtime/data/DataLayout.h"

namespace pakomo {

runtime::DataLayout d_summary();
runtime::DataLayout d_registry_values();

void register_windows_layouts();

}  // namespace pakomo
