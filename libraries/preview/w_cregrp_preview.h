#pragma once
// The preview of Setup's program group page: its page text and the default group, expanded.
#include "authoring/windows/w_datawindow_zoom.h"

namespace pakomo {

class w_cregrp_preview : public w_datawindow_zoom {
public:
    w_cregrp_preview();
};

}  // namespace pakomo
