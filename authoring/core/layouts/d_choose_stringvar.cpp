#include "authoring/core/layouts/core_layouts.h"

namespace pakomo {

// The string variables the picker offers; filled by the program, not retrieved.
runtime::DataLayout d_choose_stringvar() {
    runtime::DataLayout l;
    l.name = "d_choose_stringvar";
    l.columns = {layout_column("name", "name", "char(32)"), layout_column("value", "value", "char(254)")};
    return l;
}

}  // namespace pakomo
