#pragma once
// The page layouts of the previews, one file each, drawn as Setup draws its pages: every place
// and size in Setup's dialog units, turned into the pixels Setup uses and then into layout units,
// so that a preview at zoom 100 is as large as the page.
#include <string>

#include "runtime/data/DataLayout.h"

namespace pakomo {

// The row an opener passes: the texts and switches of every page, as typed or saved.
runtime::DataLayout d_page_preview();
runtime::DataLayout d_wwelcome_preview();
runtime::DataLayout d_licagr_preview();
runtime::DataLayout d_userinfo_preview();
runtime::DataLayout d_cregrp_preview();
runtime::DataLayout d_finished_preview();
// Only the caption and the background: the background texts are added when it opens.
runtime::DataLayout d_wmain_preview();

void register_preview_layouts();

namespace preview_layout {

// Setup's font on its pages, as a pixel size (negative).
constexpr int page_font = -11;
constexpr const char* page_face = "DejaVu Sans Condensed";
constexpr long page_colour = 15790320;  // the dialogs' face, F0 F0 F0
constexpr int caption_height = 24;      // pixels of the background window's caption

int units_x(int pixels);
int units_y(int pixels);
// A page of Setup's frame (303 x 194 dialog units): "t_width" as its face, the side picture
// when it has one, the separator and the buttons ("" leaves a button out).
runtime::DataLayout page(const std::string& name, bool side_picture, const std::string& back,
                         const std::string& next, const std::string& cancel);
// A text of the page at x, y, width, height in dialog units, broken into lines as Setup's are.
void add_static(runtime::DataLayout& l, const std::string& name, int x, int y, int w, int h,
                const std::string& text = "");
// An edit field (white, framed) at dialog units.
void add_field(runtime::DataLayout& l, const std::string& name, int x, int y, int w, int h,
               const std::string& text = "");
// A text object at pixels of the page with a style.
void add_pixels(runtime::DataLayout& l, const std::string& name, int x, int y, int w, int h,
                const std::string& text, const runtime::TextStyle& style);

}  // namespace preview_layout

}  // namespace pakomo
