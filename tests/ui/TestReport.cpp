// Report layouts: bands over pages, groups with their trailers, the summary and page numbers,
// printed to PDF and read back as text; the first page is kept as a picture among the artefacts.
#include "runtime/ui/DataWindow.h"
#include "runtime/ui/ReportPainter.h"
#include "runtime/ui/Window.h"
#include "support/TempFolder.h"
#include "ui/UiTestSupport.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QPrinter>

#include <array>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <regex>
#include <string>
#include <vector>

using namespace runtime;

namespace {

ColumnLayout column(const char* name, const char* type) {
    ColumnLayout c;
    c.name = name;
    c.type = type;
    return c;
}

// A summary report of components and their file groups.
DataLayout summaryLayout() {
    using A = ReportObject::Align;
    const std::string mask = "###,###,###,##0";
    auto counted = [&](const std::string& count, const std::string& word) {
        return "if(" + count + " = 1, '1 " + word + "', string(" + count + ", '" + mask + "') + ' " + word + "s')";
    };
    DataLayout l;
    l.name = "d_test_summary";
    l.presentation = "report";
    l.columns = {column("proggrp", "char(32)"), column("filegrp", "char(32)"), column("files", "long"),
                 column("size", "long"), column("title", "char(64)")};
    l.sort = "proggrp A, filegrp A";
    l.groups = {"proggrp"};
    l.bands = {{"header", 400}, {"header.1", 100}, {"detail", 100},
               {"trailer.1", 120}, {"summary", 300}, {"footer", 100}};
    l.objects = {
        reportColumn("title").at("header", 40, 20, 2200, 100).withFont(12, true),
        reportCompute("date_1", "string(today(), 'dd.mm.yyyy')").at("header", 2400, 20, 600, 100),
        reportText("proggrp_t", "Programgroup").at("header", 40, 280, 800, 80),
        reportText("filegrp_t", "Filegroup").at("header", 900, 280, 800, 80),
        reportText("files_t", "Files").at("header", 1800, 280, 500, 80).aligned(A::Right),
        reportText("size_t", "Size").at("header", 2400, 280, 600, 80).aligned(A::Right),
        reportLine("l_1").at("header", 40, 380, 2960, 0),
        reportColumn("proggrp").at("header.1", 40, 10, 800, 80).withFont(8, true),
        reportColumn("filegrp").at("detail", 900, 10, 800, 80),
        reportColumn("files").withFormat(mask).at("detail", 1800, 10, 500, 80).aligned(A::Right),
        reportColumn("size").at("detail", 2400, 10, 600, 80).aligned(A::Right),
        reportCompute("compute_1", counted("count(filegrp for group 1)", "filegroup")).at("trailer.1", 900, 20, 800, 80),
        reportCompute("compute_2", "sum(files for group 1)").withFormat(mask).at("trailer.1", 1800, 20, 500, 80).aligned(A::Right),
        reportCompute("compute_3", "sum(size for group 1)").at("trailer.1", 2400, 20, 600, 80).aligned(A::Right),
        reportRectangle("r_2").at("summary", 20, 10, 3000, 280),
        reportCompute("compute_7", counted("count(proggrp for all distinct)", "programgroup")).at("summary", 40, 40, 800, 80),
        reportCompute("compute_4", counted("count(filegrp for all)", "filegroup")).at("summary", 900, 40, 800, 80),
        reportCompute("compute_5", counted("sum(files for all)", "file")).at("summary", 1800, 40, 500, 80).aligned(A::Right),
        reportCompute("compute_6", "string(sum(size for all), '" + mask + "') + ' bytes'").at("summary", 2400, 40, 600, 80).aligned(A::Right),
        reportCompute("page_1", "'Pag. ' + string(page()) + ' / ' + string(pagecount())").at("footer", 2400, 10, 600, 80).aligned(A::Right),
    };
    return l;
}


int occurrences(const std::string& text, const std::string& what) {
    int n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

TEST(Report, TwoGroupsOverThreePagesPrintedToPdf) {
    ui_test::application();
    registerLayout(summaryLayout());
    Ref<Window> window = create<Window>("w_summary");
    Ref<DataWindow> dw = window->addControl<DataWindow>("dw_1");
    dw->setDataObject("d_test_summary");
    DataStore& rows = dw->store();
    auto add = [&](const char* component, int number, int files, int size) {
        long r = rows.insertRow(0);
        char name[24];
        std::snprintf(name, sizeof name, "group %03d", number);
        rows.setItem(r, "proggrp", Value(component));
        rows.setItem(r, "filegrp", Value(name));
        rows.setItem(r, "files", Value(files));
        rows.setItem(r, "size", Value(size));
        rows.setItem(r, "title", Value("Holvane, 1.0 EN"));
    };
    // Alpha: 20 file groups of 1,500 files; Beta: file groups of 2 files until three pages.
    for (int i = 1; i <= 20; ++i) add("Alpha", i, 1500, 100);
    int beta = 0;
    while (dw->pageCount() < 3) add("Beta", ++beta, 2, 7);
    ASSERT_EQ(rows.sort(), 1);
    ASSERT_EQ(dw->pageCount(), 3);

    testing_support::TempFolder folder;
    std::filesystem::path pdf = folder.path() / "summary.pdf";
    QPrinter& printer = DataWindow::printer();
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(pdf.string()));
    ASSERT_EQ(dw->print(), 1);
    std::string text = testing_support::pdfText(pdf);
    ASSERT_FALSE(text.empty()) << "pdftotext gave nothing";

    // Page numbers, the page header on every page, the title and the date.
    for (const char* page : {"Pag. 1 / 3", "Pag. 2 / 3", "Pag. 3 / 3"}) EXPECT_EQ(occurrences(text, page), 1) << page;
    EXPECT_EQ(occurrences(text, "Programgroup"), 3);
    EXPECT_EQ(occurrences(text, "Holvane, 1.0 EN"), 3);
    EXPECT_TRUE(std::regex_search(text, std::regex("\\d\\d\\.\\d\\d\\.20\\d\\d")));
    // Group trailers: counts and sums per component, with the mask's grouping.
    EXPECT_EQ(occurrences(text, "20 filegroups"), 1);
    EXPECT_NE(text.find("30,000"), std::string::npos);
    EXPECT_NE(text.find(std::to_string(beta) + " filegroups"), std::string::npos);
    EXPECT_NE(text.find(std::to_string(2 * beta)), std::string::npos);
    // The summary, once, after the last row.
    EXPECT_EQ(occurrences(text, "2 programgroups"), 1);
    EXPECT_EQ(occurrences(text, std::to_string(20 + beta) + " filegroups"), 1);
    std::string files = std::to_string(30000 + 2 * beta);
    std::string grouped = files.substr(0, files.size() - 3) + "," + files.substr(files.size() - 3);
    EXPECT_EQ(occurrences(text, grouped + " files"), 1);
    EXPECT_EQ(occurrences(text, std::to_string(2000 + 7 * beta) .insert(1, ",") + " bytes"), 1);
    EXPECT_GT(text.find("2 programgroups"), text.find("Pag. 2 / 3"));
    // A group that goes on over a page break starts the next page with its header again.
    size_t page2 = text.find("Pag. 1 / 3"), page3 = text.find("Pag. 2 / 3");
    ASSERT_LT(page2, page3);
    EXPECT_EQ(occurrences(text.substr(page2, page3 - page2), "Beta"), 1);
    EXPECT_EQ(occurrences(text.substr(page2, page3 - page2), "Alpha"), 0);

    // The first page as a picture, kept for people to look at.
    ReportPainter report(rows);
    ASSERT_EQ(report.paginate(1123 - 96), 3);
    QImage image(794, 1123 - 96, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        report.paintPage(painter, 1);
    }
    std::filesystem::path artefacts = testing_support::artefactFolder("runtime-ui");
    std::filesystem::create_directories(artefacts);
    ASSERT_TRUE(image.save(QString::fromStdString((artefacts / "report-summary-page1.png").string())));
    EXPECT_NE(image.pixelColor(100, 20), QColor(Qt::white));  // something is drawn at the top

    // On screen the report shows its pages, with no field to edit, and the preview is the same.
    window->resize(3000, 2000);
    dw->resize(2800, 1800);
    window->open();
    ui_test::settle();
    EXPECT_EQ(dw->objectAt(50, 50).type, "datawindow");
    QWidget* viewport = dw->widget()->findChild<QWidget*>("qt_scrollarea_viewport");
    ASSERT_NE(viewport, nullptr);
    QImage shown = viewport->grab().toImage();
    EXPECT_EQ(shown.pixelColor(2, 2).rgb(), QColor(0x80, 0x80, 0x80).rgb());  // around the pages
    ui_test::saveScreenshot(dw->widget(), "report-summary-on-screen");
    window->close();
    ui_test::settle();
}

}  // namespace
