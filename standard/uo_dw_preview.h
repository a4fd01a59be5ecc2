#pragma once
// The print preview of the caller's data window (datawindow_base[1] of the parameter record):
// the same rows, shared, as printed pages with rulers, at a zoom picked from a list.
#include <cstdint>
#include <string>

#include "runtime/ui/DataWindow.h"
#include "standard/u_ddlb_a.h"
#include "standard/u_gb_a.h"

namespace pakomo {

class uo_dw_preview : public runtime::UserObject {
public:
    explicit uo_dw_preview(std::string className = "uo_dw_preview");

    void fu_set_zoom(int16_t ai_zoom);
    void fu_set_orientation(int16_t ai_orientation);
    void fu_set_copies(int16_t ai_copies);

    runtime::Ref<u_gb_a> gb_1;
    runtime::Ref<u_ddlb_a> ddlb_1;
    runtime::Ref<runtime::DataWindow> dw_1;
};

}  // namespace pakomo
