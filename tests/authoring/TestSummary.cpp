// The product summary: the rows and totals it builds from a product's components, file groups and
// files (missing and empty files, components without file groups, names listed in order), the
// counting texts, a product without anything, and printing it to PDF twice.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QPrinter>

#include <array>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "authoring/FilesFixture.h"
#include "authoring/windows/w_summary.h"
#include "libraries/project/w_project.h"
#include "support/runtime/WidgetChecks.h"
#include "runtime/ui/DataWindow.h"
#include "runtime/ui/ReportPainter.h"
#include "standard/w_print_dw.h"
#include "support/TestEnvironment.h"

using namespace pakomo;
using runtime::Value;

namespace authoring_test {
namespace {

std::string componentRow(int id, const std::string& name, int product = 1) {
    return "INSERT INTO PROGGRP (ID, PRODID, NAME, INSTALLPTH, PROGGRPID, REQPROGID) VALUES (" +
           std::to_string(id) + ", " + std::to_string(product) + ", " + sqlText(name) + ", '^SETUPPATH^', 0, 0)";
}
std::string groupOf(int id, const std::string& name, int component) {
    return "INSERT INTO FILEGRP VALUES (" + groupRow(id, name, component) + ")";
}
std::string fileOf(int id, int group, const std::string& path) {
    return "INSERT INTO FILE VALUES (" + fileRow(id, group, path) + ")";
}


class Summary : public FilesFixture {
protected:
    void SetUp() override {
        FilesFixture::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        register_project_library();
        artefacts = testing_support::artefactFolder("authoring");
        std::filesystem::create_directories(artefacts);
        // The chooser stays open behind the summary, so the program goes on after it closes.
        chooser = runtime::create<runtime::Window>("w_chooser");
        chooser->open();
        core_test::settle();
    }
    void TearDown() override {
        // Destroyed, not closed: closing the last window would end the program for the tests
        // that follow.
        if (chooser) runtime::destroy(chooser);
        FilesFixture::TearDown();
    }

    // Opens the summary of product 1 as the chooser does and acts in it once it is built;
    // answers button_clicked.
    int16_t openSummary(std::function<void(w_summary&)> act) {
        bool opened = false;
        whenOpen("w_summary", [&](runtime::Window& w) {
            opened = true;
            act(dynamic_cast<w_summary&>(w));
        });
        application().gi_prod_id = 1;
        runtime::Ref<runtime::Window> w = runtime::createByName("w_summary").as<runtime::Window>();
        w->open();
        application().gi_prod_id = 0;
        EXPECT_TRUE(opened);
        return application().g_str_pass.button_clicked;
    }

    // The report's rows as "component|file group|files|size|title".
    static std::vector<std::string> reportRows(w_summary& w) {
        std::vector<std::string> out;
        runtime::DataStore& rows = w.dw_1->store();
        for (long r = 1; r <= rows.rowCount(); ++r) {
            std::string line;
            for (const char* column : {"proggrp", "filegrp", "files", "size", "title"}) {
                Value v = rows.getItem(r, column);
                line += (line.empty() ? "" : "|") + (v.isNull() ? std::string("-") : v.toText());
            }
            out.push_back(line);
        }
        return out;
    }
    // What a report object shows for a row, as drawn on page 1.
    static std::string shown(w_summary& w, const std::string& object, long row = 1) {
        runtime::ReportPainter report(w.dw_1->store());
        report.paginate(1000);
        for (const runtime::ReportObject& o : w.dw_1->store().layout().objects)
            if (o.name == object) return report.objectText(o, row, 1);
        ADD_FAILURE() << "no object " << object;
        return {};
    }

    // Prints the open summary through its Print button and the print dialog into `pdf`; answers
    // the PDF's text.
    std::string printToPdf(w_summary& w, const std::string& pdf) {
        QPrinter& printer = runtime::DataWindow::printer();
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString((artefacts / pdf).string()));
        bool printed = false;
        whenOpen("w_print_dw", [&](runtime::Window& dialog) {
            auto& print = dynamic_cast<w_print_dw&>(dialog);
            EXPECT_EQ(print.uo_dw->dw_1->rowCount(), w.dw_1->rowCount()) << "the preview shows the summary's rows";
            print.cb_1->click();
            printed = true;
        });
        w.cb_3->click();
        core_test::settle();
        EXPECT_TRUE(printed);
        return testing_support::pdfText(artefacts / pdf);
    }

