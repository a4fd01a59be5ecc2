#include "authoring/core/u_ds_all_products.h"

#include "authoring/core/pakomo.h"

namespace pakomo {

u_ds_all_products::u_ds_all_products() : u_ds_a("u_ds_all_products") {
    setDataObject("d_all_products");
    extend("constructor", [this](runtime::Args) {
        setTransObject(&app().sqlca);
        return runtime::Value();
    });
}

u_ds_all_products::~u_ds_all_products() = default;

}  // namespace pakomo
