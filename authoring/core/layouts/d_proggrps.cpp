#include "authoring/core/layouts/core_layouts.h"

namespace pakomo {

// The components of one product, as the component service keeps their references sound.
runtime::DataLayout d_proggrps() {
    runtime::DataLayout l;
    l.name = "d_proggrps";
    l.columns = {
        layout_column("id", "PROGGRP.ID", "decimal(0)", true, true),
        layout_column("prodid", "PROGGRP.PRODID", "decimal(0)", true, true),
        layout_column("name", "PROGGRP.NAME", "char(32)", false, true),
        layout_column("installpth", "PROGGRP.INSTALLPTH", "char(254)", false, true),
        layout_column("proggrpid", "PROGGRP.PROGGRPID", "decimal(0)", false, true, 0),
        layout_column("reqprogid", "PROGGRP.REQPROGID", "decimal(0)", false, true, 0),
    };
    l.computed = {{"c_max_id", "max(  id  for all )"}};
    l.select =
        "SELECT PROGGRP.ID, PROGGRP.PRODID, PROGGRP.NAME, PROGGRP.INSTALLPTH, PROGGRP.PROGGRPID, "
        "PROGGRP.REQPROGID FROM PROGGRP WHERE PROGGRP.PRODID = :1";
    l.sort = "id A";
    l.updateTable = "PROGGRP";
    return l;
}

// The registry entries of one product, with the component each belongs to.
runtime::DataLayout d_regkeys() {
    runtime::DataLayout l;
    l.name = "d_regkeys";
    l.columns = {
        layout_column("id", "REGKEYS.ID", "decimal(0)", true, true),
        layout_column("prodid", "REGKEYS.PRODID", "decimal(0)", true, true),
        layout_column("proggrpid", "REGKEYS.PROGGRPID", "decimal(0)", false, true, 0),
        layout_column("rootkey", "REGKEYS.ROOTKEY", "decimal(0)", false, true),
        layout_column("regkey", "REGKEYS.REGKEY", "char(254)", false, true),
        layout_column("valuename", "REGKEYS.VALUENAME", "char(254)", false, true),
    };
    l.computed = {{"c_max_id", "max(  id  for all )"}};
    l.select =
        "SELECT REGKEYS.ID, REGKEYS.PRODID, REGKEYS.PROGGRPID, REGKEYS.ROOTKEY, REGKEYS.REGKEY, "
        "REGKEYS.VALUENAME FROM REGKEYS WHERE REGKEYS.PRODID = :1";
    l.sort = "id A";
    l.updateTable = "REGKEYS";
    return l;
}

}  // namespace pakomo
