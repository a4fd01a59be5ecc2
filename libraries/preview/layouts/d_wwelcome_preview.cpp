#include "libraries/preview/layouts/preview_layouts.h"

namespace pakomo {

// Setup's welcome page: the heading made from the product's name and version, and the advice.
runtime::DataLayout d_wwelcome_preview() {
    using namespace preview_layout;
    runtime::DataLayout l = page("d_wwelcome_preview", true, "", "Next >>", "Cancel");
    add_static(l, "t_heading", 91, 4, 199, 42);
    add_static(l, "t_advice", 91, 48, 199, 50,
               "The installation program cannot update files that are in use by other Windows-programs.\n"
               "Please close all currently active programs before proceeding.\n\n"
               "Click <Next> to proceed the installation.");
    return l;
}

}  // namespace pakomo
