#include "standard/layouts/standard_layouts.h"

namespace pakomo {

runtime::DataLayout d_choose_font_color() {
    runtime::DataLayout l;
    l.name = "d_choose_font_color";
    // One field showing the colour, not a grid with its heading.
    l.presentation = "freeform";
    runtime::ColumnLayout c;
    c.name = "color";
    c.type = "long";
    c.editStyle = "dddw";
    c.attributes["dddw.name"] = "dddw_choose_color";
    c.attributes["dddw.displaycolumn"] = "color";
    c.attributes["dddw.datacolumn"] = "color";
    c.attributes["format"] = "[general]";
    c.attributes["background.color"] = "0\tcolor";
    c.attributes["color"] = "0\tif (color = 16777215, 0, 16777215)";
    c.attributes["x"] = "0";
    c.attributes["y"] = "0";
    c.attributes["width"] = "434";
    c.attributes["height"] = "92";
    c.attributes["tabsequence"] = "10";
    l.columns.push_back(c);
    l.bands = {{"header", 0}, {"detail", 96}, {"summary", 0}, {"footer", 0}};
    return l;
}

void register_standard_layouts() {
    runtime::registerLayout(dddw_choose_color());
    runtime::registerLayout(d_choose_font_color());
}

}  // namespace pakomo
