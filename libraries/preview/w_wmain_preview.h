#pragma once
// The preview of Setup's background window on this screen: the caption, the background colour and
// each background text where Setup draws it (its place in ten-thousandths of the client area, its
// font's height following the screen's width), reduced to fit.
#include <cstdint>
#include <optional>
#include <string>

#include "authoring/windows/w_datawindow_zoom.h"
#include "runtime/data/DataLayout.h"
#include "runtime/data/DataStore.h"

namespace pakomo {

class w_wmain_preview : public w_datawindow_zoom {
public:
    w_wmain_preview();

    // Setup's font height in pixels (negative) for a size in points on a screen `ai_width` wide,
    // and a text's place in pixels for its edge in ten-thousandths of `ai_length`.
    static int fw_font_height(int ai_points, int ai_width);
    static int fw_position(long al_edge, int ai_length);
    // The edge in ten-thousandths that places a text at pixel `ai_pixel` of `ai_length`, so that
    // Setup draws it at the same relative place on any screen (0 to 10000).
    static long fw_edge(int ai_pixel, int ai_length);

    // The client area of a background layout (d_wmain_preview), in pixels: its size and its top
    // below the caption.
    struct client_area {
        int width = 0, height = 0, top = 0;
    };
    static client_area fw_client_area(const runtime::DataLayout& al_layout);
    // Draws Setup's background window into a layout made by d_wmain_preview: the caption (the
    // title expanded), the colour (none keeps Setup's grey) and each text of `ads_texts` (columns
    // of MAINTEXT) as object "t_text_<row>", later ones over earlier ones. With `ab_fit_texts`
    // each text's object is only as wide as its text, so that a click beside a text misses it.
    static void fw_draw(runtime::DataLayout& al_layout, const std::string& as_title,
                        std::optional<long> al_bgcolor, const runtime::DataStore* ads_texts,
                        bool ab_fit_texts = false);
};

}  // namespace pakomo
