#pragma once
// The preview of Setup's user information page: its page text expanded.
#include "authoring/windows/w_datawindow_zoom.h"

namespace pakomo {

class w_userinfo_preview : public w_datawindow_zoom {
public:
    w_userinfo_preview();
};

}  // namespace pakomo
