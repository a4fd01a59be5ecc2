#include "libraries/preview/layouts/preview_layouts.h"
#include "runtime/services/System.h"

namespace pakomo {

// Setup's background window on this screen: its caption above the client area, which is the
// screen's size; the window adds the background texts when it opens.
runtime::DataLayout d_wmain_preview() {
    using namespace preview_layout;
    const runtime::Environment screen = runtime::environment();
    runtime::DataLayout l;
    l.name = "d_wmain_preview";
    l.presentation = "freeform";
    runtime::TextStyle caption;
    caption.fontFace = page_face;
    caption.fontSize = -13;
    caption.bold = true;
    caption.color = 16777215;
    caption.background = 8388608;  // dark blue
    add_pixels(l, "t_caption", 0, 0, screen.screenWidth, caption_height, "", caption);
    runtime::TextStyle client;
    client.background = 12632256;  // Setup's colour until the product's is set
    add_pixels(l, "t_width", 0, caption_height, screen.screenWidth, screen.screenHeight, "", client);
    l.bands = {{"header", 0},
               {"detail", units_y(caption_height + screen.screenHeight)},
               {"summary", 0},
               {"footer", 0}};
    return l;
}

}  // namespace pakomo
