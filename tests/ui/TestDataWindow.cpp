// The data-window control: protect expressions per row, AcceptText's validation, row focus,
// selection, clicks, Describe/Modify, and printing to PDF with copies and orientation.
#include "runtime/data/DataLayout.h"
#include "runtime/ui/Controls.h"
#include "runtime/core/EventQueue.h"
#include "runtime/ui/DataWindow.h"
#include "runtime/ui/Menu.h"
#include "runtime/ui/Window.h"
#include "support/TempFolder.h"
#include "ui/UiTestSupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QLineEdit>
#include <QPrinter>
#include <QRegularExpression>
#include <QTest>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

using namespace runtime;

namespace {

ColumnLayout column(const char* name, const char* type, const char* editStyle = "edit") {
    ColumnLayout c;
    c.name = name;
    c.type = type;
    c.updatable = true;
    c.editStyle = editStyle;
    return c;
}

// A drop-down data window column "color" whose entries are the rows of the layout `list`.
ColumnLayout colorPicker(const char* list) {
    ColumnLayout c = column("color", "long", "DropDownDataWindow");
    c.attributes["dddw.name"] = list;
    c.attributes["dddw.displaycolumn"] = "color";
    c.attributes["dddw.datacolumn"] = "color";
    return c;
}

DataLayout productLayout() {
    DataLayout l;
    l.name = "d_test_products";
    ColumnLayout id = column("id", "long");
    id.key = true;
    id.attributes["tabsequence"] = "0";
    ColumnLayout name = column("name", "char(10)");
    name.attributes["width"] = "700";
    ColumnLayout exe = column("exe", "long", "checkbox");
    exe.initial = Value(1);
    ColumnLayout kind = column("kind", "char(1)", "ddlb");
    kind.attributes["values"] = "Program\tP/Document\tD/";
    l.columns = {id, name, exe, kind};
    TextLayout heading;
    heading.name = "name_t";
    heading.text = "Product name";
    l.texts = {heading};
    return l;
}

class DataWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ui_test::application();
        registerLayout(productLayout());
        window = create<Window>("w_dw_test");
        window->resize(3000, 1600);
        dw = window->addControl<DataWindow>("dw_1");
        dw->resize(2800, 1400);
        dw->setDataObject("d_test_products");
        window->open();
        ui_test::settle();
    }
    void TearDown() override {
        if (window) window->close();
        ui_test::settle();
    }
    void addRows(const std::vector<int>& exes) {
        for (int exe : exes) {
            long r = dw->store().insertRow(0);
            dw->store().setItem(r, "id", Value(static_cast<int>(r)));
            dw->store().setItem(r, "name", Value("file" + std::to_string(r)));
            dw->store().setItem(r, "exe", Value(exe));
            dw->store().setItem(r, "kind", Value(exe ? "P" : "D"));
        }
    }
    QLineEdit* edit() const { return dw->widget()->findChild<QLineEdit*>("editfield"); }
    Ref<Window> window;
    Ref<DataWindow> dw;
};

struct ProtectCase {
    const char* name;
    std::vector<int> exe;
    const char* condition;
};

void PrintTo(const ProtectCase& c, std::ostream* os) { *os << c.name; }

class ProtectExpression : public DataWindowTest, public ::testing::WithParamInterface<ProtectCase> {};

