// The print dialogs: orientation and copies reported to the window and reaching the preview's
// data window, printer setup through the runtime's seam, the preview's shared rows, zoom list
// and rulers, and printing to PDF (the same pages every time, the chosen copies and orientation).
#include "dialogs/DialogsFixture.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QPrinter>

#include <array>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include "runtime/data/DataLayout.h"
#include "runtime/ui/DataWindow.h"
#include "runtime/ui/Units.h"
#include "standard/u_cb_print.h"
#include "standard/w_print_dw.h"
#include "support/TestEnvironment.h"
#include "support/runtime/WidgetChecks.h"

using namespace pakomo;
using runtime::Args;
using runtime::Ref;
using runtime::Value;

namespace {


// The caller: a window with a data window of 60 summary lines.
class w_caller : public w_a {
public:
    w_caller() : w_a("w_caller") {
        dw_1 = addControl<runtime::DataWindow>("dw_1");
        dw_1->setDataObject("d_test_summary");
        for (int i = 1; i <= 60; ++i) dw_1->store().setItem(dw_1->store().insertRow(0), "line", Value("Line " + std::to_string(i)));
    }
    Ref<runtime::DataWindow> dw_1;
};

class PrintDialog : public dialogs_test::DialogsFixture {
protected:
    void SetUp() override {
        DialogsFixture::SetUp();
        runtime::DataLayout l;
        l.name = "d_test_summary";
        runtime::ColumnLayout c;
        c.name = "line";
        c.type = "char(40)";
        c.attributes["width"] = "1200";
        l.columns.push_back(c);
        runtime::registerLayout(l);
        caller = runtime::create<w_caller>();
        caller->open();
        application().g_str_pass.datawindow_base[1] = caller->dw_1;
        folder = testing_support::artefactFolder("dialogs");
        std::filesystem::create_directories(folder);
    }
    void TearDown() override {
        runtime::DataWindow::setPrintSetupHandler({});
        runtime::destroy(caller);
        DialogsFixture::TearDown();
    }
    // Opens the dialog, lets `act` work in it, and answers whether it was confirmed; printing
    // goes to `pdf`.
    bool print_dialog(const std::string& pdf, std::function<void(w_print_dw&)> act) {
        QPrinter& printer = runtime::DataWindow::printer();
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString((folder / pdf).string()));
        whenOpen("w_print_dw", [act](runtime::Window& w) { act(dynamic_cast<w_print_dw&>(w)); });
        runtime::Ref<runtime::Window> w = runtime::createByName("w_print_dw").as<runtime::Window>();
        w->open();
        return application().g_str_pass.button_clicked == 1;
    }
    std::string pdf_text(const std::string& pdf) {
        return testing_support::pdfText(folder / pdf, "-raw");
    }
    std::string pdf_info(const std::string& pdf) { return testing_support::commandOutput("pdfinfo '" + (folder / pdf).string() + "' 2>/dev/null"); }

    Ref<w_caller> caller;
    std::filesystem::path folder;
};

TEST_F(PrintDialog, OpensOnTheCallersRowsAtTwentyFivePercentWithRulersStandardAndOneCopy) {
    bool ok = print_dialog("unused.pdf", [this](w_print_dw& w) {
        runtime::DataWindow& dw = *w.uo_dw->dw_1;
        EXPECT_EQ(w.title(), "Afdrukken");
        EXPECT_EQ(w.uo_dw->ddlb_1->text(), "25");
        EXPECT_EQ(dw.describe("datawindow.print.preview"), "yes");
        EXPECT_EQ(dw.describe("datawindow.print.preview.rulers"), "yes");
        EXPECT_EQ(dw.describe("datawindow.print.preview.zoom"), "25");
        EXPECT_EQ(dw.describe("datawindow.print.orientation"), "0");
        EXPECT_EQ(dw.describe("datawindow.print.copies"), "1");
        EXPECT_EQ(dw.dataObject(), "d_test_summary");
        EXPECT_TRUE(caller->dw_1->store().sharesWith(dw.store()));
        ASSERT_EQ(dw.rowCount(), 60);
        EXPECT_EQ(dw.store().getItemString(60, "line"), "Line 60");
        EXPECT_TRUE(w.uo_1->uo_orientation->rb_standaard->checked());
        EXPECT_FALSE(w.uo_1->uo_orientation->p_staand->visible());
        EXPECT_FALSE(w.uo_1->uo_orientation->p_liggend->visible());
        EXPECT_EQ(w.uo_1->uo_oplage->em_copies->text(), "1");
        EXPECT_EQ(w.widget()->width(), runtime::units::toPixelsX(2770)) << "the dialog has its designed size";
        screenshot(w, "w_print_dw");
        EXPECT_EQ(runtime::clippedTexts(w.uo_1->widget()), std::vector<std::string>{});
        w.cb_2->click();
    });
    EXPECT_FALSE(ok);
    EXPECT_EQ(application().g_str_pass.button_clicked, 2);
    EXPECT_FALSE(std::filesystem::exists(folder / "unused.pdf")) << "Cancel prints nothing";
    EXPECT_EQ(caller->dw_1->rowCount(), 60);
}

