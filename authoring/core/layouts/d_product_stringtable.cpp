#include "authoring/core/layouts/core_layouts.h"

namespace pakomo {

// The values of one product that its reserved string variables stand for.
runtime::DataLayout d_product_stringtable() {
    runtime::DataLayout l;
    l.name = "d_product_stringtable";
    l.columns = {
        layout_column("id", "PRODUCT.ID", "decimal(0)"),
        layout_column("prodname", "PRODUCT.PRODNAME", "char(32)"),
        layout_column("prodvers", "PRODUCT.PRODVERS", "char(16)"),
        layout_column("basepath", "PRODUCT.BASEPATH", "char(254)"),
        layout_column("label", "PRODUCT.LABEL", "char(32)"),
    };
    l.select =
        "SELECT PRODUCT.ID, PRODUCT.PRODNAME, PRODUCT.PRODVERS, PRODUCT.BASEPATH, PRODUCT.LABEL FROM PRODUCT "
        "WHERE PRODUCT.ID = :1";
    return l;
}

}  // namespace pakomo
