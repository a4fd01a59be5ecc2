#include "authoring/core/layouts/core_layouts.h"
#include "libraries/project/layouts/project_layouts.h"

namespace pakomo {

// The texts of Setup's background window, one row each: the text, its place in ten-thousandths of
// the window's size, its font and colour (red + 256 green + 65536 blue).
runtime::DataLayout d_project_maintext() {
    runtime::DataLayout l;
    l.name = "d_project_maintext";
    l.presentation = "grid";
    l.columns = {
        layout_column("id", "MAINTEXT.ID", "decimal(0)", true, true),
        layout_column("prodid", "MAINTEXT.PRODID", "decimal(0)", true, true),
        layout_column("textline", "MAINTEXT.TEXTLINE", "char(254)", false, true),
        layout_column("xpos", "MAINTEXT.XPOS", "decimal(0)", false, true, runtime::Value(0)),
        layout_column("ypos", "MAINTEXT.YPOS", "decimal(0)", false, true, runtime::Value(0)),
        layout_column("fontsize", "MAINTEXT.FONTSIZE", "decimal(0)", false, true, runtime::Value(12)),
        layout_column("bold", "MAINTEXT.BOLD", "number", false, true, runtime::Value(0)),
        layout_column("italic", "MAINTEXT.ITALIC", "number", false, true, runtime::Value(0)),
        layout_column("underline", "MAINTEXT.UNDERLINE", "number", false, true, runtime::Value(0)),
        layout_column("color", "MAINTEXT.COLOR", "decimal(0)", false, true, runtime::Value(0)),
        layout_column("fontface", "MAINTEXT.FONTFACE", "char(39)", false, true, runtime::Value("Arial")),
    };
    const char* shown[][2] = {
        {"textline", "1300"}, {"xpos", "260"}, {"ypos", "260"}, {"fontsize", "200"}, {"fontface", "600"}};
    for (runtime::ColumnLayout& c : l.columns) {
        c.attributes = {{"visible", "0"}, {"tabsequence", "0"}};
        for (const auto& s : shown)
            if (c.name == s[0]) c.attributes = {{"width", s[1]}, {"tabsequence", "0"}};
    }
    l.texts = {{"textline_t", "Text", "header", 0, 8, 1300, 64},
               {"xpos_t", "Left", "header", 0, 8, 260, 64},
               {"ypos_t", "Top", "header", 0, 8, 260, 64},
               {"fontsize_t", "Size", "header", 0, 8, 200, 64},
               {"fontface_t", "Font", "header", 0, 8, 600, 64}};
    l.bands = {{"header", 80}, {"detail", 80}, {"summary", 0}, {"footer", 0}};
    l.computed = {{"c_max_id", "max(id for all)"}};
    l.select =
        "SELECT MAINTEXT.ID, MAINTEXT.PRODID, MAINTEXT.TEXTLINE, MAINTEXT.XPOS, MAINTEXT.YPOS, "
        "MAINTEXT.FONTSIZE, "
        "MAINTEXT.BOLD, MAINTEXT.ITALIC, MAINTEXT.UNDERLINE, MAINTEXT.COLOR, MAINTEXT.FONTFACE FROM MAINTEXT "
        "WHERE MAINTEXT.PRODID = :1 ORDER BY MAINTEXT.ID";
    l.updateTable = "MAINTEXT";
    return l;
}

}  // namespace pakomo
