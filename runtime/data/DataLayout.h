#pragma once
// A row set's layout, declared in C++: its columns, computed columns, retrieve statement, sort
// criteria, update table, text objects and bands. Layouts are registered by name so that a row
// set or a data-window control can be given one by its name.
#include "runtime/Value.h"

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace runtime {

struct ColumnLayout {
    std::string name;    // as expressions and callers name it, without regard to case
    std::string dbName;  // "PRODUCT.PRODNAME"; the name alone when empty
    // "char(n)" (text of at most n characters), "decimal(n)" (whole numbers for n = 0, else a
    // real number), "long", "ulong", "int", "number", "real", "date", "datetime", "time".
    std::string type = "char(255)";
    bool key = false;
    bool updatable = false;
    Value initial;                  // the value of an inserted row
    std::string editStyle = "edit";  // see editStyleName()
    // Attributes that Describe answers and Modify sets ("protect", "color", "background.color",
    // "x", "width", ...), by lower-case name; a value may be "default<TAB>expression".
    std::map<std::string, std::string> attributes;
};

struct ComputedLayout {
    std::string name;        // "c_max_id"
    std::string expression;  // "max(  id  for all )"
};

// A text object ("t_width") and its attributes (text, x, y, width, height, ...).
struct TextLayout {
    std::string name;
    std::string text;
    std::string band = "header";
    int x = 0, y = 0, width = 0, height = 0;
};

// How a text object is drawn when the layout gives it a style: its font (an empty face or size 0:
// the control's; a size above 0 in points, below 0 in pixels), colour and background colour (-1:
// none), framed or not, on one line (centred vertically or from its top; left or centred) or
// broken into lines from its top.
struct TextStyle {
    std::string fontFace;
    int fontSize = 0;
    bool bold = false, italic = false, underline = false;
    long color = 0;
    long background = -1;
    bool border = false;
    bool wrap = false;
    bool centered = false;
    bool top = false;
    bool visible = true;
};

// An object of a report band: a text, a column's value, a computed expression, a line or a
// rectangle, placed in layout units within its band ("header", "header.1", "detail",
// "trailer.1", "summary", "footer"; n the group level). Values show through the display
// format ("###,###,##0", "0000000000", "dd.mm.yyyy"; empty: as they are). `visible` is an
// expression evaluated per row ("" always shown). The setters chain, so that a layout reads as
// one block.
struct ReportObject {
    enum class Kind { Text, Column, Compute, Line, Rectangle };
    enum class Align { Left, Center, Right };
    Kind kind = Kind::Text;
    std::string name;
    std::string band = "detail";
    int x = 0, y = 0, width = 0, height = 0;  // a line runs from (x, y) to (x + width, y + height)
    std::string text;  // Text: the text; Column: the column's name; Compute: the expression
    std::string format;
    std::string font = "Arial";
    int fontSize = 8;  // points
    bool bold = false;
    Align align = Align::Left;
    bool border = false;
    std::string visible;

    ReportObject&& at(std::string b, int x_, int y_, int w, int h) && {
        band = std::move(b), x = x_, y = y_, width = w, height = h;
        return std::move(*this);
    }
    ReportObject&& withFormat(std::string f) && { return format = std::move(f), std::move(*this); }
    ReportObject&& withFont(int points, bool isBold = false) && {
        return fontSize = points, bold = isBold, std::move(*this);
    }
    ReportObject&& aligned(Align a) && { return align = a, std::move(*this); }
    ReportObject&& framed() && { return border = true, std::move(*this); }
    ReportObject&& visibleWhen(std::string expression) && { return visible = std::move(expression), std::move(*this); }
};

inline ReportObject reportText(std::string name, std::string text) {
    ReportObject o;
    o.kind = ReportObject::Kind::Text, o.name = std::move(name), o.text = std::move(text);
    return o;
}
inline ReportObject reportColumn(std::string column) {
    ReportObject o;
    o.kind = ReportObject::Kind::Column, o.name = column, o.text = std::move(column);
    return o;
}
inline ReportObject reportCompute(std::string name, std::string expression) {
    ReportObject o;
    o.kind = ReportObject::Kind::Compute, o.name = std::move(name), o.text = std::move(expression);
    return o;
}
inline ReportObject reportLine(std::string name) {
    ReportObject o;
    o.kind = ReportObject::Kind::Line, o.name = std::move(name);
    return o;
}
inline ReportObject reportRectangle(std::string name) {
    ReportObject o;
    o.kind = ReportObject::Kind::Rectangle, o.name = std::move(name);
    return o;
}

struct BandLayout {
    std::string name;  // "header", "detail", "summary", "footer"
    int height = 0;
};

struct DataLayout {
    std::string name;  // "d_all_products"
    std::vector<ColumnLayout> columns;
    std::vector<ComputedLayout> computed;
    // The retrieve SELECT. ":1", ":2", ... stand for the retrieve arguments by number (one may
    // appear several times); they are bound as parameters, never pasted into the text.
    std::string select;
    // Sort criteria: items separated by commas, each a column name, "#n" or an expression,
    // followed by A (ascending, the default) or D (descending): "id A, upper(name) D".
    std::string sort;
    // Groups, outermost first: each a comma-separated list of columns (or expressions); rows of
    // one group are neighbours in the primary buffer with equal values (sort by them first).
    // Aggregates "for group n" walk the rows of the current row's group n.
    std::vector<std::string> groups;
    std::string updateTable;  // empty: the row set is never written by update()
    std::vector<TextLayout> texts;
    std::map<std::string, TextStyle> textStyles;  // by text object's name in lower case
    // Rows stored in the layout itself, which a row set of it holds from the start.
    std::vector<std::vector<Value>> data;
    std::vector<BandLayout> bands = {{"header", 0}, {"detail", 0}, {"summary", 0}, {"footer", 0}};
    // "grid", "freeform" or "report" (bands over pages, drawn from `objects`).
    std::string presentation = "grid";
    std::vector<ReportObject> objects;
    int zoom = 100;
};

// The edit style's name as Describe answers it: "edit", "editmask", "checkbox", "radiobuttons",
// "ddlb" (drop-down list) or "dddw" (drop-down data window), from the name a layout or Modify
// gives (letter case ignored; "dropdownlistbox", "dropdowndatawindow", "radiobutton" are taken as
// well). An empty name is "edit"; another name is kept in lower case.
std::string editStyleName(std::string_view declared);

// The program's layouts by name (without regard to case). A later registration of a name
// replaces the earlier one.
void registerLayout(DataLayout layout);
std::shared_ptr<const DataLayout> findLayout(std::string_view name);

}  // namespace runtime