TEST_P(ProtectExpression, BlocksEditingOnExactlyTheRowsWhereItHolds) {
    const ProtectCase& c = GetParam();
    addRows(c.exe);
    std::string error = dw->modify(std::string("name.Protect='0\tif(") + c.condition +
                                   ", 1, 0)' name.Color = '0\tif(" + c.condition +
                                   ", 8421504, 0)' name.Background.Color = '0\tif(" + c.condition +
                                   ", 12632256, 16777215)'");
    ASSERT_EQ(error, "");
    EXPECT_EQ(dw->describe("name.protect"), std::string("0\tif(") + c.condition + ", 1, 0)\"");
    dw->setFocus();
    for (long row = 1; row <= static_cast<long>(c.exe.size()); ++row) {
        bool protectedRow = c.exe[static_cast<size_t>(row - 1)] == 0;
        ASSERT_EQ(dw->scrollToRow(row), 1);
        ASSERT_EQ(dw->setColumn("name"), 1);
        EXPECT_EQ(dw->isEditable(row, 2), !protectedRow) << "row " << row;
        EXPECT_EQ(edit()->isVisible(), !protectedRow) << "row " << row;
        QTest::keyClicks(dw->editField()->isVisible() ? dw->editField() : dw->widget(), "X");
        EXPECT_EQ(dw->acceptText(), 1);
        std::string expected = "file" + std::to_string(row) + (protectedRow ? "" : "X");
        if (!protectedRow) {
            // The typed character went after the selection or replaced the whole text.
            std::string now = dw->store().getItemString(row, "name");
            EXPECT_TRUE(now == expected || now == "X") << now;
        } else {
            EXPECT_EQ(dw->store().getItemString(row, "name"), expected) << "row " << row;
        }
    }
    ui_test::saveScreenshot(window->widget(), std::string("datawindow-protect-") + c.name);
}

INSTANTIATE_TEST_SUITE_P(DataWindows, ProtectExpression,
                         ::testing::Values(ProtectCase{"mixed", {1, 0, 1, 0, 0}, "exe=0"},
                                           ProtectCase{"noneProtected", {1, 1, 1}, "exe=0"},
                                           ProtectCase{"allProtected", {0, 0}, "exe=0"},
                                           ProtectCase{"blanksAroundEquals", {0, 1}, "exe = 0"}),
                         [](const auto& info) { return std::string(info.param.name); });

struct AcceptCase {
    const char* name;
    const char* column;
    const char* typed;
    int result;
    const char* stored;  // what the row holds afterwards
    bool scriptRejects = false;  // itemchanged answers 1
};

void PrintTo(const AcceptCase& c, std::ostream* os) { *os << c.name; }

class AcceptText : public DataWindowTest, public ::testing::WithParamInterface<AcceptCase> {};

TEST_P(AcceptText, ValidatesTypeAndWidthAndKeepsARejectedTextInTheField) {
    const AcceptCase& c = GetParam();
    addRows({1});
    std::vector<std::string> errors;
    dw->on("itemerror", [&](Args a) {
        errors.push_back(a[1].toText() + "=" + a[2].toText());
        return Value();
    });
    dw->store().resetUpdate();
    dw->on("itemchanged", [&c](Args) { return Value(c.scriptRejects ? 1 : 0); });
    ASSERT_EQ(dw->setRow(1), 1);
    ASSERT_EQ(dw->setColumn(c.column), 1);
    ASSERT_TRUE(dw->editField()->isVisible());
    ASSERT_EQ(dw->setEditText(c.typed), 1);
    EXPECT_EQ(dw->acceptText(), c.result);
    EXPECT_EQ(dw->store().getItemString(1, c.column), c.stored);
    EXPECT_EQ(dw->getText(), c.typed);  // the field keeps the text either way
    EXPECT_EQ(errors.size(), c.result == -1 && !c.scriptRejects ? 1u : 0u);
    EXPECT_EQ(dw->store().getItemStatus(1, 0), c.result == 1 ? ItemStatus::DataModified : ItemStatus::NotModified);
    if (c.result == -1) {
        // The row cannot be left while the field holds a text the column cannot take.
        addRows({1});
        EXPECT_EQ(dw->setRow(2), -1);
        EXPECT_EQ(dw->getRow(), 1);
    }
}

