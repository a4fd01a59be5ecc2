#include "authoring/core/layouts/core_layouts.h"
#include "libraries/project/layouts/project_layouts.h"

namespace pakomo {

// The PRODUCT row of one product: the catalogue's columns for that id alone.
runtime::DataLayout d_product() {
    runtime::DataLayout l = d_all_products();
    l.name = "d_product";
    l.select =
        "SELECT PRODUCT.ID, PRODUCT.PRODNAME, PRODUCT.PRODVERS, PRODUCT.README, PRODUCT.SETUPNORM, "
        "PRODUCT.SETUPMIN, PRODUCT.SETUPCUST, PRODUCT.BASEPATH, PRODUCT.LABEL FROM PRODUCT WHERE PRODUCT.ID = :1";
    return l;
}

void register_project_layouts() {
    for (auto make : {d_product, d_project_proggrps, d_project_stringtable, d_project_maintext, d_project_regkeys,
                      dddw_project_components})
        runtime::registerLayout(make());
}

}  // namespace pakomo
