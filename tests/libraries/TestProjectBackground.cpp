// The project window's background tab: Setup's background window drawn as Setup draws it; a right
// click on the title, a text or the background shows that part's menu with the window set as its
// parent, and each entry reaches its own event of the window; the window adds, edits, moves and
// deletes texts with the font chooser with text, picks the colour with both colour dialogs and
// edits the title, all saved in the product's one commit, built and read back by Setup's reader.
// A place clicked on the tab is where Setup draws the text on any screen.
#include <QAbstractScrollArea>
#include <QApplication>
#include <QFontDatabase>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "ProjectTabFixture.h"
#include "authoring/menus/m_popups.h"
#include "authoring/windows/w_datawindow_zoom.h"
#include "authoring/windows/w_mdi_frame.h"
#include "installer/setup/CMainWindow.h"
#include "libraries/preview/preview_library.h"
#include "libraries/preview/w_wmain_preview.h"
#include "libraries/project/uo_project_background.h"
#include "libraries/project/uo_project_pages.h"
#include "libraries/project/w_wmain_setuptext.h"
#include "standard/w_choose_custom_color.h"
#include "standard/w_choose_font_with_text.h"
#include "standard/w_get_color.h"
#include "support/runtime/UiDoubles.h"

namespace {

using editing_test::ProjectTabFixture;
using pakomo::uo_project_background;
using pakomo::w_wmain_preview;
using runtime::Value;

const std::string kFace = "DejaVu Serif";

class ProjectBackgroundTest : public ProjectTabFixture<uo_project_background> {
protected:
    ProjectBackgroundTest() : ProjectTabFixture("uo_background", true) {}
    void SetUp() override {
        EditingFixture::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        pakomo::register_preview_library();
        pakomo::register_windows();  // the edit popup
        // Text 1 of everyTable: "Text" at 1, 1 in Arial 12; the title "Title", the colour 255.
        executeSql(everyTable(1));
        writeMachineFile("C:\\src\\read me.txt");
        openFrame();
        open();
    }

    runtime::DataWindow& dw() { return *pane->dw_background; }
    double zoom() { return dw().store().layout().zoom / 100.0; }
    w_wmain_preview::client_area client() { return w_wmain_preview::fw_client_area(dw().store().layout()); }
    // The point of the drawing at fractions of Setup's client area.
    QPoint onClient(double fx, double fy) {
        const w_wmain_preview::client_area c = client();
        return QPoint(static_cast<int>(std::lround(fx * c.width * zoom())),
                      static_cast<int>(std::lround((c.top + fy * c.height) * zoom())));
    }
    // A point inside the drawn object `name`.
    QPoint onObject(const std::string& name) {
        const int x = runtime::unitsToPixelsX(std::stoi(dw().describe(name + ".x")));
        const int y = runtime::unitsToPixelsY(std::stoi(dw().describe(name + ".y")));
        return QPoint(static_cast<int>(std::lround((x + 3) * zoom())),
                      static_cast<int>(std::lround((y + 3) * zoom())));
    }
    // Right-clicks `at`; while the menu is shown, records its entries and whether the window had set
    // itself as the menu's parent, then chooses the entry at `position` (-1: closes the menu).
    struct Shown {
        std::vector<std::string> entries;
        bool parentSet = false;
    };
    Shown rightClick(QPoint at, int position) {
        Shown shown;
        QTimer::singleShot(0, [&shown, position, this] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            ASSERT_NE(menu, nullptr);
            for (QAction* a : menu->actions()) shown.entries.push_back(a->text().toStdString());
            runtime::Ref<pakomo::m_popups> popups = pakomo::m_popups::current();
            shown.parentSet = popups && popups->fm_get_parent().get() == project.get();
            if (position < 0) {
                menu->close();
                return;
            }
            for (int i = 0; i <= position; ++i) QTest::keyClick(menu, Qt::Key_Down);
            QTest::keyClick(menu, Qt::Key_Return);
        });
        QTest::mouseClick(static_cast<QAbstractScrollArea*>(dw().widget())->viewport(), Qt::RightButton, {},
                          at);
        core_test::settle();
        return shown;
    }
    void leftClick(QPoint at) {
        QTest::mouseClick(static_cast<QAbstractScrollArea*>(dw().widget())->viewport(), Qt::LeftButton, {},
                          at);
        core_test::settle();
    }
    std::string item(long row, const char* column) {
        const Value v = pane->ids_texts->getItem(row, column);
        return v.isNull() ? "<null>" : v.toText();
    }
};