TEST_F(PrintDialog, TheZoomListSetsThePreviewsZoomAtOnce) {
    print_dialog("unused.pdf", [](w_print_dw& w) {
        QComboBox* list = w.uo_dw->ddlb_1->comboBox();
        ASSERT_EQ(list->count(), 7);
        for (const char* zoom : {"100", "10", "40", "75"}) {
            list->setCurrentIndex(list->findText(zoom));
            EXPECT_EQ(w.uo_dw->dw_1->describe("datawindow.print.preview.zoom"), zoom);
            if (std::string(zoom) == "100") screenshot(w, "w_print_dw_zoom_100");
        }
        w.cb_2->click();
    });
}

TEST_F(PrintDialog, OrientationReachesTheWindowAndThePreviewOneQueueStepLate) {
    print_dialog("unused.pdf", [](w_print_dw& w) {
        std::vector<int64_t> heard;
        w.extend("ue_orientation_changed", [&heard](Args a) {
            heard.push_back(a[0].toInt());
            return Value();
        });
        uo_print_orientation& o = *w.uo_1->uo_orientation;
        runtime::DataWindow& dw = *w.uo_dw->dw_1;
        o.rb_liggend->trigger("clicked");
        EXPECT_EQ(dw.describe("datawindow.print.orientation"), "0") << "not before the queued report";
        core_test::settle();
        EXPECT_EQ(dw.describe("datawindow.print.orientation"), "1");
        EXPECT_TRUE(o.rb_liggend->checked());
        EXPECT_FALSE(o.rb_standaard->checked());
        EXPECT_TRUE(o.p_liggend->visible());
        EXPECT_FALSE(o.p_staand->visible());
        screenshot(w, "w_print_dw_landscape");

        o.rb_liggend->trigger("clicked");  // the one already selected
        core_test::settle();
        EXPECT_EQ(heard, std::vector<int64_t>{1});

        o.rb_staand->trigger("clicked");
        core_test::settle();
        EXPECT_EQ(dw.describe("datawindow.print.orientation"), "2");
        EXPECT_TRUE(o.p_staand->visible());
        EXPECT_FALSE(o.p_liggend->visible());

        w.uo_1->fu_set_orientation(3);
        EXPECT_EQ(w.uo_1->fu_get_orientation(), 3);
        core_test::settle();
        EXPECT_EQ(heard, (std::vector<int64_t>{1, 2, 3})) << "an unknown value is stored and reported";
        EXPECT_TRUE(o.rb_staand->checked()) << "and changes no button";
        EXPECT_TRUE(o.p_staand->visible());

        o.rb_standaard->trigger("clicked");
        core_test::settle();
        EXPECT_EQ(dw.describe("datawindow.print.orientation"), "0");
        EXPECT_FALSE(o.p_staand->visible());
        w.cb_2->click();
    });
}

TEST_F(PrintDialog, CopiesSetByProgramOrTypedAreReportedToTheWindowAndThePreview) {
    print_dialog("unused.pdf", [](w_print_dw& w) {
        std::vector<int64_t> heard;
        w.extend("ue_copies_changed", [&heard](Args a) {
            heard.push_back(a[0].toInt());
            return Value();
        });
        uo_print_copies& c = *w.uo_1->uo_oplage;
        w.uo_1->fu_set_copies(5);
        EXPECT_EQ(w.uo_1->fu_get_copies(), 5);
        EXPECT_TRUE(heard.empty()) << "two queue steps later";
        core_test::settle();
        EXPECT_EQ(heard, std::vector<int64_t>{5});
        EXPECT_EQ(w.uo_dw->dw_1->describe("datawindow.print.copies"), "5");

        struct Typed {
            const char* text;
            int64_t reported;
            const char* preview;
        };
        for (const Typed& t : {Typed{"12", 12, "12"}, Typed{"", 0, "12"}, Typed{"3", 3, "3"}}) {
            heard.clear();
            c.em_copies->setText(t.text);
            c.em_copies->trigger("modified");
            core_test::settle();
            EXPECT_EQ(heard, std::vector<int64_t>{t.reported}) << t.text;
            EXPECT_EQ(w.uo_dw->dw_1->describe("datawindow.print.copies"), t.preview) << t.text;
        }
        w.cb_2->click();
    });
}

