#pragma once
// The preview of Setup's welcome page: the heading with the product's name and version as stored.
#include "authoring/windows/w_datawindow_zoom.h"

namespace pakomo {

class w_wwelcome_preview : public w_datawindow_zoom {
public:
    w_wwelcome_preview();
};

}  // namespace pakomo
