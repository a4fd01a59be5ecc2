#include "authoring/core/layouts/core_layouts.h"

namespace pakomo {

// One product's components, for their path variables PATH_<name>.
runtime::DataLayout d_proggrp_stringtable() {
    runtime::DataLayout l;
    l.name = "d_proggrp_stringtable";
    l.columns = {
        layout_column("id", "PROGGRP.ID", "decimal(0)"),
        layout_column("name", "PROGGRP.NAME", "char(32)"),
        layout_column("installpth", "PROGGRP.INSTALLPTH", "char(254)"),
    };
    l.select = "SELECT PROGGRP.ID, PROGGRP.NAME, PROGGRP.INSTALLPTH FROM PROGGRP WHERE PROGGRP.PRODID = :1";
    return l;
}

}  // namespace pakomo
