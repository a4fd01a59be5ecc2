#include "libraries/project/u_ds_proggrp.h"

#include <vector>

#include "authoring/core/pakomo.h"

namespace pakomo {

u_ds_proggrp::u_ds_proggrp(std::string className) : u_ds_create_setup_a(std::move(className)) {
    setDataObject("d_proggrps");
    extend("constructor", [this](runtime::Args) {
        retrieve(std::vector<runtime::Value>{app().gi_prod_id});
        return runtime::Value();
    });
}

}  // namespace pakomo
