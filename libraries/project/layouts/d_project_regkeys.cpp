#include "authoring/core/layouts/core_layouts.h"
#include "libraries/project/layouts/project_layouts.h"

namespace pakomo {

namespace {

runtime::ColumnLayout shown(runtime::ColumnLayout c, int x, int width, int tab) {
    c.attributes = {{"x", std::to_string(x)},
                    {"y", "8"},
                    {"width", std::to_string(width)},
                    {"height", "76"},
                    {"tabsequence", std::to_string(tab)}};
    return c;
}

}  // namespace

// The product's registry entries as the project window and the wizard edit them: component, root,
// key, value name, type and data, the texts taking string variables through the edit popup.
runtime::DataLayout d_project_regkeys() {
    runtime::DataLayout l;
    l.name = "d_project_regkeys";
    l.presentation = "grid";
    runtime::ColumnLayout component =
        shown(layout_column("proggrpid", "REGKEYS.PROGGRPID", "decimal(0)", false, true, 0), 18, 460, 10);
    component.editStyle = "dddw";
    component.attributes["dddw.name"] = "dddw_project_components";
    component.attributes["dddw.displaycolumn"] = "name";
    component.attributes["dddw.datacolumn"] = "id";
    runtime::ColumnLayout root =
        shown(layout_column("rootkey", "REGKEYS.ROOTKEY", "decimal(0)", false, true, 2), 490, 720, 20);
    root.editStyle = "ddlb";
    root.attributes["values"] =
        "HKEY_CLASSES_ROOT\t1/HKEY_CURRENT_USER\t2/HKEY_LOCAL_MACHINE\t3/HKEY_USERS\t4";
    runtime::ColumnLayout type =
        shown(layout_column("valuetype", "REGKEYS.VALUETYPE", "decimal(0)", false, true, 1), 2540, 1000, 50);
    type.editStyle = "ddlb";
    type.attributes["values"] =
        "REG_NONE\t0/REG_SZ\t1/REG_EXPAND_SZ\t2/REG_BINARY\t3/REG_DWORD\t4/REG_DWORD_BIG_ENDIAN\t5/"
        "REG_LINK\t6/"
        "REG_MULTI_SZ\t7/REG_RESOURCE_LIST\t8/REG_FULL_RESOURCE_DESCRIPTOR\t9/"
        "REG_RESOURCE_REQUIREMENTS_LIST\t10";
    l.columns = {
        layout_column("id", "REGKEYS.ID", "decimal(0)", true, true),
        layout_column("prodid", "REGKEYS.PRODID", "decimal(0)", true, true),
        component,
        root,
        shown(layout_column("stringvar_regkey", "REGKEYS.REGKEY", "char(254)", false, true), 1230, 840, 30),
        shown(layout_column("stringvar_valuename", "REGKEYS.VALUENAME", "char(254)", false, true), 2090, 430,
              40),
        type,
        // Binary data is written as hexadecimal pairs: no width short of the registry's own.
        shown(layout_column("stringvar_regdata", "REGKEYS.REGDATA", "char", false, true), 3560, 900, 60),
    };
    for (int i : {0, 1})
        l.columns[static_cast<size_t>(i)].attributes = {{"visible", "0"}, {"tabsequence", "0"}};
    l.texts = {{"proggrpid_t", "Component", "header", 18, 8, 460, 64},
               {"rootkey_t", "Root", "header", 490, 8, 720, 64},
               {"stringvar_regkey_t", "Key", "header", 1230, 8, 840, 64},
               {"stringvar_valuename_t", "Value name", "header", 2090, 8, 430, 64},
               {"valuetype_t", "Type", "header", 2540, 8, 1000, 64},
               {"stringvar_regdata_t", "Data", "header", 3560, 8, 900, 64}};
    l.bands = {{"header", 80}, {"detail", 92}, {"summary", 0}, {"footer", 0}};
    l.computed = {{"c_max_id", "max(id for all)"}};
    l.select =
        "SELECT REGKEYS.ID, REGKEYS.PRODID, REGKEYS.PROGGRPID, REGKEYS.ROOTKEY, REGKEYS.REGKEY, "
        "REGKEYS.VALUENAME, "
        "REGKEYS.VALUETYPE, REGKEYS.REGDATA FROM REGKEYS WHERE REGKEYS.PRODID = :1 ORDER BY REGKEYS.ID";
    l.updateTable = "REGKEYS";
    return l;
}

// The components a registry entry may belong to, filled by the window that shows them.
runtime::DataLayout dddw_project_components() {
    runtime::DataLayout l;
    l.name = "dddw_project_components";
    l.columns = {layout_column("id", "", "decimal(0)"), layout_column("name", "", "char(32)")};
    return l;
}

}  // namespace pakomo