// Each part of the drawing shows its own menu with the window as parent; each entry raises only
// its own event on the window.
TEST_P(ProjectBackgroundTest, EachMenuEntryReachesOnlyItsOwnEventOfTheWindow) {
    const char* events[] = {
        "ue_wmain_edit_setuptext", "ue_wmain_newtext",     "ue_wmain_edit_backgroundcolor",
        "ue_wmain_edittext",       "ue_wmain_delete_text", "ue_popup_delete",
        "ue_popup_insert"};
    std::vector<std::string> raised;
    for (const char* event : events) {
        const std::string name = event;
        project->on(name, [&raised, name](runtime::Args a) {
            EXPECT_TRUE(a.empty()) << name;
            raised.push_back(name);
            return Value();
        });
    }
    struct Case {
        const char* where;
        std::function<QPoint()> at;
        std::vector<std::string> entries;
        int position;
        const char* event;
    };
    const std::vector<std::string> title{"&Text..."}, background{"&New text...", "&Backgroundcolor..."},
        text{"&Edit...", "&Delete"};
    const Case cases[] = {
        {"title", [&] { return onObject("t_caption"); }, title, 0, "ue_wmain_edit_setuptext"},
        {"background", [&] { return onClient(0.5, 0.75); }, background, 0, "ue_wmain_newtext"},
        {"background", [&] { return onClient(0.5, 0.75); }, background, 1, "ue_wmain_edit_backgroundcolor"},
        {"text", [&] { return onObject("t_text_1"); }, text, 0, "ue_wmain_edittext"},
        {"text", [&] { return onObject("t_text_1"); }, text, 1, "ue_wmain_delete_text"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.where) + " " + c.event);
        raised.clear();
        const Shown shown = rightClick(c.at(), c.position);
        EXPECT_EQ(shown.entries, c.entries);
        EXPECT_TRUE(shown.parentSet) << "fm_set_parent before the menu is shown";
        EXPECT_EQ(raised, std::vector<std::string>{c.event});
        if (std::string(c.where) == "text") {
            EXPECT_EQ(pane->fu_get_current(), 1);
        }
    }
    // Off the drawing nothing is offered.
    raised.clear();
    bool shownOff = false;
    QTimer::singleShot(0, [&shownOff] {
        if (auto* menu = QApplication::activePopupWidget()) {
            shownOff = true;
            menu->close();
        }
    });
    const QPoint beyond(static_cast<int>(client().width * zoom()) + 2,
                        2 + static_cast<int>(client().top * zoom()));
    if (beyond.x() < static_cast<QAbstractScrollArea*>(dw().widget())->viewport()->width()) {
        QTest::mouseClick(static_cast<QAbstractScrollArea*>(dw().widget())->viewport(), Qt::RightButton, {},
                          beyond);
        core_test::settle();
        EXPECT_FALSE(shownOff);
    }
    EXPECT_TRUE(raised.empty());
    EXPECT_FALSE(project->fw_is_modified()) << "the recorded events did no work";
}

