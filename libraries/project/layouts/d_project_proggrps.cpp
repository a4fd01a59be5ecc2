#include "authoring/core/layouts/core_layouts.h"
#include "libraries/project/layouts/project_layouts.h"

namespace pakomo {

// The components as the project window edits them: the component service's columns and those a
// new component needs to be installed (shown, in every setup type, below the setup folder) and
// the description Setup's component page shows.
runtime::DataLayout d_project_proggrps() {
    runtime::DataLayout l = d_proggrps();
    l.name = "d_project_proggrps";
    l.columns.push_back(layout_column("visible", "PROGGRP.VISIBLE", "number", false, true));
    l.columns.push_back(layout_column("setuptypes", "PROGGRP.SETUPTYPES", "decimal(0)", false, true));
    l.columns.push_back(layout_column("pathchange", "PROGGRP.PATHCHANGE", "number", false, true));
    l.columns.push_back(layout_column("descript", "PROGGRP.DESCRIPT", "char", false, true));
    l.select =
        "SELECT PROGGRP.ID, PROGGRP.PRODID, PROGGRP.NAME, PROGGRP.INSTALLPTH, PROGGRP.PROGGRPID, "
        "PROGGRP.REQPROGID, PROGGRP.VISIBLE, PROGGRP.SETUPTYPES, PROGGRP.PATHCHANGE, PROGGRP.DESCRIPT FROM PROGGRP "
        "WHERE PROGGRP.PRODID = :1";
    return l;
}

}  // namespace pakomo
