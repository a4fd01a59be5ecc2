#include "libraries/preview/layouts/preview_layouts.h"

namespace pakomo {

// Setup's user information page: the page text above the name and company fields.
runtime::DataLayout d_userinfo_preview() {
    using namespace preview_layout;
    runtime::DataLayout l = page("d_userinfo_preview", true, "<< Previous", "Next >>", "Cancel");
    add_static(l, "t_pagetext", 93, 7, 204, 64);
    add_static(l, "t_name_label", 93, 74, 22, 8, "Name:");
    add_field(l, "t_name", 149, 71, 147, 14);
    add_static(l, "t_company_label", 93, 95, 32, 8, "Company:");
    add_field(l, "t_company", 149, 92, 147, 14);
    return l;
}

}  // namespace pakomo
