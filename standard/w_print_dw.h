#pragma once
// The print dialog with a live preview of the caller's data window: orientation and copies
// reach the preview as they change, and "&Print" prints it.
#include <string>

#include "standard/uo_dw_preview.h"
#include "standard/w_print.h"

namespace pakomo {

class w_print_dw : public w_print {
public:
    explicit w_print_dw(std::string className = "w_print_dw");

    runtime::Ref<uo_dw_preview> uo_dw;
};

}  // namespace pakomo
