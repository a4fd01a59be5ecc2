#include "libraries/project/u_ds_product.h"

#include <vector>

#include "authoring/core/pakomo.h"

namespace pakomo {

u_ds_product::u_ds_product(std::string className) : u_ds_create_setup_a(std::move(className)) {
    setDataObject("d_product");
    extend("constructor", [this](runtime::Args) {
        retrieve(std::vector<runtime::Value>{app().gi_prod_id});
        return runtime::Value();
    });
}

}  // namespace pakomo
