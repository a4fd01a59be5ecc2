#include "libraries/preview/layouts/preview_layouts.h"

namespace pakomo {

// Setup's licence page: no side picture; the agreement between the instruction and the acceptance.
runtime::DataLayout d_licagr_preview() {
    using namespace preview_layout;
    runtime::DataLayout l = page("d_licagr_preview", false, "<< Previous", "Next >>", "Cancel");
    add_static(
        l, "t_instruction", 2, 8, 293, 18,
        "Please read the following license-agreement. Then click <Next> to accept the license-agreement.");
    add_field(l, "t_lictext", 3, 33, 295, 103);
    l.textStyles["t_lictext"].wrap = true;
    add_static(l, "t_acceptance", 2, 144, 293, 18);
    return l;
}

}  // namespace pakomo
