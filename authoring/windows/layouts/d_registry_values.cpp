#include "authoring/core/layouts/core_layouts.h"
#include "authoring/windows/layouts/windows_layouts.h"

namespace pakomo {

// The values of one registry key as the registry-reading library writes them; filled by an import,
// never retrieved, and kept in the order of the file. Names and data have no length limit: a long
// value must not make the whole import fail.
runtime::DataLayout d_registry_values() {
    runtime::DataLayout l;
    l.name = "d_registry_values";
    l.columns = {layout_column("as_name", "as_name", "char"), layout_column("type", "type", "long"),
                 layout_column("as_value", "as_value", "char")};
    return l;
}

}  // namespace pakomo
