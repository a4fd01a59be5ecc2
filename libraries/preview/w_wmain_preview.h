#pragma once
// The preview of Setup's background window on this screen: the caption, the background colour and
// each background text where Setup draws it (its place in ten-thousandths of the client area, its
// font's height following the screen's width), reduced to fit.
#include <cstdint>

#include "authoring/windows/w_datawindow_zoom.h"

namespace pakomo {

class w_wmain_preview : public w_datawindow_zoom {
public:
    w_wmain_preview();

    // Setup's font height in pixels (negative) for a size in points on a screen `ai_width` wide,
    // and a text's place in pixels for its edge in ten-thousandths of `ai_length`.
    static int fw_font_height(int ai_points, int ai_width);
    static int fw_position(long al_edge, int ai_length);
};

}  // namespace pakomo
