#include "authoring/core/layouts/core_layouts.h"

namespace pakomo {
namespace {

runtime::ColumnLayout check_box(std::string name, std::string dbName, std::string label, int x, int y,
                                int tab) {
    runtime::ColumnLayout c = layout_column(std::move(name), std::move(dbName), "number", false, true);
    c.editStyle = "checkbox";
    c.attributes = {{"checkbox.on", "1"},
                    {"checkbox.off", "0"},
                    {"checkbox.text", std::move(label)},
                    {"x", std::to_string(x)},
                    {"y", std::to_string(y)},
                    {"width", "400"},
                    {"height", "80"},
                    {"tabsequence", std::to_string(tab)}};
    return c;
}

}  // namespace

// The properties of one file, over the rows of its caller's FILE row set (never retrieved itself).
runtime::DataLayout d_file_properties() {
    runtime::DataLayout l;
    l.name = "d_file_properties";
    l.presentation = "freeform";
    // The path across the top; the check boxes, the label and the edit field on one line beneath.
    runtime::ColumnLayout path = layout_column("path", "FILE.PATH", "char(254)");
    path.attributes = {{"x", "18"}, {"y", "16"}, {"width", "2980"}, {"height", "76"}, {"protect", "1"}};
    runtime::ColumnLayout linktext =
        layout_column("stringvar_linktext", "FILE.LINKTEXT", "char(64)", false, true);
    linktext.attributes = {
        {"x", "1390"}, {"y", "140"}, {"width", "1150"}, {"height", "80"}, {"tabsequence", "30"}, {"border", "5"}};
    l.columns = {
        layout_column("id", "FILE.ID", "decimal(0)", true),
        layout_column("prodid", "FILE.PRODID", "decimal(0)", true),
        layout_column("filegrpid", "FILE.FILEGRPID", "decimal(0)"),
        path,
        check_box("readme", "FILE.README", "Readme", 18, 140, 10),
        check_box("exe", "FILE.EXE", "Shortcut", 480, 140, 20),
        linktext,
        check_box("shared", "FILE.SHARED", "Shared", 2600, 140, 40),
    };
    for (int i : {0, 1, 2}) l.columns[static_cast<size_t>(i)].attributes["visible"] = "0";
    for (int i : {0, 1, 2, 3}) l.columns[static_cast<size_t>(i)].attributes["tabsequence"] = "0";
    l.texts = {{"linktext_t", "Shortcut text", "detail", 960, 140, 420, 80}};
    l.bands = {{"header", 0}, {"detail", 292}, {"summary", 0}, {"footer", 0}};
    l.select =
        "SELECT FILE.ID, FILE.PRODID, FILE.FILEGRPID, FILE.PATH, FILE.README, FILE.EXE, FILE.LINKTEXT, "
        "FILE.SHARED "
        "FROM FILE";
    l.updateTable = "FILE";
    return l;
}

}  // namespace pakomo
