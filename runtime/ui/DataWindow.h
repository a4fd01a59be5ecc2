#pragma once
// The data-window control: a view over a row set (its own DataStore, which may share its rows
// with other row sets and data windows), drawn as a grid or as a free form, with one edit field
// on the current row and column.
//
// Columns take their place from the layout's attributes (x, y, width, height in layout units;
// in a grid only the width counts) and their behaviour from edit.style ("edit", "editmask",
// "checkbox", "ddlb", "dddw", "radiobuttons"), "values" ("Display\tdata/..."), for a drop-down
// data window "dddw.name" (the layout of its rows), "dddw.displaycolumn" and "dddw.datacolumn"
// (each entry drawn in the colours that layout's display column gives its row),
// "editmask.mask", "checkbox.on"/"checkbox.off" (1 and 0), "tabsequence" (0: never edited),
// "protect", "color" and "background.color" (values or "default\texpression" per row).
//
// Events: clicked, doubleclicked and rbuttondown (xpos, ypos, row, dwo; row 0 outside the
// rows), rowfocuschanged(currentrow) at once when SetRow or ScrollToRow changes the row,
// itemfocuschanged(row, dwo) when another field (a new row or column) has the focus,
// itemchanged(row, dwo, data) before an accepted edit is stored (1 rejects it),
// itemerror(row, dwo, data) when
// AcceptText refuses the text, getfocus, losefocus, editselectionchanged when the edit field's
// selection changes, editpainted whenever the edit field is about to repaint (its window keeps
// its cut and copy commands in step with selectedText() from there), and the row set's
// retrieveend, updateend and dberror.
#include "runtime/data/DataStore.h"
#include "runtime/ui/VisualObject.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class QPainter;
class QPrinter;
class QRectF;

namespace runtime {

class DataWindowView;

// What a click hit: type "column", "text", "datawindow" (outside any object).
using DataWindowObject = DwObject;

class DataWindow : public Control, private RowSetObserver {
public:
    explicit DataWindow(std::string className = "datawindow");
    ~DataWindow() override;

    enum class Presentation { Grid, FreeForm };
    void setPresentation(Presentation p);
    Presentation presentation() const { return presentation_; }

    // The rows and their layout.
    DataStore& store() { return *store_; }
    const DataStore& store() const { return *store_; }
    void setDataObject(std::string_view layoutName);
    const std::string& dataObject() const { return store_->dataObject(); }
    // `secondary` shows and edits this data window's rows from now on.
    long shareData(DataWindow& secondary);
    long shareData(DataStore& secondary);
    long shareDataOff();

    long rowCount() const { return store_->rowCount(); }

    // GetChild: the row set that a drop-down data-window column shows (its layout's own rows;
    // it may be retrieved); nullptr for another column.
    DataStore* getChild(std::string_view column);

    // Current row and column. SetRow and ScrollToRow raise rowfocuschanged at once when the row
    // changes; 1, or -1 for a row that does not exist.
    long getRow() const { return row_; }
    int setRow(long row);
    int scrollToRow(long row);
    int getColumn() const { return column_; }
    std::string getColumnName() const;
    int setColumn(int column);
    int setColumn(std::string_view name);

    // The edit field: its text (the pending edit), set by program, and its selection.
    std::string getText() const;
    int setEditText(std::string_view text);  // SetText: 1, -1 when no field is shown
    void setText(std::string_view text) override { setEditText(text); }
    std::string text() const override { return getText(); }
    std::string selectedText() const override;
    void cut() override;
    void copy() override;
    void paste() override;
    // Stores the pending edit. 1; -1 when the column cannot take the text (too long, not a
    // number...) or itemchanged rejects it: the text stays in the field for the user to fix.
    int acceptText();
    // Whether the user may edit a column on a row (tab order above 0, not protected there).
    bool isEditable(long row, int column) const;

    // Selected rows (row 0: every row).
    int selectRow(long row, bool select);
    bool isSelected(long row) const;
    long getSelectedRow(long after) const;  // the next selected row after `after`, 0 when none

