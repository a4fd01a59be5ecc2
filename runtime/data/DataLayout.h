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
    // Rows stored in the layout itself, which a row set of it holds from the start.
    std::vector<std::vector<Value>> data;
    std::vector<BandLayout> bands = {{"header", 0}, {"detail", 0}, {"summary", 0}, {"footer", 0}};
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
