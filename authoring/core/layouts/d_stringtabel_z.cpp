#include "authoring/core/layouts/core_layouts.h"

namespace pakomo {

// One product's string variables.
runtime::DataLayout d_stringtabel_z() {
    runtime::DataLayout l;
    l.name = "d_stringtabel_z";
    l.columns = {
        layout_column("id", "STRINGS.ID", "decimal(0)"),
        layout_column("prodid", "STRINGS.PRODID", "decimal(0)"),
        layout_column("name", "STRINGS.NAME", "char(32)"),
        layout_column("value", "STRINGS.VALUE", "char(254)"),
    };
    l.select = "SELECT STRINGS.ID, STRINGS.PRODID, STRINGS.NAME, STRINGS.VALUE FROM STRINGS WHERE STRINGS.PRODID = :1";
    return l;
}

}  // namespace pakomo