INSTANTIATE_TEST_SUITE_P(
    DataWindows, AcceptText,
    ::testing::Values(AcceptCase{"fits", "name", "setup.exe", 1, "setup.exe"},
                      AcceptCase{"exactWidth", "name", "0123456789", 1, "0123456789"},
                      AcceptCase{"tooLong", "name", "01234567890", -1, "file1"},
                      AcceptCase{"listValue", "kind", "Document", 1, "D"},
                      AcceptCase{"rejectedByItemchanged", "name", "other", -1, "file1", true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DataWindowTest, RowFocusSelectionClicksAndAttributes) {
    addRows({1, 0, 1, 1});
    std::vector<long> focus;
    dw->on("rowfocuschanged", [&](Args a) {
        focus.push_back(a[0].toInt());
        return Value();
    });
    EXPECT_EQ(dw->setRow(3), 1);
    EXPECT_EQ(focus, std::vector<long>{3});  // raised before SetRow returned
    EXPECT_EQ(dw->setRow(3), 1);             // no change, no event
    EXPECT_EQ(dw->scrollToRow(1), 1);
    EXPECT_EQ(focus, (std::vector<long>{3, 1}));
    EXPECT_EQ(dw->setRow(9), -1);

    dw->selectRow(2, true);
    dw->selectRow(4, true);
    EXPECT_TRUE(dw->isSelected(2));
    EXPECT_FALSE(dw->isSelected(3));
    EXPECT_EQ(dw->getSelectedRow(0), 2);
    EXPECT_EQ(dw->getSelectedRow(2), 4);
    EXPECT_EQ(dw->getSelectedRow(4), 0);
    dw->store().deleteRow(1);
    EXPECT_TRUE(dw->isSelected(1));  // selection moves up with its rows
    dw->selectRow(0, false);
    EXPECT_EQ(dw->getSelectedRow(0), 0);

    struct Click {
        long row;
        std::string name;
        std::string type;
    };
    std::vector<Click> clicks;
    std::vector<DwObject> posted;  // what a posted event receives as its dwo
    for (const char* event : {"clicked", "rbuttondown"}) {
        dw->on(event, [&](Args a) {
            clicks.push_back({a[2].toInt(), a[3].toText(), dw->clickedObject().type});
            dw->post("ue_clicked", {a[3]});
            return Value();
        });
    }
    dw->on("ue_clicked", [&](Args a) {
        if (const DwObject* o = a[0].toDwObject()) posted.push_back(*o);
        return Value();
    });
    int rowPx = dw->rowHeight() / 4, headerPx = dw->headerHeight() / 4;
    QWidget* viewport = dw->widget()->findChild<QWidget*>("qt_scrollarea_viewport");
    ASSERT_NE(viewport, nullptr);
    // A click on row 2's name column; a right click below the rows.
    QTest::mouseClick(viewport, Qt::LeftButton, {}, QPoint(120, headerPx + rowPx + rowPx / 2));
    QTest::mouseClick(viewport, Qt::RightButton, {}, QPoint(120, headerPx + 20 * rowPx));
    QTest::mouseClick(viewport, Qt::LeftButton, {}, QPoint(120, headerPx / 2));
    ASSERT_EQ(clicks.size(), 3u);
    EXPECT_EQ(clicks[0].row, 2);
    EXPECT_EQ(clicks[0].name, "name");
    EXPECT_EQ(clicks[0].type, "column");
    EXPECT_EQ(dw->getRow(), 2);
    EXPECT_EQ(dw->getColumnName(), "name");
    EXPECT_EQ(clicks[1].row, 0);
    EXPECT_EQ(clicks[1].type, "datawindow");
    EXPECT_EQ(clicks[2].row, 0);
    EXPECT_EQ(clicks[2].name, "name_t");
    // Each posted event sees the object of its own click, not the last one.
    EventQueue::runPending();
    ASSERT_EQ(posted.size(), 3u);
    EXPECT_EQ(posted[0].name, "name");
    EXPECT_EQ(posted[0].band, "detail");
    EXPECT_EQ(posted[0].column, dw->store().columnNumber("name"));
    EXPECT_EQ(posted[0].row, 2);
    EXPECT_EQ(posted[1].type, "datawindow");
    EXPECT_EQ(posted[1].column, 0);
    EXPECT_EQ(posted[2].name, "name_t");
    EXPECT_EQ(posted[2].band, "header");

    // Clicking a check box toggles it between 1 and 0, unless the row is protected.
    Value before = dw->store().getItem(1, "exe");
    QTest::mouseClick(viewport, Qt::LeftButton, {}, QPoint((400 + 700) * 7 / 32 + 8, headerPx + rowPx / 2));
    EXPECT_NE(dw->store().getItem(1, "exe"), before);

    EXPECT_EQ(dw->modify("datawindow.zoom=50 detail.height=120 name_t.width = 500"), "");
    EXPECT_EQ(dw->describe("datawindow.zoom"), "50");
    EXPECT_EQ(dw->describe("detail.height"), "120");
    EXPECT_EQ(dw->describe("name_t.width"), "500");
    EXPECT_EQ(dw->rowHeight(), 120);
    EXPECT_NE(dw->modify("datawindow.print.orientation=7"), "");
    EXPECT_EQ(dw->describe("datawindow.print.orientation"), "0");

    std::vector<std::string> focusLog;
    for (const char* event : {"getfocus", "losefocus"})
        dw->on(event, [&focusLog, event](Args) {
            focusLog.push_back(event);
            return Value();
        });
    Ref<SingleLineEdit> other = window->addControl<SingleLineEdit>("sle_other");
    QApplication::setActiveWindow(window->widget());
    other->setFocus();
    focusLog.clear();
    dw->setFocus();
    dw->setColumn("name");  // the focus moves on to the edit field, still inside the control
    other->setFocus();
    EXPECT_EQ(focusLog, (std::vector<std::string>{"getfocus", "losefocus"}));
    dw->setEditText("selected part");
    auto* e = qobject_cast<QLineEdit*>(dw->editField());
    ASSERT_NE(e, nullptr);
    e->setSelection(0, 8);
    EXPECT_EQ(dw->selectedText(), "selected");
}

TEST_F(DataWindowTest, FieldFocusDoubleClicksRadioButtonsAndBackgroundPerRow) {
    DataLayout choices = productLayout();
    choices.name = "d_test_choices";
    choices.columns[3].editStyle = "radiobuttons";
    choices.columns[3].attributes["width"] = "1500";
    registerLayout(choices);
    dw->setDataObject("d_test_choices");
    addRows({1, 0, 1});
    std::vector<std::string> log;
    dw->on("itemfocuschanged", [&](Args a) {
        log.push_back(a[0].toText() + " " + a[1].toText() + " " + dw->getText());
        return Value();
    });
    dw->on("doubleclicked", [&](Args a) {
        log.push_back("doubleclicked " + a[2].toText() + " " + a[3].toText());
        return Value();
    });
    // Every field that takes the focus, on a new row as well as in a new column, is reported
    // with its text already in the edit field.
    ASSERT_EQ(dw->getRow(), 1);
    ASSERT_EQ(dw->scrollToRow(2), 1);
    ASSERT_EQ(dw->setColumn("kind"), 1);
    ASSERT_EQ(dw->setColumn("name"), 1);
    ASSERT_EQ(dw->setRow(3), 1);
    EXPECT_EQ(log, (std::vector<std::string>{"2 name file2", "2 kind Document", "2 name file2", "3 name file3"}));

    QWidget* viewport = dw->widget()->findChild<QWidget*>("qt_scrollarea_viewport");
    ASSERT_NE(viewport, nullptr);
    int rowPx = dw->rowHeight() / 4, headerPx = dw->headerHeight() / 4;
    auto rowY = [&](long row) { return headerPx + static_cast<int>(row - 1) * rowPx + rowPx / 2; };
    // The pixels a column takes on a row, found through what the control reports there.
    auto cell = [&](long row, const char* name) {
        int first = -1, last = -1;
        for (int x = 0; x < viewport->width(); ++x)
            if (dw->objectAt(x, rowY(row)).name == name) {
                if (first < 0) first = x;
                last = x;
            }
        return std::make_pair(first, last);
    };
    log.clear();
    QTest::mouseDClick(viewport, Qt::LeftButton, {}, QPoint(cell(3, "name").first + 5, rowY(3)));
    EXPECT_NE(std::find(log.begin(), log.end(), "doubleclicked 3 name"), log.end());

    // Radio buttons: a click picks the option under the pointer, except where the column is
    // protected.
    ASSERT_EQ(dw->modify("kind.Protect='0\tif(exe=0, 1, 0)' "
                         "name.Background.Color='0\tif(exe=0, 12632256, 16777215)'"),
              "");
    auto [kindLeft, kindRight] = cell(1, "kind");
    ASSERT_GT(kindRight, kindLeft);
    QTest::mouseClick(viewport, Qt::LeftButton, {}, QPoint(kindRight - 2, rowY(1)));
    EXPECT_EQ(dw->store().getItemString(1, "kind"), "D");
    QTest::mouseClick(viewport, Qt::LeftButton, {}, QPoint(kindLeft + 5, rowY(1)));
    EXPECT_EQ(dw->store().getItemString(1, "kind"), "P");
    QTest::mouseClick(viewport, Qt::LeftButton, {}, QPoint(kindLeft + 5, rowY(2)));
    EXPECT_EQ(dw->store().getItemString(2, "kind"), "D");

    // The background follows its expression row by row (row 2 has exe = 0); the edit field
    // sits on row 1.
    ASSERT_EQ(dw->setRow(1), 1);
    QImage picture = viewport->grab().toImage();
    int x = cell(2, "name").second - 3;
    EXPECT_EQ(picture.pixelColor(x, rowY(2)), QColor(192, 192, 192));
    EXPECT_EQ(picture.pixelColor(x, rowY(3)), QColor(Qt::white));
}

// A drop-down data window: its entries are another layout's rows, each in the colours that
// layout gives it; a pick is an itemchanged and stores the data column's value; SetText takes
// a value that is none of the entries; the child row set takes new rows.
TEST_F(DataWindowTest, DropDownDataWindowChoosesAValueFromAnotherLayoutsRows) {
    DataLayout colors;
    colors.name = "dddw_test_colors";
    ColumnLayout entry = column("color", "long");
    entry.attributes["background.color"] = "0\t color ";
    entry.attributes["color"] = "0\tif (color = 16777215, 0, 16777215)";
    colors.columns = {entry};
    colors.data = {{Value(255)}, {Value(65280)}, {Value(16777215)}};
    registerLayout(colors);
    DataLayout pick;
    pick.name = "d_test_pick";
    pick.columns = {colorPicker("dddw_test_colors")};
    registerLayout(pick);
    dw->setDataObject("d_test_pick");
    EXPECT_EQ(dw->describe("color.edit.style"), "dddw");
    dw->store().insertRow(0);
    std::vector<std::string> changes;
    dw->on("itemchanged", [&](Args a) {
        changes.push_back(a[1].toText() + "=" + a[2].toText());
        return Value();
    });
    ASSERT_EQ(dw->setRow(1), 1);
    ASSERT_EQ(dw->setColumn("color"), 1);
    auto* list = qobject_cast<QComboBox*>(dw->editField());
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->count(), 3);
    struct Entry {
        const char* text;
        QColor background, foreground;
    };
    const Entry entries[] = {{"255", QColor(255, 0, 0), QColor(Qt::white)},
                             {"65280", QColor(0, 255, 0), QColor(Qt::white)},
                             {"16777215", QColor(Qt::white), QColor(Qt::black)}};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(entries[i].text);
        EXPECT_EQ(list->itemText(i).toStdString(), entries[i].text);
        EXPECT_EQ(list->itemData(i, Qt::BackgroundRole).value<QColor>(), entries[i].background);
        EXPECT_EQ(list->itemData(i, Qt::ForegroundRole).value<QColor>(), entries[i].foreground);
    }
    // The user picks the second entry.
    list->setCurrentIndex(1);
    emit list->activated(1);
    EXPECT_EQ(changes, (std::vector<std::string>{"color=65280"}));
    EXPECT_EQ(dw->store().getItem(1, "color"), Value(65280));
    // A colour mixed elsewhere goes in through SetText and stays, shown by its number.
    ASSERT_EQ(dw->setEditText("1193046"), 1);
    ASSERT_EQ(dw->acceptText(), 1);
    EXPECT_EQ(dw->store().getItem(1, "color"), Value(1193046));
    EXPECT_EQ(dw->getText(), "1193046");
    // The child row set is the list's: a row added there is an entry at the next load.
    DataStore* child = dw->getChild("COLOR");
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(child->rowCount(), 3);
    child->setItem(child->insertRow(0), "color", Value(128));
    ASSERT_EQ(dw->setColumn(1), 1);
    dw->store().insertRow(0);
    ASSERT_EQ(dw->setRow(2), 1);
    list = qobject_cast<QComboBox*>(dw->editField());
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->count(), 4);
    EXPECT_EQ(dw->getChild("nosuch"), nullptr);
}

