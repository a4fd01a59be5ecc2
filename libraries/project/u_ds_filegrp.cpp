#include "libraries/project/u_ds_filegrp.h"

#include <vector>

#include "authoring/core/pakomo.h"

namespace pakomo {

u_ds_filegrp::u_ds_filegrp(std::string className) : u_ds_create_setup_a(std::move(className)) {
    setDataObject("d_filegrps");
    extend("constructor", [this](runtime::Args) {
        retrieve(std::vector<runtime::Value>{app().gi_prod_id});
        return runtime::Value();
    });
}

}  // namespace pakomo
