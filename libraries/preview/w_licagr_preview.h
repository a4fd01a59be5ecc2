#pragma once
// The preview of Setup's licence page: the agreement expanded, the acceptance with the product's name.
#include "authoring/windows/w_datawindow_zoom.h"

namespace pakomo {

class w_licagr_preview : public w_datawindow_zoom {
public:
    w_licagr_preview();
};

}  // namespace pakomo