// Tab from a drop-down data window to a drop-down list box and on, with each key going where the
// keyboard sends it (the focused widget) and the events run in between as they are when a user types:
// the field keeps the focus, and what is typed last lands in the cell.
TEST_F(DataWindowTest, TabFromAnEditableListToAFixedOneKeepsTheFocusInTheField) {
    DataLayout colors;
    colors.name = "dddw_test_tab_colors";
    colors.columns = {column("color", "long")};
    colors.data = {{Value(255)}, {Value(65280)}};
    registerLayout(colors);
    DataLayout entry;
    entry.name = "d_test_tab_entry";
    ColumnLayout kind = column("kind", "char(1)", "ddlb");
    kind.attributes["values"] = "Program\tP/Document\tD/";
    entry.columns = {colorPicker("dddw_test_tab_colors"), kind, column("name", "char(10)")};
    registerLayout(entry);
    dw->setDataObject("d_test_tab_entry");
    dw->store().insertRow(0);
    window->widget()->activateWindow();
    ASSERT_EQ(dw->setRow(1), 1);
    ASSERT_EQ(dw->setColumn("color"), 1);
    dw->setFocus();
    ui_test::settle();
    auto press = [](Qt::Key key) {
        QWidget* focus = QApplication::focusWidget();
        ASSERT_NE(focus, nullptr) << "no widget has the focus";
        QTest::keyClick(focus, key);
        // Qt discards a list's own edit line later, from the event loop.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        ui_test::settle();
    };
    ASSERT_TRUE(qobject_cast<QComboBox*>(QApplication::focusWidget())) << "the editable list has no focus";
    press(Qt::Key_Tab);
    EXPECT_EQ(dw->getColumnName(), "kind");
    EXPECT_EQ(QApplication::focusWidget(), dw->editField());
    press(Qt::Key_Tab);
    EXPECT_EQ(dw->getColumnName(), "name");
    ASSERT_EQ(QApplication::focusWidget(), dw->editField());
    QTest::keyClicks(QApplication::focusWidget(), "typed");
    ASSERT_EQ(dw->acceptText(), 1);
    EXPECT_EQ(dw->store().getItem(1, "name"), Value("typed"));
}