    void setRedraw(bool redraw);
    bool redraw() const { return redraw_; }

    // Describe and Modify: the row set's attributes plus datawindow.print.preview,
    // datawindow.print.preview.rulers, datawindow.print.preview.zoom, datawindow.print.orientation
    // (0 the printer's default, 1 landscape, 2 portrait) and datawindow.print.copies.
    std::string describe(std::string_view attributes) const;
    std::string modify(std::string_view settings);

    // The object under a point of the control (pixels of the control's widget).
    DataWindowObject objectAt(int x, int y) const;
    const DataWindowObject& clickedObject() const { return clicked_; }

    // Printing: to the runtime's printer (printer()), with the copies and orientation set.
    // 1 printed, -1 failed or cancelled.
    int print(bool showCancelDialog = false);
    // Pages of the rows as printed on `printer` (with this data window's orientation).
    int pageCount();
    bool printPreview() const { return preview_; }
    // A report layout shows its pages, as the print preview does; no field is edited there.
    bool isReport() const { return store_->layout().presentation == "report"; }
    bool showsPages() const { return preview_ || isReport(); }
    int previewZoom() const { return previewZoom_; }
    int printOrientation() const { return orientation_; }
    int printCopies() const { return copies_; }

    // The runtime's printer ("the printer it prints to") and its setup dialog.
    static QPrinter& printer();
    static int printSetup();
    // For tests: answers printSetup() instead of the dialog (empty: the dialog again).
    static void setPrintSetupHandler(std::function<int(QPrinter&)> handler);

    // Geometry of the layout, in layout units.
    int rowHeight() const;
    int headerHeight() const;
    QWidget* editField() const;

private:
    friend class DataWindowView;
    struct ColumnBox {
        int column;  // 1-based
        int x, y, w, h;
    };
    std::vector<ColumnBox> columnBoxes() const;
    DwObject columnObject(long row, int column) const;
    // The entries of a drop-down or radio-button column: what is shown, what is stored, colours.
    struct CodeEntry {
        std::string display;
        std::string data;
        long background = -1;  // -1: the field's own
        long color = -1;
    };
    std::vector<CodeEntry> codeEntries(int column) const;
    DataStore* child(int column) const;
    static bool isDropDown(const std::string& style) { return style == "ddlb" || style == "dddw"; }
    int contentWidth() const;
    std::string columnAttributeText(long row, int column, std::string_view attribute) const;
    std::string editStyle(int column) const;
    std::string rawAttribute(int column, std::string_view attribute) const;
    int tabSequence(int column) const;
    std::string displayText(long row, int column) const;
    void paintRows(QPainter& p, long first, long last, double scale, int topY, bool selection) const;
    void paintHeader(QPainter& p, double scale) const;
    void paintText(QPainter& p, const TextLayout& t, int top) const;
    int layoutPages(QPrinter& printer, std::vector<std::pair<long, long>>& pages);
    void preparePrinter(QPrinter& printer) const;
    void renderPage(QPainter& p, QPrinter& printer, long first, long last);
    // `reload`: the field moved to another cell, so what it shows is not an edit to keep.
    void showEditor(bool reload = false);
    void hideEditor();
    void loadEditor();
    bool editorDirty() const;
    void toggleValue(long row, int column, int x);
    void rowsChanged(Change change, long row, int column) override;
    void mouse(int kind, QPoint pos, Qt::MouseButton button);
    void changeRowAndColumn(long row, int column);

    std::unique_ptr<DataStore> store_;
    mutable std::map<int, std::unique_ptr<DataStore>> children_;  // by column, made when first asked
    DataStore* observed_ = nullptr;
    Presentation presentation_ = Presentation::Grid;
    long row_ = 0;
    int column_ = 0;
    std::vector<bool> selected_;
    bool redraw_ = true;
    bool preview_ = false;
    bool rulers_ = false;
    int previewZoom_ = 100;
    int orientation_ = 0;
    int copies_ = 1;
    DataWindowObject clicked_;
    std::string loadedText_;
    bool loading_ = false;
};

}  // namespace runtime
