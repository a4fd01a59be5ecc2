// Fitting a page layout into its preview control.
#include "authoring/project/nv_create_setup.h"

#include "runtime/core/RuntimeError.h"
#include "runtime/ui/DataWindow.h"

#include <algorithm>
#include <charconv>

namespace pakomo {
namespace {

// An attribute of the layout as a whole number; a missing one is an error of the caller's layout.
int attribute(const runtime::DataWindow& dw, const char* name) {
    const std::string text = dw.describe(name);
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size())
        throw runtime::RuntimeError(std::string("The page layout has no ") + name + " (" + dw.dataObject() + ")");
    return value;
}

}  // namespace

bool nv_create_setup::fnv_get_zoom_args(const runtime::DataWindow& adw_dw, int16_t& ai_dw_w, int16_t& ai_dw_h,
                                        int16_t& ai_zoom, std::string& as_title) {
    bool lb_zoom = false;
    ai_zoom = 100;
    const int li_org_dw_w = attribute(adw_dw, "t_width.width");
    const int li_org_dw_h = attribute(adw_dw, "detail.height") + attribute(adw_dw, "header.height");
    const int width = adw_dw.width();
    const int height = adw_dw.height();
    if (li_org_dw_w > width || li_org_dw_h > height) {
        // A layout of no size cannot be reduced to anything.
        if (li_org_dw_w <= 0 || li_org_dw_h <= 0)
            throw runtime::RuntimeError("The page layout " + adw_dw.dataObject() + " has no size to reduce");
        lb_zoom = true;
        const double ldbl_w_factor = static_cast<double>(width) / li_org_dw_w;
        const double ldbl_h_factor = static_cast<double>(height) / li_org_dw_h;
        const double ldbl_zoom = std::min(ldbl_w_factor, ldbl_h_factor);
        // Fractions are dropped, so the reduced layout never grows past the control.
        ai_zoom = static_cast<int16_t>(100.0 * ldbl_zoom);
        as_title += " (" + std::to_string(100 - ai_zoom) + "% zoomed)";
        ai_dw_w = static_cast<int16_t>(li_org_dw_w * ldbl_zoom);
        ai_dw_h = static_cast<int16_t>(li_org_dw_h * ldbl_zoom);
    } else {
        ai_dw_w = static_cast<int16_t>(li_org_dw_w);
        ai_dw_h = static_cast<int16_t>(li_org_dw_h);
    }
    return lb_zoom;
}

}  // namespace pakomo