TEST_F(DataWindowTest, NumericEditMaskTakesOnlyItsDigitsAndOtherColumnsStayFree) {
    DataLayout masked = productLayout();
    masked.name = "d_test_mask";
    ColumnLayout code = column("code", "long", "editmask");
    code.attributes["editmask.mask"] = "####";
    masked.columns.push_back(code);
    registerLayout(masked);
    dw->setDataObject("d_test_mask");
    addRows({1});
    ASSERT_EQ(dw->setRow(1), 1);
    ASSERT_EQ(dw->setColumn("code"), 1);
    ASSERT_TRUE(dw->editField()->isVisible());
    QTest::keyClicks(dw->editField(), "12a345");
    EXPECT_EQ(dw->getText(), "1234");
    EXPECT_EQ(dw->acceptText(), 1);
    EXPECT_EQ(dw->store().getItem(1, "code"), Value(1234));
    // The mask belongs to its column: the name field takes letters again.
    ASSERT_EQ(dw->setColumn("name"), 1);
    QTest::keyClicks(dw->editField(), "ab");
    EXPECT_NE(dw->getText().find("ab"), std::string::npos) << dw->getText();
}

// The window keeps its cut and copy commands in step with the edit field's selection from the
// event raised whenever the field repaints.
TEST_F(DataWindowTest, EditFieldRepaintReportsItsSelectedText) {
    addRows({1});
    ASSERT_EQ(dw->setRow(1), 1);
    ASSERT_EQ(dw->setColumn("name"), 1);
    auto* e = qobject_cast<QLineEdit*>(dw->editField());
    ASSERT_NE(e, nullptr);
    ASSERT_TRUE(e->isVisible());
    int raised = 0;
    std::string reported = "none";
    dw->on("editpainted", [&](Args) {
        ++raised;
        reported = dw->selectedText();
        return Value();
    });
    e->setSelection(0, 4);
    e->repaint();
    EXPECT_GE(raised, 1);
    EXPECT_EQ(reported, "file");
    int selected = raised;
    e->deselect();
    QApplication::processEvents();  // the field's own update after the change of selection
    EXPECT_GT(raised, selected);
    EXPECT_EQ(reported, "");

    // Redraw off: the field does not paint, so nothing is reported until redraw is on again.
    dw->setRedraw(false);
    int before = raised;
    e->selectAll();
    e->repaint();
    QApplication::processEvents();
    EXPECT_EQ(raised, before);
    dw->setRedraw(true);
    e->repaint();
    EXPECT_GT(raised, before);
    EXPECT_EQ(reported, "file1");
}

