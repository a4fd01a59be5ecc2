#include "authoring/core/u_ds_create_setup_a.h"

#include "authoring/core/nv_a.h"
#include "authoring/core/pakomo.h"

namespace pakomo {

u_ds_create_setup_a::u_ds_create_setup_a(std::string className) : u_ds_a(std::move(className)) {
    extend("constructor", [this](runtime::Args) {
        setTransObject(&app().sqlca);
        return runtime::Value();
    });
    extend("ue_post_updateend", [](runtime::Args args) {
        if (!args.empty() && !args[0].isNull() && args[0].toBool())
            app().gnv_create_setup->trigger("fnv_set_compiled", {runtime::Value(false)});
        return runtime::Value();
    });
}

u_ds_create_setup_a::~u_ds_create_setup_a() = default;

}  // namespace pakomo
