#include "authoring/core/layouts/core_layouts.h"
#include "libraries/project/layouts/project_layouts.h"

namespace pakomo {

// The product's string variables as the project window edits them: a grid of name and value,
// the value edited through the string-variable popup.
runtime::DataLayout d_project_stringtable() {
    runtime::DataLayout l;
    l.name = "d_project_stringtable";
    l.presentation = "grid";
    runtime::ColumnLayout name = layout_column("name", "STRINGS.NAME", "char(32)", false, true);
    name.attributes = {{"x", "18"}, {"y", "8"}, {"width", "700"}, {"height", "76"}, {"tabsequence", "10"}};
    runtime::ColumnLayout value = layout_column("stringvar_value", "STRINGS.VALUE", "char(254)", false, true);
    value.attributes = {{"x", "730"}, {"y", "8"}, {"width", "1000"}, {"height", "76"}, {"tabsequence", "20"}};
    l.columns = {
        layout_column("id", "STRINGS.ID", "decimal(0)", true, true),
        layout_column("prodid", "STRINGS.PRODID", "decimal(0)", true, true),
        name,
        value,
    };
    for (int i : {0, 1}) l.columns[static_cast<size_t>(i)].attributes = {{"visible", "0"}, {"tabsequence", "0"}};
    l.texts = {{"name_t", "Name", "header", 18, 8, 700, 64}, {"stringvar_value_t", "Value", "header", 730, 8, 1000, 64}};
    l.bands = {{"header", 80}, {"detail", 92}, {"summary", 0}, {"footer", 0}};
    l.computed = {{"c_max_id", "max(id for all)"}};
    l.select = "SELECT STRINGS.ID, STRINGS.PRODID, STRINGS.NAME, STRINGS.VALUE FROM STRINGS WHERE STRINGS.PRODID = :1 "
               "ORDER BY STRINGS.ID";
    l.updateTable = "STRINGS";
    return l;
}

}  // namespace pakomo