// Counts the pages of a PDF and how many of them are wider than high.
std::pair<int, int> pdfPages(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    QString text = QString::fromLatin1(ss.str().data(), static_cast<qsizetype>(ss.str().size()));
    int pages = static_cast<int>(text.count(QRegularExpression("/Type\\s*/Page[^s]")));
    int landscape = 0;
    auto boxes = QRegularExpression("/MediaBox\\s*\\[\\s*0\\s+0\\s+([\\d.]+)\\s+([\\d.]+)\\s*\\]").globalMatch(text);
    while (boxes.hasNext()) {
        auto m = boxes.next();
        if (m.captured(1).toDouble() > m.captured(2).toDouble()) ++landscape;
    }
    return {pages, landscape};
}

TEST_F(DataWindowTest, PrintsATwoPageRowSetToPdfWithCopiesAndOrientation) {
    ASSERT_EQ(dw->modify("datawindow.print.orientation=1 datawindow.print.copies=2"), "");
    // Rows until the set takes exactly two landscape pages.
    while (dw->pageCount() < 2) addRows({1});
    addRows({1, 0});
    ASSERT_EQ(dw->pageCount(), 2);
    testing_support::TempFolder folder;
    std::filesystem::path pdf = folder.path() / "rows.pdf";
    QPrinter& printer = DataWindow::printer();
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(pdf.string()));
    ASSERT_EQ(dw->print(), 1);
    auto [pages, landscape] = pdfPages(pdf);
    EXPECT_EQ(pages, 4);
    EXPECT_EQ(landscape, 4);

    // Portrait, one copy: more pages for the same rows, none of them landscape.
    ASSERT_EQ(dw->modify("datawindow.print.orientation=2 datawindow.print.copies=1"), "");
    int portraitPages = dw->pageCount();
    ASSERT_EQ(dw->print(), 1);
    auto [pages2, landscape2] = pdfPages(pdf);
    EXPECT_EQ(pages2, portraitPages);
    EXPECT_EQ(landscape2, 0);

    // The preview shows the same pages, zoomed, with rulers.
    ASSERT_EQ(dw->modify("datawindow.print.preview=yes datawindow.print.preview.rulers=yes "
                         "datawindow.print.preview.zoom=25 datawindow.print.orientation=1"),
              "");
    EXPECT_EQ(dw->describe("datawindow.print.preview.zoom"), "25");
    EXPECT_FALSE(dw->editField()->isVisible());
    ui_test::saveScreenshot(dw->widget(), "datawindow-print-preview");
}

