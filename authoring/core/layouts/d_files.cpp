#include "authoring/core/layouts/core_layouts.h"

namespace pakomo {

// The files of one product, as the file-group service works on them: the columns of
// d_file_properties in its order (so the properties dialog can share the rows), the highest id,
// and an order that puts equal paths next to each other whatever their case and blanks.
runtime::DataLayout d_files() {
    runtime::DataLayout l;
    l.name = "d_files";
    l.columns = {
        layout_column("id", "FILE.ID", "decimal(0)", true, true),
        layout_column("prodid", "FILE.PRODID", "decimal(0)", true, true),
        layout_column("filegrpid", "FILE.FILEGRPID", "decimal(0)", false, true),
        layout_column("path", "FILE.PATH", "char(254)", false, true),
        layout_column("readme", "FILE.README", "number", false, true, 0),
        layout_column("exe", "FILE.EXE", "number", false, true, 0),
        layout_column("linktext", "FILE.LINKTEXT", "char(64)", false, true),
        layout_column("shared", "FILE.SHARED", "number", false, true, 0),
    };
    l.computed = {{"c_max_id", "max(  id  for all )"}};
    l.select =
        "SELECT FILE.ID, FILE.PRODID, FILE.FILEGRPID, FILE.PATH, FILE.README, FILE.EXE, FILE.LINKTEXT, "
        "FILE.SHARED "
        "FROM FILE WHERE FILE.PRODID = :1";
    l.sort = "lower(trim(path)) A, id A";
    l.updateTable = "FILE";
    return l;
}

// The file groups of one product.
runtime::DataLayout d_filegrps() {
    runtime::DataLayout l;
    l.name = "d_filegrps";
    l.columns = {
        layout_column("id", "FILEGRP.ID", "decimal(0)", true, true),
        layout_column("prodid", "FILEGRP.PRODID", "decimal(0)", true, true),
        layout_column("name", "FILEGRP.NAME", "char(32)", false, true),
        layout_column("proggrpid", "FILEGRP.PROGGRPID", "decimal(0)", false, true, 0),
    };
    l.computed = {{"c_max_id", "max(  id  for all )"}};
    l.select =
        "SELECT FILEGRP.ID, FILEGRP.PRODID, FILEGRP.NAME, FILEGRP.PROGGRPID FROM FILEGRP WHERE "
        "FILEGRP.PRODID = :1";
    l.sort = "id A";
    l.updateTable = "FILEGRP";
    return l;
}

// The duplicate-files list: in memory only, never retrieved or saved.
runtime::DataLayout d_duplicate_files() {
    runtime::DataLayout l;
    l.name = "d_duplicate_files";
    l.columns = {
        layout_column("name_1", "name_1", "decimal(0)"),
        layout_column("file", "file", "char(254)"),
        layout_column("filegrp", "filegrp", "char(32)"),
    };
    return l;
}

}  // namespace pakomo