// A new text where the background was right-clicked, edited (text, font, colour, place), the
// first text deleted: saved in one commit, built, and read back by Setup's reader.
TEST_P(ProjectBackgroundTest, ATextIsAddedEditedMovedAndDeletedThenSavedBuiltAndReadBack) {
    if (!QFontDatabase::families().contains(QString::fromStdString(kFace)))
        GTEST_SKIP() << kFace << " is not installed";
    // New text at a quarter of the width and three quarters of the height.
    bool asked = false;
    runtime::whenWindowOpen("w_choose_font_with_text", [&](runtime::Window& open) {
        asked = true;
        auto& w = dynamic_cast<pakomo::w_choose_font_with_text&>(open);
        EXPECT_EQ(w.sle_text->text(), "");
        EXPECT_EQ(w.ddlb_size->text(), "12") << "the last text's font to start from";
        EXPECT_EQ(w.uo_example->backcolor, 255) << "the sample on the background's colour";
        w.sle_text->setText("  Hello ^NAME^  ");
        w.ddplb_font->setText(kFace);
        w.ddplb_font->trigger("selectionchanged");
        w.ddlb_size->setText("20");
        w.ddlb_size->trigger("modified");
        w.uo_effects->cbx_bold->setChecked(true);
        w.uo_effects->cbx_bold->trigger("clicked");
        w.uo_color->fu_set_color(65535);
        core_test::settle();
        w.cb_1->click();
    });
    rightClick(onClient(0.25, 0.75), 0);
    ASSERT_TRUE(asked);
    ASSERT_EQ(pane->ids_texts->rowCount(), 2);
    EXPECT_EQ(item(2, "textline"), "Hello ^NAME^");
    EXPECT_EQ(item(2, "fontface"), kFace);
    EXPECT_EQ(item(2, "fontsize"), "20");
    EXPECT_EQ(item(2, "bold"), "1");
    EXPECT_EQ(item(2, "italic"), "0");
    EXPECT_EQ(item(2, "color"), "65535");
    EXPECT_EQ(item(2, "id"), "2");
    // The clicked place, to the tab's resolution.
    const double step = 10000.0 / (client().width * zoom()) + 1;
    EXPECT_NEAR(std::stol(item(2, "xpos")), 2500, step);
    EXPECT_NEAR(std::stol(item(2, "ypos")), 7500, 10000.0 / (client().height * zoom()) + 1);
    EXPECT_EQ(pane->fu_get_current(), 2);
    EXPECT_EQ(dw().describe("t_text_2.text"), "Hello value") << "drawn with its variable expanded";
    EXPECT_EQ(dw().describe("t_text_2.font.height"),
              std::to_string(-std::abs(setup::CMainWindow::FontHeight(20, client().width))));
    screenshot(pane->widget(), "project-background-new-text");

    // Edited: it opens on the text's own values; italic, another colour and text.
    asked = false;
    runtime::whenWindowOpen("w_choose_font_with_text", [&](runtime::Window& open) {
        asked = true;
        auto& w = dynamic_cast<pakomo::w_choose_font_with_text&>(open);
        EXPECT_EQ(w.sle_text->text(), "Hello ^NAME^");
        EXPECT_EQ(w.ddplb_font->text(), kFace);
        EXPECT_EQ(w.ddlb_size->text(), "20");
        EXPECT_TRUE(w.uo_effects->cbx_bold->checked());
        EXPECT_EQ(w.uo_color->fu_get_color(), 65535);
        w.sle_text->setText("Bye");
        w.ddlb_size->setText("16");
        w.ddlb_size->trigger("modified");
        w.uo_effects->cbx_italic->setChecked(true);
        w.uo_effects->cbx_italic->trigger("clicked");
        w.uo_color->fu_set_color(16711680);
        core_test::settle();
        w.cb_1->click();
    });
    rightClick(onObject("t_text_2"), 0);
    ASSERT_TRUE(asked);
    EXPECT_EQ(item(2, "textline"), "Bye");
    EXPECT_EQ(item(2, "italic"), "1");
    EXPECT_EQ(item(2, "fontsize"), "16");
    EXPECT_EQ(item(2, "color"), "16711680");
    // Moved through its place, in percent.
    EXPECT_TRUE(pane->sle_left->enabled());
    pane->sle_left->setText("12.5");
    pane->sle_left->trigger("modified");
    pane->sle_top->setText("80");
    pane->sle_top->trigger("modified");
    EXPECT_EQ(item(2, "xpos"), "1250");
    EXPECT_EQ(item(2, "ypos"), "8000");
    EXPECT_EQ(
        dw().describe("t_text_2.x"),
        std::to_string(runtime::pixelsToUnitsX(setup::CMainWindow::TextPosition(1250, client().width))));

    // The first text deleted through its menu; nothing is written before the save.
    rightClick(onObject("t_text_1"), 1);
    ASSERT_EQ(pane->ids_texts->rowCount(), 1);
    EXPECT_EQ(pane->fu_get_current(), 0);
    EXPECT_FALSE(pane->sle_left->enabled());
    EXPECT_EQ(count("MAINTEXT WHERE PRODID = 1"), 1);
    EXPECT_TRUE(project->fw_is_modified());
    ASSERT_TRUE(project->fw_save());
    EXPECT_FALSE(project->fw_is_modified());

    const setup::SetupInfo info = built();
    ASSERT_EQ(info.backgroundTexts.size(), 1u);
    const setup::BackgroundText& t = info.backgroundTexts[0];
    EXPECT_EQ(t.text, "Bye");
    EXPECT_EQ(t.left, 1250u);
    EXPECT_EQ(t.top, 8000u);
    EXPECT_EQ(t.pointSize, 16);
    EXPECT_EQ(t.bold, 1u);
    EXPECT_EQ(t.italic, 1u);
    EXPECT_EQ(t.underline, 0u);
    EXPECT_EQ(t.colour, 16711680u);
    EXPECT_EQ(t.faceName, kFace);

    // A new text after the delete takes an id no row ever had.
    runtime::destroy(project);
    open();
    ASSERT_EQ(pane->ids_texts->rowCount(), 1);
    EXPECT_EQ(item(1, "id"), "2");
}

