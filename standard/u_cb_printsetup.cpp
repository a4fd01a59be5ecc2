#include "standard/u_cb_printsetup.h"

#include "runtime/ui/DataWindow.h"

namespace pakomo {

using runtime::Args;
using runtime::Value;

u_cb_printsetup::u_cb_printsetup(std::string className) : u_cb_a(std::move(className)) {
    setText("&Setup...");
    extend("constructor", [this](Args) {
        fu_set_microhelptext("View or change the printer properties");
        return Value();
    });
    extend("clicked", [](Args) {
        runtime::DataWindow::printSetup();
        return Value();
    });
}

}  // namespace pakomo
