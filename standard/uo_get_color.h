#pragma once
// The fixed colour picker: a drop-down of fixed colours, each shown on itself, and "&RGB..."
// to mix any other colour. Its one colour lives in the single row of dw_color; the owner hears
// of changes through ue_selection_changed (queued) and reads fu_get_color.
#include <cstdint>
#include <string>

#include "runtime/ui/DataWindow.h"
#include "standard/u_cb_a.h"
#include "standard/u_gb_a.h"
#include "standard/uo_a.h"

namespace pakomo {

class uo_get_color : public uo_a {
public:
    explicit uo_get_color(std::string className = "uo_get_color");

    int32_t fu_get_color() const;
    void fu_set_color(int32_t al_color);

    runtime::Ref<u_gb_a> gb_color;
    runtime::Ref<runtime::DataWindow> dw_color;
    runtime::Ref<u_cb_a> cb_rgb;
};

}  // namespace pakomo