TEST_F(DataWindowTest, FreeFormPlacesFieldsByTheirAttributes) {
    ASSERT_EQ(dw->modify("name.x=600 name.y=20 name.width=900 name.height=80 exe.x=600 exe.y=120 "
                         "kind.x=600 kind.y=220 id.x=600 id.y=320 detail.height=420"),
              "");
    dw->setPresentation(DataWindow::Presentation::FreeForm);
    addRows({1, 0});
    EXPECT_EQ(dw->rowHeight(), 420);
    int rowPx = 420 / 4;
    DataWindowObject hit = dw->objectAt(600 * 7 / 32 + 10, 20 / 4 + 5 + rowPx);
    EXPECT_EQ(hit.type, "column");
    EXPECT_EQ(hit.name, "name");
    EXPECT_EQ(hit.row, 2);
    EXPECT_EQ(hit.protect, 0);
    EXPECT_EQ(dw->objectAt(5, 5).type, "datawindow");  // left of every field
    ASSERT_EQ(dw->setRow(2), 1);
    ASSERT_EQ(dw->setColumn("kind"), 1);
    ASSERT_NE(qobject_cast<QComboBox*>(dw->editField()), nullptr);  // the drop-down list style
    EXPECT_EQ(dw->getText(), "Document");
    ui_test::saveScreenshot(dw->widget(), "datawindow-free-form");
}