    // Tools: "Utilities" with two files on disk and one missing, "Empty group" without files;
    // Base: "Programs" with a file and an empty one; Docs: no file groups. Product 2's rows must
    // not show.
    void writeTwoProducts() {
        executeSql({componentRow(1, "Tools"), componentRow(2, "Base"), componentRow(3, "Docs"),
                    groupOf(1, "Utilities", 1), groupOf(2, "Empty group", 1), groupOf(3, "Programs", 2),
                    fileOf(1, 1, "C:\\src\\a.exe"), fileOf(2, 1, "C:\\src\\b.dll"),
                    fileOf(3, 1, "C:\\src\\missing.dll"), fileOf(4, 3, "C:\\src\\main.exe"),
                    fileOf(5, 3, "C:\\src\\empty.txt"), productRow(2, "Other"), componentRow(1, "Zeta", 2),
                    "INSERT INTO FILEGRP VALUES (1, 2, 'Foreign', 1)",
                    "INSERT INTO FILE VALUES (1, 2, 1, 'C:\\src\\main.exe', 0, 0, '', 0)"});
        writeMachineFile("C:\\src\\a.exe", std::string(1000, 'a'));
        writeMachineFile("C:\\src\\b.dll", std::string(234, 'b'));
        writeMachineFile("C:\\src\\main.exe", std::string(5000, 'm'));
        writeMachineFile("C:\\src\\empty.txt", "");
    }
    void screenshot(runtime::Window& w, const std::string& name) {
        EXPECT_EQ(runtime::accessKeyClashes(w.widget()), std::vector<std::string>{}) << "access keys shared on " << name;
        EXPECT_TRUE(w.widget()->grab().save(QString::fromStdString((artefacts / (name + ".png")).string())));
    }

