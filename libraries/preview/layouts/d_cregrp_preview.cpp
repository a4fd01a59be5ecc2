#include "libraries/preview/layouts/preview_layouts.h"

namespace pakomo {

// Setup's program group page: the page text, then the group's field over the list of groups.
runtime::DataLayout d_cregrp_preview() {
    using namespace preview_layout;
    runtime::DataLayout l = page("d_cregrp_preview", true, "<< Previous", "Next >>", "Cancel");
    add_static(l, "t_pagetext", 92, 7, 206, 49);
    add_static(l, "t_groups_label", 92, 59, 50, 8, "Programgroups:");
    // The combo box's area, 92, 71, 206 x 91: a field 20 pixels high, the list below it.
    add_field(l, "t_group", 92, 71, 206, 12);
    add_field(l, "t_grouplist", 92, 84, 206, 78);
    runtime::TextLayout& group = l.texts[l.texts.size() - 2];
    runtime::TextLayout& list = l.texts.back();
    group.height = preview_layout::units_y(20);
    list.y = group.y + preview_layout::units_y(21);
    list.height = preview_layout::units_y((91 * 13 + 4) / 8 - 21);
    return l;
}

}  // namespace pakomo
