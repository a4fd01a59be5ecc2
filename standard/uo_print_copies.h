#pragma once
// The "Copies" group of the print dialog: a four-digit spin field (1 to 9999 by the arrows);
// every change is reported to the window (queued).
#include <cstdint>
#include <string>

#include "runtime/ui/Controls.h"
#include "standard/u_em_a.h"
#include "standard/u_gb_a.h"
#include "standard/u_st_a.h"

namespace pakomo {

class uo_print_copies : public runtime::UserObject {
public:
    explicit uo_print_copies(std::string className = "uo_print_copies");

    void fu_set_copies(int16_t ai_copies);
    // The field's number; 0 when it holds none.
    int16_t fu_get_copies() const;

    runtime::Ref<u_gb_a> gb_1;
    runtime::Ref<u_st_a> st_1;
    runtime::Ref<u_em_a> em_copies;
};

}  // namespace pakomo
