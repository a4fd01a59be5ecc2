#include "authoring/core/layouts/core_layouts.h"
#include "authoring/windows/layouts/windows_layouts.h"

#include <string>

namespace pakomo {

namespace {

const std::string kMask = "###,###,###,##0";

// "1 <word>" for exactly one, else the number through the mask and "<word>s".
std::string counted(const std::string& number, const std::string& word) {
    return "if(" + number + " = 1, '1 " + word + "', string(" + number + ", '" + kMask + "') + ' " + word + "s')";
}

}  // namespace

// The product summary: one row per file group (or per component without file groups), in
// memory only, grouped by component with sub-totals and totals for the product.
runtime::DataLayout d_summary() {
    using A = runtime::ReportObject::Align;
    using runtime::reportColumn, runtime::reportCompute, runtime::reportLine, runtime::reportRectangle,
        runtime::reportText;
    runtime::DataLayout l;
    l.name = "d_summary";
    l.presentation = "report";
    l.columns = {
        layout_column("proggrp", "proggrp", "char(32)"), layout_column("filegrp", "filegrp", "char(32)"),
        layout_column("files", "files", "long"),          layout_column("size", "size", "long"),
        layout_column("title", "title", "char(64)"),
    };
    // The counts the texts below show.
    l.computed = {
        {"compute_8", "count(filegrp for group 1)"},
        {"compute_9", "count(proggrp for all distinct)"},
        {"compute_10", "count(filegrp for all)"},
        {"compute_11", "sum(files for all)"},
    };
    l.sort = "proggrp A, filegrp A";
    l.groups = {"proggrp"};
    l.bands = {{"header", 420}, {"detail", 84}, {"trailer.1", 140}, {"summary", 220}, {"footer", 100}};
    l.objects = {
        reportColumn("title").at("header", 40, 24, 2400, 110).withFont(12, true),
        reportCompute("date_1", "string(today(), 'dd-mm-yyyy')").at("header", 2500, 40, 560, 80).aligned(A::Right),
        reportText("proggrp_t", "Programgroup").at("header", 40, 300, 800, 80).withFont(8, true),
        reportText("filegrp_t", "Filegroup").at("header", 880, 300, 800, 80).withFont(8, true),
        reportText("files_t", "Files").at("header", 1720, 300, 600, 80).withFont(8, true).aligned(A::Right),
        reportText("size_t", "Size").at("header", 2360, 300, 700, 80).withFont(8, true).aligned(A::Right),
        reportLine("l_1").at("header", 40, 400, 3020, 0),

        reportColumn("proggrp").at("detail", 40, 4, 800, 76),
        reportColumn("filegrp").at("detail", 880, 4, 800, 76),
        reportColumn("files").withFormat(kMask).at("detail", 1720, 4, 600, 76).aligned(A::Right),
        reportColumn("size").at("detail", 2360, 4, 700, 76).aligned(A::Right),

        reportCompute("compute_1", counted("compute_8", "filegroup")).at("trailer.1", 880, 16, 800, 76),
        reportCompute("compute_2", "sum(files for group 1)").withFormat(kMask).at("trailer.1", 1720, 16, 600, 76)
            .aligned(A::Right),
        reportCompute("compute_3", "sum(size for group 1)").at("trailer.1", 2360, 16, 700, 76).aligned(A::Right),
        // Between components only: the last group's trailer has none under it.
        reportLine("l_2").at("trailer.1", 40, 116, 3020, 0).visibleWhen("proggrp <> max(proggrp for all)"),

        reportRectangle("r_2").at("summary", 20, 20, 3060, 180),
        reportCompute("compute_7", counted("compute_9", "programgroup")).at("summary", 40, 72, 800, 76).withFont(8, true),
        reportCompute("compute_4", counted("compute_10", "filegroup")).at("summary", 880, 72, 800, 76).withFont(8, true),
        reportCompute("compute_5", counted("compute_11", "file")).at("summary", 1720, 72, 600, 76).withFont(8, true)
            .aligned(A::Right),
        reportCompute("compute_6", "string(sum(size for all), '" + kMask + "') + ' bytes'")
            .at("summary", 2360, 72, 700, 76).withFont(8, true).aligned(A::Right),

        reportCompute("page_1", "'Pag. ' + string(page()) + ' / ' + string(pagecount())")
            .at("footer", 2360, 10, 700, 80).aligned(A::Right),
    };
    return l;
}

}  // namespace pakomo
