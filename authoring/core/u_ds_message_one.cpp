#include "authoring/core/u_ds_message_one.h"

#include "authoring/core/pakomo.h"

namespace pakomo {

u_ds_message_one::u_ds_message_one() : u_ds_a("u_ds_message_one") {
    setDataObject("d_message_one");
    extend("constructor", [this](runtime::Args) {
        setTransObject(&app().sqlca);
        return runtime::Value();
    });
}

u_ds_message_one::~u_ds_message_one() = default;

}  // namespace pakomo