TEST_F(PrintDialog, SetupIsAnsweredThroughTheSeamAndChangesNothingInTheDialog) {
    int asked = 0;
    runtime::DataWindow::setPrintSetupHandler([&asked](QPrinter&) {
        ++asked;
        return -1;  // cancelled
    });
    print_dialog("unused.pdf", [&asked](w_print_dw& w) {
        EXPECT_EQ(w.uo_1->cb_1->text(), "&Setup...");
        w.uo_1->cb_1->click();
        core_test::settle();
        EXPECT_EQ(asked, 1);
        EXPECT_TRUE(w.isOpen());
        EXPECT_EQ(w.uo_1->fu_get_orientation(), 0);
        EXPECT_EQ(w.uo_1->fu_get_copies(), 1);
        w.cb_2->click();
    });
}

struct PrintCase {
    const char* name;
    int16_t orientation;
    const char* copies;
    int times;  // each line appears this often in the PDF
    bool landscape;
};
void PrintTo(const PrintCase& c, std::ostream* os) { *os << c.name; }

class PrintDialogPrinting : public PrintDialog, public ::testing::WithParamInterface<PrintCase> {};

TEST_P(PrintDialogPrinting, PrintPrintsTheCallersRowsWithTheChosenSettingsTheSameEachTime) {
    const PrintCase& c = GetParam();
    std::string first;
    for (int round = 1; round <= 2; ++round) {
        std::string pdf = std::string(c.name) + "-" + std::to_string(round) + ".pdf";
        bool ok = print_dialog(pdf, [&c](w_print_dw& w) {
            if (c.orientation) w.uo_1->uo_orientation->rb_liggend->trigger("clicked");
            w.uo_1->uo_oplage->em_copies->setText(c.copies);
            w.uo_1->uo_oplage->em_copies->trigger("modified");
            core_test::settle();
            w.cb_1->click();  // "&Print"
        });
        EXPECT_TRUE(ok);
        ASSERT_TRUE(std::filesystem::exists(folder / pdf));
        std::string text = pdf_text(pdf);
        ASSERT_FALSE(text.empty()) << "pdftotext read the PDF";
        for (const char* line : {"Line 1", "Line 30", "Line 60"}) {
            std::string found = text;
            int n = 0;
            for (size_t pos = found.find(line); pos != std::string::npos; pos = found.find(line, pos + 1)) {
                char next = pos + std::strlen(line) < found.size() ? found[pos + std::strlen(line)] : '\n';
                if (!std::isdigit(static_cast<unsigned char>(next))) ++n;
            }
            EXPECT_EQ(n, c.times) << line;
        }
        std::string info = pdf_info(pdf);
        size_t at = info.find("Page size:");
        ASSERT_NE(at, std::string::npos);
        double pw = 0, ph = 0;
        std::sscanf(info.c_str() + at, "Page size: %lf x %lf", &pw, &ph);
        EXPECT_EQ(pw > ph, c.landscape) << info.substr(at, 40);
        if (round == 1) first = text;
        else EXPECT_EQ(text, first) << "printing again gives the same pages";
    }
    EXPECT_EQ(caller->dw_1->rowCount(), 60) << "the caller keeps its rows";
}

INSTANTIATE_TEST_SUITE_P(Dialogs, PrintDialogPrinting,
                         ::testing::Values(PrintCase{"standard_one_copy", 0, "1", 1, false},
                                           PrintCase{"landscape_three_copies", 1, "3", 3, true}),
                         [](const auto& info) { return std::string(info.param.name); });

class w_printing : public w_a {
public:
    explicit w_printing(bool handles) : w_a("w_printing") {
        cb_print = addControl<u_cb_print>("cb_print");
        if (handles)
            on("ue_print", [this](Args) {
                ++printed;
                return Value();
            });
    }
    Ref<u_cb_print> cb_print;
    int printed = 0;
};

TEST_F(PrintDialog, ThePrintButtonQueuesItsWindowsPrintWhateverThatDoes) {
    for (bool handles : {true, false}) {
        Ref<w_printing> w = runtime::create<w_printing>(handles);
        w->open();
        EXPECT_EQ(w->cb_print->text(), "&Print...");
        EXPECT_EQ(w->cb_print->fu_get_microhelptext(), "Send the data to the printer");
        w->cb_print->click();
        EXPECT_EQ(w->printed, 0) << "queued";
        core_test::settle();
        EXPECT_EQ(w->printed, handles ? 1 : 0);
        runtime::destroy(w);
    }
}

}  // namespace