// What the font chooser returns that Setup cannot draw or hold is refused with a message and
// changes nothing; Cancel changes nothing.
TEST_P(ProjectBackgroundTest, ATextSetupCannotShowIsRefusedAndCancelChangesNothing) {
    struct Case {
        const char* name;
        std::string text;
        const char* size;
        bool cancel;
        bool message;
    };
    const Case cases[] = {{"empty", "   ", "12", false, true},
                          {"too long", std::string(255, 'x'), "12", false, true},
                          {"size 0", "Hi", "none", false, true},
                          {"cancelled", "Hi", "12", true, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        runtime::whenWindowOpen("w_choose_font_with_text", [&](runtime::Window& open) {
            auto& w = dynamic_cast<pakomo::w_choose_font_with_text&>(open);
            w.sle_text->setText(c.text);
            w.ddlb_size->setText(c.size);
            w.ddlb_size->trigger("modified");
            core_test::settle();
            if (c.cancel)
                w.cb_2->click();
            else
                w.cb_1->click();
        });
        if (c.message) boxes.answer(1);
        rightClick(onClient(0.5, 0.5), 0);
        EXPECT_EQ(boxes.unansweredCount(), 0u);
        EXPECT_EQ(pane->ids_texts->rowCount(), 1);
        EXPECT_FALSE(project->fw_is_modified());
    }
    // A place that is no percentage is refused and the text stays where it was.
    leftClick(onObject("t_text_1"));
    ASSERT_EQ(pane->fu_get_current(), 1);
    EXPECT_EQ(pane->sle_left->text(), "0.01");
    for (const char* typed : {"101", "abc", "-1"}) {
        boxes.answer(1);
        pane->sle_left->setText(typed);
        pane->sle_left->trigger("modified");
        EXPECT_EQ(boxes.unansweredCount(), 0u) << typed;
        EXPECT_EQ(pane->sle_left->text(), "0.01") << typed;
        EXPECT_EQ(item(1, "xpos"), "1") << typed;
    }
    EXPECT_FALSE(project->fw_is_modified());
}

// The colour through the fixed colour picker, from its list or mixed through its RGB...; saved,
// built and drawn. Cancel keeps the colour.
struct ColourCase {
    const char* name;
    bool mix;
    bool cancel;
    long expected;
};

TEST_P(ProjectBackgroundTest, TheColourIsChosenThroughBothColourDialogsSavedAndBuilt) {
    const ColourCase cases[] = {{"from the list", false, false, 16711680},
                                {"mixed", true, false, 10 + 256 * 20 + 65536 * 30},
                                {"cancelled", false, true, 10 + 256 * 20 + 65536 * 30}};
    for (const ColourCase& c : cases) {
        SCOPED_TRACE(c.name);
        const long before = pane->fu_get_backgroundcolor();
        bool picked = false;
        runtime::whenWindowOpen("w_get_color", [&](runtime::Window& open) {
            picked = true;
            auto& w = dynamic_cast<pakomo::w_get_color&>(open);
            core_test::settle();
            EXPECT_EQ(w.uo_color->fu_get_color(), before) << "the picker starts from the colour";
            if (c.cancel) {
                w.uo_color->fu_set_color(65280);
                w.cb_2->click();
                return;
            }
            if (c.mix) {
                runtime::whenWindowOpen("w_choose_custom_color", [&](runtime::Window& m) {
                    auto& mixer = dynamic_cast<pakomo::w_choose_custom_color&>(m);
                    mixer.uo_1->fu_set_color(static_cast<int32_t>(c.expected));
                    mixer.cb_1->click();
                });
                w.uo_color->cb_rgb->click();
            } else {
                w.uo_color->dw_color->setEditText(std::to_string(c.expected));
                EXPECT_EQ(w.uo_color->dw_color->acceptText(), 1);
            }
            core_test::settle();
            w.cb_1->click();
        });
        rightClick(onClient(0.5, 0.5), 1);
        ASSERT_TRUE(picked);
        EXPECT_EQ(pane->fu_get_backgroundcolor(), c.expected);
        EXPECT_EQ(dw().describe("t_width.background.color"), std::to_string(c.expected));
        ASSERT_TRUE(project->fw_save());
        EXPECT_EQ(built().mainWindow.backgroundColour, static_cast<uint32_t>(c.expected));
    }
}

// A product without the background's row gets one when its colour is saved.
TEST_P(ProjectBackgroundTest, AProductWithoutTheBackgroundsRowGetsOneWhenTheColourIsSaved) {
    runtime::destroy(project);
    executeSql({"DELETE FROM WMAIN WHERE PRODID = 1"});
    ASSERT_EQ(application().sqlca.commit(), 0);
    open();
    EXPECT_EQ(pane->fu_get_backgroundcolor(), uo_project_background::default_color);
    runtime::whenWindowOpen("w_get_color", [&](runtime::Window& open) {
        auto& w = dynamic_cast<pakomo::w_get_color&>(open);
        core_test::settle();
        w.uo_color->fu_set_color(8388608);
        core_test::settle();
        w.cb_1->click();
    });
    rightClick(onClient(0.5, 0.5), 1);
    ASSERT_TRUE(project->fw_save());
    EXPECT_EQ(count("WMAIN WHERE PRODID = 1"), 1);
    EXPECT_EQ(built().mainWindow.backgroundColour, 8388608u);
}

// "&Text..." edits the title the pages tab holds, with the edit popup on its field; saved with the
// product, built, and drawn on the tab's caption.
TEST_P(ProjectBackgroundTest, TheSetupTextIsEditedWithTheEditPopupAndSavedWithTheProduct) {
    auto* pages = dynamic_cast<pakomo::uo_project_pages*>(project->findControl("uo_pages"));
    ASSERT_NE(pages, nullptr);
    std::string popupEntry;
    for (bool cancel : {true, false}) {
        SCOPED_TRACE(cancel ? "cancelled" : "confirmed");
        bool asked = false;
        runtime::whenWindowOpen("w_wmain_setuptext", [&](runtime::Window& open) {
            asked = true;
            auto& w = dynamic_cast<pakomo::w_wmain_setuptext&>(open);
            EXPECT_EQ(w.sle_title->text(), "Title");
            w.sle_title->setText("^NAME^ Setup");
            if (!cancel) {
                // String variables through the edit popup, as the other text fields offer them.
                // The field shows the popup once the click is over.
                auto* poll = new QTimer(w.sle_title->widget());
                QObject::connect(poll, &QTimer::timeout, [&popupEntry, poll] {
                    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
                    if (!menu) return;
                    poll->stop();
                    popupEntry = menu->actions().front()->text().toStdString();
                    menu->close();
                });
                poll->start(10);
                QTest::mouseClick(w.sle_title->widget(), Qt::RightButton);
                core_test::settle();
            }
            if (cancel)
                w.cb_2->click();
            else
                w.cb_1->click();
        });
        rightClick(onObject("t_caption"), 0);
        ASSERT_TRUE(asked);
        EXPECT_EQ(pages->fu_field("WMAIN.TITLE")->text(), cancel ? "Title" : "^NAME^ Setup");
    }
    EXPECT_EQ(popupEntry, "Cu&t");
    EXPECT_EQ(dw().describe("t_caption.text"), "value Setup");
    // The pages tab's preview of the background shows the tab's texts before they are saved.
    rightClick(onObject("t_text_1"), 1);
    ASSERT_EQ(pane->ids_texts->rowCount(), 0);
    pages->fu_show_page(7);
    bool previewed = false;
    runtime::whenWindowOpen("w_wmain_preview", [&](runtime::Window& open) {
        previewed = true;
        auto& z = dynamic_cast<pakomo::w_datawindow_zoom&>(open);
        EXPECT_EQ(z.dw_1->describe("t_caption.text"), "value Setup");
        EXPECT_NE(z.dw_1->describe("t_text_1.text"), "Text");
        EXPECT_EQ(z.dw_1->describe("t_width.background.color"), "255");
        z.cb_1->trigger("clicked");
    });
    pages->cb_preview->trigger("clicked");
    EXPECT_TRUE(previewed);
    ASSERT_TRUE(project->fw_save());
    const setup::SetupInfo info = built();
    EXPECT_EQ(info.mainWindow.title, "^NAME^ Setup");
    EXPECT_TRUE(info.backgroundTexts.empty());
    screenshot(pane->widget(), "project-background");
}

// F1 gives the help of the tab shown, and of the setup text's dialog.
TEST_P(ProjectBackgroundTest, EachTabAndTheSetupTextDialogHaveTheirHelp) {
    expectHelpTopic(*project, 44);
    const std::pair<const char*, int> tabs[] = {{"uo_pages", 42}, {"uo_files", 41}, {"uo_background", 44}};
    for (const auto& [name, topic] : tabs) {
        project->tab_panes->selectTab(project->tab_panes->indexOf(*project->findControl(name)));
        core_test::settle();
        expectHelpTopic(*project, topic);
    }
    runtime::whenWindowOpen("w_wmain_setuptext", [&](runtime::Window& open) {
        auto& w = dynamic_cast<pakomo::w_wmain_setuptext&>(open);
        expectHelpTopic(w, 44);
        w.cb_2->click();
    });
    project->fw_edit_setuptext();
}

INSTANTIATE_DATABASE_TEST_SUITE_P(ProjectBackgroundTest);

// A place clicked on the tab, kept in ten-thousandths, is where Setup draws the text: exactly at
// the tab's own size, and at the same relative place on any other screen.
TEST(BackgroundPlacement, APlaceClickedOnTheTabIsWhereSetupDrawsIt) {
    for (int tab : {200, 341, 768, 1024, 1920}) {
        for (int p = 0; p <= tab; ++p) {
            const long edge = w_wmain_preview::fw_edge(p, tab);
            ASSERT_EQ(setup::CMainWindow::TextPosition(static_cast<uint32_t>(edge), tab), p)
                << p << " of " << tab;
            for (int screen : {640, 800, 1080, 1366, 2560}) {
                const double wanted = double(p) * screen / tab;
                EXPECT_LE(
                    std::abs(setup::CMainWindow::TextPosition(static_cast<uint32_t>(edge), screen) - wanted),
                    0.5 * screen / tab + 1)
                    << p << " of " << tab << " on " << screen;
            }
        }
    }
    // The corners, and nothing outside them.
    EXPECT_EQ(w_wmain_preview::fw_edge(0, 500), 0);
    EXPECT_EQ(w_wmain_preview::fw_edge(500, 500), 10000);
    EXPECT_EQ(w_wmain_preview::fw_edge(-3, 500), 0);
    EXPECT_EQ(w_wmain_preview::fw_edge(900, 500), 10000);
    EXPECT_EQ(w_wmain_preview::fw_edge(10, 0), 0);
}

}  // namespace
