#include "authoring/core/layouts/core_layouts.h"

namespace pakomo {

// Every product, for the chooser and the project service; a new row carries a new product's values.
runtime::DataLayout d_all_products() {
    runtime::DataLayout l;
    l.name = "d_all_products";
    l.columns = {
        layout_column("id", "PRODUCT.ID", "decimal(0)", true, true),
        layout_column("prodname", "PRODUCT.PRODNAME", "char(32)", false, true, "<Your productname>"),
        layout_column("prodvers", "PRODUCT.PRODVERS", "char(16)", false, true, "1.00.00"),
        layout_column("readme", "PRODUCT.README", "number", false, true, 0),
        layout_column("setupnorm", "PRODUCT.SETUPNORM", "number", false, true, 1),
        layout_column("setupmin", "PRODUCT.SETUPMIN", "number", false, true, 0),
        layout_column("setupcust", "PRODUCT.SETUPCUST", "number", false, true, 1),
        layout_column("basepath", "PRODUCT.BASEPATH", "char(254)", false, true, "^PROGRAMFILESDIR^\\^PRODUCTNAME^"),
        layout_column("label", "PRODUCT.LABEL", "char(32)", false, true, "Empty"),
    };
    l.computed = {{"c_max_id", "max(id for all)"}};
    l.select =
        "SELECT PRODUCT.ID, PRODUCT.PRODNAME, PRODUCT.PRODVERS, PRODUCT.README, PRODUCT.SETUPNORM, "
        "PRODUCT.SETUPMIN, PRODUCT.SETUPCUST, PRODUCT.BASEPATH, PRODUCT.LABEL FROM PRODUCT ORDER BY PRODUCT.ID ASC";
    l.updateTable = "PRODUCT";
    return l;
}

}  // namespace pakomo
