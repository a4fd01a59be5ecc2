#include "authoring/core/layouts/core_layouts.h"

namespace pakomo {

// The string variables the picker offers; filled by the program, not retrieved.
runtime::DataLayout d_choose_stringvar() {
    runtime::DataLayout l;
    l.name = "d_choose_stringvar";
    l.columns = {layout_column("name", "name", "char(32)"), layout_column("value", "value", "char(254)")};
    // The name column holds the longest reserved name (WINDOWSSYSTEMDIR) whole; the value the rest.
    l.columns[0].attributes["width"] = "700";
    l.columns[1].attributes["width"] = "1150";
    l.texts = {{"name_t", "Name", "header", 0, 0, 700, 80}, {"value_t", "Value", "header", 700, 0, 1150, 80}};
    return l;
}

}  // namespace pakomo
