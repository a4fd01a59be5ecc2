#include "authoring/core/layouts/core_layouts.h"

namespace pakomo {

// The string variables the picker offers; filled by the program, not retrieved.
runtime::DataLayout d_choose_stringvar() {
    runtime::DataLayout l;
    l.name = "d_choose_stringvar";
    l.columns = {layout_column("name", "name", "char(32)"), layout_column("value", "value", "char(254)")};
    // Wide enough for the longest built-in name (PROGRAMFILESDIR); the value takes the rest of the
    // picker's list.
    l.columns[0].attributes["width"] = "640";
    l.columns[1].attributes["width"] = "1220";
    return l;
}

}  // namespace pakomo
