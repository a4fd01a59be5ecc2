#include "libraries/preview/layouts/preview_layouts.h"

namespace pakomo {

// Setup's finished page: the final text, the two restart choices and their advice; only Finish.
runtime::DataLayout d_finished_preview() {
    using namespace preview_layout;
    runtime::DataLayout l = page("d_finished_preview", true, "", "Finish", "");
    add_static(l, "t_finaltext", 91, 9, 205, 66);
    add_static(l, "t_choice1", 93, 82, 203, 10);
    add_static(l, "t_choice2", 93, 96, 203, 10);
    add_static(l, "t_advice", 93, 129, 203, 31,
               "Remove any discs from their drives and click <Finish> to complete the installation.");
    return l;
}

}  // namespace pakomo