class Frame : public FrameWindow {
public:
    Frame() : FrameWindow("w_frame") {}
};

class SheetMenu : public Menu {
public:
    SheetMenu() : Menu("m_sheet") {
        Ref<Menu> file = addItem("m_file", "&File");
        file->addItem("m_save", "&Save\tCtrl+S")->setShortcut(256 + 'S');
        Ref<Menu> print = file->addItem("m_print", "&Print...");
        print->setToolbarItemName("Print!");
        print->setToolbarItemText("Print");
        addItem("m_window", "&Window")->addItem("m_tile", "&Vertical");
    }
};

TEST_F(DataWindowTest, FrameWithASheetMenuAndDataWindowScreenshot) {
    Ref<Frame> frame = create<Frame>();
    frame->setTitle("Pakomo");
    frame->open();
    Ref<Window> sheet = create<Window>("w_sheet");
    sheet->setTitle("Products");
    sheet->createMenu<SheetMenu>();
    sheet->resize(2600, 1200);
    Ref<DataWindow> grid = sheet->addControl<DataWindow>("dw_products");
    grid->resize(2500, 1100);
    grid->setDataObject("d_test_products");
    sheet->openSheet(*frame);
    dw->shareData(*grid);
    addRows({1, 0, 1, 1, 0});
    EXPECT_EQ(grid->rowCount(), 5);  // the shared rows show in both
    grid->modify("name.Protect='0\tif(exe=0, 1, 0)' name.Background.Color='0\tif(exe=0, 12632256, 16777215)'");
    grid->selectRow(3, true);
    grid->setRow(2);
    frame->widget()->resize(900, 500);
    ui_test::settle();
    ui_test::saveScreenshot(frame->widget(), "frame-sheet-menu-datawindow");
    frame->close();
}

}  // namespace
