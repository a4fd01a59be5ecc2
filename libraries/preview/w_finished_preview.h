#pragma once
// The preview of Setup's finished page: the final text and, with the restart offer, its choices.
#include "authoring/windows/w_datawindow_zoom.h"

namespace pakomo {

class w_finished_preview : public w_datawindow_zoom {
public:
    w_finished_preview();
};

}  // namespace pakomo
