#include "standard/u_cb_print.h"

namespace pakomo {

using runtime::Args;
using runtime::Value;

u_cb_print::u_cb_print(std::string className) : u_cb_a(std::move(className)) {
    setText("&Print...");
    extend("constructor", [this](Args) {
        fu_set_event("ue_print");
        fu_set_microhelptext("Send the data to the printer");
        return Value();
    });
}

}  // namespace pakomo