    std::filesystem::path artefacts;
    runtime::Ref<runtime::Window> chooser;
};

TEST_F(Summary, ListsEveryFileGroupByComponentWithCountsBytesAndTotals) {
    writeTwoProducts();
    runtime::Ref<u_ds_a> filegrps, files;
    const int16_t clicked = openSummary([&](w_summary& w) {
        EXPECT_EQ(w.title(), "Summary");
        EXPECT_FALSE(w.cb_1->visible());
        EXPECT_EQ(w.cb_2->text(), "&Close");
        EXPECT_EQ(w.cb_3->text(), "&Print...");
        EXPECT_TRUE(w.dw_1->redraw());
        const std::string title = "Hello, 1.00.00 Example";
        EXPECT_EQ(reportRows(w), (std::vector<std::string>{
                                     "Base|Programs|2|5000|" + title,
                                     "Docs|-|-|-|" + title,
                                     "Tools|Empty group|0|0|" + title,
                                     "Tools|Utilities|3|1234|" + title,
                                 }));
        // Per component: its trailer on the component's last row.
        struct Trailer {
            long row;
            const char* groups;
            const char* files;
            const char* bytes;
        };
        for (const Trailer& t : {Trailer{1, "1 filegroup", "2", "5000"}, Trailer{2, "0 filegroups", "", ""},
                                 Trailer{4, "2 filegroups", "3", "1234"}}) {
            EXPECT_EQ(shown(w, "compute_1", t.row), t.groups) << t.row;
            EXPECT_EQ(shown(w, "compute_2", t.row), t.files) << t.row;
            EXPECT_EQ(shown(w, "compute_3", t.row), t.bytes) << t.row;
        }
        EXPECT_EQ(shown(w, "compute_7"), "3 programgroups");
        EXPECT_EQ(shown(w, "compute_4"), "3 filegroups");
        EXPECT_EQ(shown(w, "compute_5"), "5 files");
        EXPECT_EQ(shown(w, "compute_6"), "6,234 bytes");
        EXPECT_EQ(shown(w, "page_1"), "Pag. 1 / 1");
        // The row sets are left with their filters as they were.
        filegrps = w.ids_filegrp;
        files = w.ids_file;
        EXPECT_EQ(w.ids_filegrp->fu_get_filter(), "");
        EXPECT_EQ(w.ids_filegrp->rowCount(), 3);
        EXPECT_EQ(w.ids_file->fu_get_filter(), "");
        EXPECT_EQ(w.ids_file->rowCount(), 5);
        screenshot(w, "w_summary");
        w.cb_2->click();
    });
    EXPECT_EQ(clicked, 2);
    EXPECT_FALSE(filegrps) << "the row sets end with the window";
    EXPECT_FALSE(files);
    EXPECT_EQ(count("FILE"), 6) << "nothing changed";
}

TEST_F(Summary, PrintsTheSameReportTwiceWithTitleHeadingsTotalsAndPageNumber) {
    writeTwoProducts();
    openSummary([&](w_summary& w) {
        const std::string first = printToPdf(w, "summary-1.pdf");
        ASSERT_FALSE(first.empty()) << "pdftotext read the PDF";
        for (const char* text : {"Hello, 1.00.00 Example", "Programgroup", "Filegroup", "Files", "Size", "Utilities",
                                 "Empty group", "1234", "2 filegroups", "0 filegroups", "3 programgroups",
                                 "3 filegroups", "5 files", "6,234 bytes", "Pag. 1 / 1"})
            EXPECT_NE(first.find(text), std::string::npos) << text;
        EXPECT_EQ(first.find("Zeta"), std::string::npos) << "another product's component";
        EXPECT_LT(first.find("Base"), first.find("Docs"));
        EXPECT_LT(first.find("Docs"), first.find("Tools"));
        EXPECT_LT(first.find("Empty group"), first.find("Utilities"));
        EXPECT_EQ(printToPdf(w, "summary-2.pdf"), first);
        EXPECT_EQ(w.dw_1->rowCount(), 4);

        // The first page as a picture, for people to look at.
        runtime::ReportPainter report(w.dw_1->store());
        report.paginate(1123 - 96);
        QImage page(794, 1123 - 96, QImage::Format_RGB32);
        page.fill(Qt::white);
        {
            QPainter painter(&page);
            report.paintPage(painter, 1);
        }
        EXPECT_TRUE(page.save(QString::fromStdString((artefacts / "summary-page1.png").string())));
        w.cb_2->click();
    });
}

struct CountCase {
    const char* name;
    std::vector<std::string> sql;
    std::vector<std::string> rows;  // component|file group|files|size
    const char* components;
    const char* groups;
    const char* files;
    const char* bytes;
};
void PrintTo(const CountCase& c, std::ostream* os) { *os << c.name; }

class SummaryCounts : public Summary, public ::testing::WithParamInterface<CountCase> {};

TEST_P(SummaryCounts, TotalsCountOneInTheSingularAndGroupThousands) {
    const CountCase& c = GetParam();
    executeSql(c.sql);
    writeMachineFile("C:\\src\\one.txt", "1");
    openSummary([&](w_summary& w) {
        std::vector<std::string> rows;
        for (std::string row : reportRows(w)) rows.push_back(row.substr(0, row.rfind('|')));
        if (!c.rows.empty()) {
            EXPECT_EQ(rows, c.rows);
        }
        EXPECT_EQ(shown(w, "compute_7"), c.components);
        EXPECT_EQ(shown(w, "compute_4"), c.groups);
        EXPECT_EQ(shown(w, "compute_5"), c.files);
        EXPECT_EQ(shown(w, "compute_6"), c.bytes);
        w.cb_2->click();
    });
}

std::vector<std::string> manyGroups() {
    std::string sql = "INSERT INTO FILEGRP VALUES ";
    for (int i = 1; i <= 1234; ++i) sql += (i > 1 ? ", (" : "(") + groupRow(i, "Group " + std::to_string(i), 1) + ")";
    return {componentRow(1, "Main"), sql};
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SummaryCounts,
    ::testing::Values(
        CountCase{"OneOfEach",
                  {componentRow(1, "Main"), groupOf(1, "Files", 1), fileOf(1, 1, "C:\\src\\one.txt")},
                  {"Main|Files|1|1"}, "1 programgroup", "1 filegroup", "1 file", "1 bytes"},
        CountCase{"TwoComponentsOfOneNameAreOne",
                  {componentRow(1, "Main"), componentRow(2, "Main"), groupOf(1, "B", 1), groupOf(2, "A", 2)},
                  {"Main|A|0|0", "Main|B|0|0"}, "1 programgroup", "2 filegroups", "0 files", "0 bytes"},
        CountCase{"OnlyComponentsWithoutFileGroups",
                  {componentRow(1, "Zulu"), componentRow(2, "Alpha")},
                  {"Alpha|-|-|-", "Zulu|-|-|-"}, "2 programgroups", "0 filegroups", "", ""},
        CountCase{"ThousandsOfFileGroups", manyGroups(), {}, "1 programgroup", "1,234 filegroups", "0 files",
                  "0 bytes"}),
    [](const ::testing::TestParamInfo<CountCase>& info) { return std::string(info.param.name); });

TEST_F(Summary, AProductWithoutComponentsHasNoRowsAndPrints) {
    openSummary([&](w_summary& w) {
        EXPECT_EQ(w.dw_1->rowCount(), 0);
        EXPECT_EQ(w.ids_product->rowCount(), 1);
        const std::string text = printToPdf(w, "summary-empty.pdf");
        for (const char* shown : {"Programgroup", "0 programgroups", "0 filegroups", "Pag. 1 / 1"})
            EXPECT_NE(text.find(shown), std::string::npos) << shown;
        w.cb_2->click();
    });
}

// Rows are matched to their component and file group by id: a file group of no loaded component,
// and a file of no loaded file group, count nowhere.
TEST_F(Summary, RowsWithoutTheirComponentOrGroupCountNowhere) {
    executeSql({componentRow(1, "Main"), groupOf(3, "Later", 1), groupOf(1, "Data", 1), groupOf(2, "Lost", 9),
                fileOf(1, 1, "C:\\src\\a.dat"), fileOf(2, 2, "C:\\src\\b.dat"),
                fileOf(3, 7, "C:\\src\\c.dat"), fileOf(4, 3, "C:\\src\\a.dat"),
                "INSERT INTO FILE (ID, PRODID, FILEGRPID, PATH) VALUES (5, 1, NULL, 'C:\\src\\a.dat')"});
    writeMachineFile("C:\\src\\a.dat", std::string(10, 'a'));
    writeMachineFile("C:\\src\\b.dat", std::string(20, 'b'));
    writeMachineFile("C:\\src\\c.dat", std::string(40, 'c'));
    openSummary([&](w_summary& w) {
        EXPECT_EQ(reportRows(w), (std::vector<std::string>{"Main|Data|1|10|Hello, 1.00.00 Example",
                                                           "Main|Later|1|10|Hello, 1.00.00 Example"}));
        EXPECT_EQ(shown(w, "compute_5"), "2 files");
        w.cb_2->click();
    });
}

TEST_F(Summary, BytesBeyondTwoGigabytesAreCountedInFull) {
    executeSql({componentRow(1, "Main"), groupOf(1, "Data", 1), fileOf(1, 1, "C:\\src\\big.dat"),
                fileOf(2, 1, "C:\\src\\small.dat")});
    writeMachineFile("C:\\src\\big.dat", "");
    std::filesystem::resize_file(machine.hostPath("C:\\src\\big.dat").value(), 3000000000);  // sparse
    writeMachineFile("C:\\src\\small.dat", std::string(7, 's'));
    openSummary([&](w_summary& w) {
        EXPECT_EQ(reportRows(w), std::vector<std::string>{"Main|Data|2|3000000007|Hello, 1.00.00 Example"});
        EXPECT_EQ(shown(w, "compute_6"), "3,000,000,007 bytes");
        w.cb_2->click();
    });
}

TEST_F(Summary, AProductWhoseRowIsGoneStillShowsItsRowsWithoutTitle) {
    executeSql({componentRow(1, "Main"), groupOf(1, "Files", 1), "DELETE FROM PRODUCT WHERE ID = 1"});
    EXPECT_EQ(openSummary([&](w_summary& w) {
                  EXPECT_EQ(reportRows(w), std::vector<std::string>{"Main|Files|0|0|-"});
                  w.cb_2->click();
              }),
              2);
}

TEST_F(Summary, ATitleLongerThanItsColumnIsCut) {
    executeSql({"UPDATE PRODUCT SET PRODNAME = '" + std::string(32, 'N') + "', PRODVERS = '" + std::string(16, 'V') +
                    "', LABEL = '" + std::string(32, 'L') + "' WHERE ID = 1",
                componentRow(1, "Main")});
    openSummary([&](w_summary& w) {
        EXPECT_EQ(w.dw_1->store().getItemString(1, "title"),
                  std::string(32, 'N') + ", " + std::string(16, 'V') + " " + std::string(13, 'L'));
        w.cb_2->click();
    });
}

}  // namespace
}  // namespace authoring_test
