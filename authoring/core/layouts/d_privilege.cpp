#include "authoring/core/layouts/core_layouts.h"

namespace pakomo {

// The register of columns that accept string variables; kept in memory only.
runtime::DataLayout d_privilege() {
    runtime::DataLayout l;
    l.name = "d_privilege";
    l.columns = {layout_column("objectname", "objectname", "char(256)"),
                 layout_column("parentobjectname", "parentobjectname", "char(256)"),
                 layout_column("privilege", "privilege", "number")};
    return l;
}

}  // namespace pakomo
