#include "libraries/preview/layouts/preview_layouts.h"

#include "authoring/core/layouts/core_layouts.h"
#include "runtime/services/System.h"

namespace pakomo {

namespace preview_layout {

namespace {

// Dialog units to Setup's pixels, rounded as Setup rounds them.
int px(int units) { return (units * 3 + 1) / 2; }
int py(int units) { return (units * 13 + 4) / 8; }

runtime::TextStyle page_style() {
    runtime::TextStyle s;
    s.fontFace = page_face;
    s.fontSize = page_font;
    return s;
}

}  // namespace

int units_x(int pixels) { return runtime::pixelsToUnitsX(pixels); }
int units_y(int pixels) { return runtime::pixelsToUnitsY(pixels); }

void add_pixels(runtime::DataLayout& l, const std::string& name, int x, int y, int w, int h,
                const std::string& text, const runtime::TextStyle& style) {
    runtime::TextLayout t;
    t.name = name;
    t.text = text;
    t.band = "detail";
    t.x = units_x(x);
    t.y = units_y(y);
    t.width = units_x(w);
    t.height = units_y(h);
    l.texts.push_back(t);
    l.textStyles[name] = style;
}

void add_static(runtime::DataLayout& l, const std::string& name, int x, int y, int w, int h,
                const std::string& text) {
    runtime::TextStyle s = page_style();
    s.wrap = true;
    add_pixels(l, name, px(x), py(y), px(w), py(h), text, s);
}

void add_field(runtime::DataLayout& l, const std::string& name, int x, int y, int w, int h,
               const std::string& text) {
    runtime::TextStyle s = page_style();
    s.background = 16777215;
    s.border = true;
    add_pixels(l, name, px(x), py(y), px(w), py(h), text, s);
}

runtime::DataLayout page(const std::string& name, bool side_picture, const std::string& back,
                         const std::string& next, const std::string& cancel) {
    runtime::DataLayout l;
    l.name = name;
    l.presentation = "freeform";
    const int width = px(303), height = py(194);
    runtime::TextStyle face = page_style();
    face.background = page_colour;
    face.border = true;
    add_pixels(l, "t_width", 0, 0, width, height, "", face);
    if (side_picture) {
        runtime::TextStyle picture = page_style();
        picture.background = 8388608;  // Setup's side picture stands here
        picture.color = 16777215;
        picture.centered = true;
        picture.bold = true;
        add_pixels(l, "t_picture", px(3), py(1), px(81), py(161), "Setup", picture);
    }
    runtime::TextStyle line = page_style();
    line.background = 4210752;
    add_pixels(l, "t_separator", 7, 277, 436, 1, "", line);
    line.background = 16777215;
    add_pixels(l, "t_separator2", 7, 278, 436, 1, "", line);
    runtime::TextStyle button = page_style();
    button.background = page_colour;
    button.border = true;
    button.centered = true;
    const struct {
        const char* name;
        const std::string& text;
        int x;
    } buttons[] = {{"t_back", back, 135}, {"t_next", next, 185}, {"t_cancel", cancel, 246}};
    for (const auto& b : buttons)
        if (!b.text.empty()) add_pixels(l, b.name, px(b.x), py(178), px(50), py(12), b.text, button);
    l.bands = {{"header", 0}, {"detail", units_y(height)}, {"summary", 0}, {"footer", 0}};
    return l;
}

}  // namespace preview_layout

runtime::DataLayout d_page_preview() {
    runtime::DataLayout l;
    l.name = "d_page_preview";
    l.columns = {
        layout_column("prodname", "", "char(32)"),     layout_column("prodvers", "", "char(16)"),
        layout_column("protect", "", "number"),        layout_column("lictext", "", "char(32000)"),
        layout_column("usertext", "", "char(32000)"),  layout_column("groupname", "", "char(32)"),
        layout_column("grouptext", "", "char(32000)"), layout_column("finaltext", "", "char(32000)"),
        layout_column("restart", "", "number"),        layout_column("choice1", "", "char(64)"),
        layout_column("choice2", "", "char(64)"),      layout_column("title", "", "char(64)"),
        layout_column("bgcolor", "", "long"),
    };
    return l;
}

void register_preview_layouts() {
    for (runtime::DataLayout (*layout)() :
         {d_page_preview, d_wwelcome_preview, d_licagr_preview, d_userinfo_preview, d_cregrp_preview,
          d_finished_preview, d_wmain_preview})
        runtime::registerLayout(layout());
}

}  // namespace pakomo
