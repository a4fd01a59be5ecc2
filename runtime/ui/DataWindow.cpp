#include "runtime/ui/DataWindow.h"

#include "runtime/ui/detail/DataWindowView.h"
#include "runtime/core/Dispatch.h"
#include "runtime/services/System.h"

#include <QRegularExpressionValidator>

namespace runtime {
namespace {

// The settings of a Modify text, each kept as written: name, and the text of the whole setting.
struct Setting {
    std::string name;
    std::string value;
    std::string text;
};

std::vector<Setting> splitSettings(std::string_view s) {
    std::vector<Setting> out;
    size_t i = 0;
    while (i < s.size()) {
        while (i < s.size() && std::isspace(static_cast<unsigned char>(s[i]))) ++i;
        if (i >= s.size()) break;
        size_t start = i;
        size_t eq = s.find('=', i);
        if (eq == std::string_view::npos) {
            out.push_back({trim(s.substr(start)), {}, std::string(s.substr(start))});
            break;
        }
        Setting st;
        st.name = trim(s.substr(start, eq - start));
        i = eq + 1;
        while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
        if (i < s.size() && (s[i] == '\'' || s[i] == '"')) {
            char q = s[i++];
            while (i < s.size()) {
                if (s[i] == '~' && i + 1 < s.size()) {
                    st.value += s[i + 1];
                    i += 2;
                    continue;
                }
                if (s[i] == q) {
                    if (i + 1 < s.size() && s[i + 1] == q) {
                        st.value += q;
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                st.value += s[i++];
            }
        } else {
            while (i < s.size() && !std::isspace(static_cast<unsigned char>(s[i]))) st.value += s[i++];
        }
        st.text = std::string(s.substr(start, i - start));
        out.push_back(std::move(st));
    }
    return out;
}

bool isPrintSetting(const std::string& name) { return lower(name).rfind("datawindow.print.", 0) == 0; }
}  // namespace

// --- DataWindow ------------------------------------------------------------------------------

DataWindow::DataWindow(std::string className)
    : Control(std::move(className), "datawindow"), store_(std::make_unique<DataStore>()) {
    auto* view = new DataWindowView(this);
    setWidget(view);
    view->resize(units::toPixelsX(1500), units::toPixelsY(800));
    store_->addObserver(this);
    observed_ = store_.get();
    Ref<DataWindow> self(this);
    for (const char* event : {"retrieveend", "updateend", "dberror"}) {
        std::string name = event;
        store_->on(name, [self, name](Args a) -> Value {
            DataWindow* d = self.get();
            return d ? d->trigger(name, std::vector<Value>(a.begin(), a.end())) : Value();
        });
    }
    QObject::connect(qApp, &QApplication::focusChanged, view, [self](QWidget* old, QWidget* now) {
        DataWindow* d = self.get();
        if (!d) return;
        QWidget* w = d->widget();
        bool wasIn = old && (old == w || w->isAncestorOf(old));
        bool isIn = now && (now == w || w->isAncestorOf(now));
        if (!wasIn && isIn) d->trigger("getfocus");
        else if (wasIn && !isIn) d->trigger("losefocus");
    });
    QObject::connect(view->edit_, &QLineEdit::selectionChanged, view, [self] {
        if (DataWindow* d = self.get()) d->trigger("editselectionchanged");
    });
    // An entry the user picks from a drop-down list is taken at once (itemchanged first).
    QObject::connect(view->combo_, &QComboBox::activated, view, [self](int) {
        if (DataWindow* d = self.get(); d && !d->loading_) runGuarded([d] { d->acceptText(); });
    });
}

DataWindow::~DataWindow() {
    if (observed_) observed_->removeObserver(this);
}

void DataWindow::setPresentation(Presentation p) {
    presentation_ = p;
    if (auto* v = static_cast<DataWindowView*>(widget())) {
        v->updateScrollBars();
        v->viewport()->update();
    }
    showEditor();
}

void DataWindow::setDataObject(std::string_view layoutName) {
    store_->setDataObject(layoutName);
    row_ = 0;
    column_ = 0;
    // The layout says how it is presented; setPresentation() may change it afterwards.
    presentation_ = lower(store_->layout().presentation) == "freeform" ? Presentation::FreeForm : Presentation::Grid;
    rowsChanged(Change::Reset, 0, 0);
}

long DataWindow::shareData(DataWindow& secondary) { return shareData(secondary.store()); }
long DataWindow::shareData(DataStore& secondary) { return store_->shareData(secondary); }
long DataWindow::shareDataOff() { return store_->shareDataOff(); }

// --- Layout geometry ---------------------------------------------------------------------------

std::string DataWindow::columnAttributeText(long row, int column, std::string_view attribute) const {
    if (row >= 1 && row <= rowCount()) return expressionValueText(store_->columnAttribute(row, column, attribute));
    const ColumnLayout& c = store_->layout().columns[static_cast<size_t>(column - 1)];
    auto it = c.attributes.find(std::string(attribute));
    if (it == c.attributes.end()) return {};
    return it->second.substr(0, it->second.find('\t'));
}

std::string DataWindow::rawAttribute(int column, std::string_view attribute) const {
    const ColumnLayout& c = store_->layout().columns[static_cast<size_t>(column - 1)];
    auto it = c.attributes.find(std::string(attribute));
    return it == c.attributes.end() ? std::string() : it->second;
}

std::string DataWindow::editStyle(int column) const {
    const ColumnLayout& c = store_->layout().columns[static_cast<size_t>(column - 1)];
    auto it = c.attributes.find("edit.style");
    return editStyleName(it != c.attributes.end() ? it->second : c.editStyle);
}

int DataWindow::tabSequence(int column) const {
    const ColumnLayout& c = store_->layout().columns[static_cast<size_t>(column - 1)];
    auto it = c.attributes.find("tabsequence");
    return it == c.attributes.end() ? column * 10 : toInt(it->second, 0);
}

int DataWindow::rowHeight() const {
    for (const BandLayout& b : store_->layout().bands)
        if (lower(b.name) == "detail" && b.height > 0) return b.height;
    if (presentation_ == Presentation::Grid) return 80;
    int h = 0;
    for (const ColumnBox& b : columnBoxes()) h = std::max(h, b.y + b.h);
    return h + 16;
}

int DataWindow::headerHeight() const {
    for (const BandLayout& b : store_->layout().bands)
        if (lower(b.name) == "header" && b.height > 0) return b.height;
    if (presentation_ == Presentation::Grid) return store_->columnCount() > 0 ? 80 : 0;
    int h = 0;
    for (const TextLayout& t : store_->layout().texts)
        if (lower(t.band) == "header") h = std::max(h, t.y + t.height);
    return h;
}

std::vector<DataWindow::ColumnBox> DataWindow::columnBoxes() const {
    std::vector<ColumnBox> out;
    const auto& cols = store_->layout().columns;
    int x = 0;
    for (size_t i = 0; i < cols.size(); ++i) {
        auto attr = [&](const char* name, int fallback) {
            auto it = cols[i].attributes.find(name);
            return it == cols[i].attributes.end() ? fallback : toInt(it->second, fallback);
        };
        if (attr("visible", 1) == 0) continue;
        int col = static_cast<int>(i) + 1;
        if (presentation_ == Presentation::Grid) {
            int w = attr("width", 400);
            out.push_back({col, x, 0, w, 0});
            x += w;
        } else {
            out.push_back({col, attr("x", 40), attr("y", 8 + static_cast<int>(i) * 88), attr("width", 600), attr("height", 76)});
        }
    }
    if (presentation_ == Presentation::Grid) {
        int h = 80;
        for (const BandLayout& b : store_->layout().bands)
            if (lower(b.name) == "detail" && b.height > 0) h = b.height;
        for (ColumnBox& b : out) b.h = h;
    }
    return out;
}

int DataWindow::contentWidth() const {
    int w = 0;
    for (const ColumnBox& b : columnBoxes()) w = std::max(w, b.x + b.w);
    const auto& cols = store_->layout().columns;
    for (const TextLayout& t : store_->layout().texts) {
        // A grid draws a column's heading over the column, wherever the layout placed it.
        bool heading = false;
        for (const ColumnLayout& c : cols)
            if (presentation_ == Presentation::Grid && lower(t.name) == lower(c.name) + "_t") heading = true;
        if (!heading) w = std::max(w, t.x + t.width);
    }
    return w;
}

std::string DataWindow::displayText(long row, int column) const {
    std::string data = expressionValueText(store_->getItem(row, column));
    std::string style = editStyle(column);
    if (isDropDown(style) || style == "radiobuttons") {
        for (const CodeEntry& e : codeEntries(column))
            if (e.data == data) return e.display;
    }
    return data;
}

DataStore* DataWindow::child(int column) const {
    if (column < 1 || column > store_->columnCount() || editStyle(column) != "dddw") return nullptr;
    std::string layout = trim(rawAttribute(column, "dddw.name"));
    if (layout.empty()) return nullptr;
    auto it = children_.find(column);
    if (it != children_.end() && it->second->dataObject() == layout) return it->second.get();
    auto rows = std::make_unique<DataStore>();
    rows->setDataObject(layout);
    DataStore* raw = rows.get();
    children_[column] = std::move(rows);
    return raw;
}

DataStore* DataWindow::getChild(std::string_view column) { return child(store_->columnNumber(column)); }

std::vector<DataWindow::CodeEntry> DataWindow::codeEntries(int column) const {
    std::vector<CodeEntry> out;
    if (editStyle(column) != "dddw") {
        for (auto& [display, data] : codeTable(rawAttribute(column, "values"))) out.push_back({display, data});
        return out;
    }
    DataStore* rows = child(column);
    if (!rows) return out;
    int display = rows->columnNumber(trim(rawAttribute(column, "dddw.displaycolumn")));
    int data = rows->columnNumber(trim(rawAttribute(column, "dddw.datacolumn")));
    if (display < 1 || data < 1) return out;
    for (long r = 1; r <= rows->rowCount(); ++r) {
        CodeEntry e{expressionValueText(rows->getItem(r, display)), expressionValueText(rows->getItem(r, data))};
        e.background = static_cast<long>(rows->columnAttribute(r, display, "background.color").toInt());
        e.color = static_cast<long>(rows->columnAttribute(r, display, "color").toInt());
        out.push_back(std::move(e));
    }
    return out;
}

// --- Rows, columns, selection ----------------------------------------------------------------

void DataWindow::changeRowAndColumn(long row, int column) {
    if (row != row_ && row >= 1) setRow(row);
    if (column > 0 && column != column_ && row_ == row) setColumn(column);
}

int DataWindow::setRow(long row) {
    if (row < 1 || row > rowCount()) return -1;
    if (row == row_) return 1;
    if (editorDirty() && acceptText() != 1) return -1;
    Ref<DataWindow> self(this);
    if (trigger("rowfocuschanging", {row_, row}).toInt() == 1) return -1;
    if (!self) return -1;
    row_ = row;
    if (column_ == 0)
        for (int c = 1; c <= store_->columnCount() && column_ == 0; ++c)
            if (tabSequence(c) > 0) column_ = c;
    showEditor(true);
    if (auto* v = static_cast<DataWindowView*>(widget())) v->viewport()->update();
    trigger("rowfocuschanged", {row});
    // The field on the new row has the focus now: its owner reads its text from here.
    if (self && row_ == row && column_ > 0) trigger("itemfocuschanged", {row_, columnObject(row_, column_)});
    return 1;
}

int DataWindow::scrollToRow(long row) {
    if (row < 1 || row > rowCount()) return -1;
    auto* v = static_cast<DataWindowView*>(widget());
    v->updateScrollBars();
    double z = v->zoom();
    int rowH = units::toPixelsY(rowHeight());
    int top = static_cast<int>((row - 1) * rowH * z);
    int bottom = static_cast<int>((units::toPixelsY(headerHeight()) + row * rowH) * z);
    QScrollBar* sb = v->verticalScrollBar();
    if (top < sb->value()) sb->setValue(top);
    else if (bottom > sb->value() + v->viewport()->height()) sb->setValue(bottom - v->viewport()->height());
    return setRow(row);
}

std::string DataWindow::getColumnName() const {
    if (column_ < 1 || column_ > store_->columnCount()) return {};
    return store_->layout().columns[static_cast<size_t>(column_ - 1)].name;
}

int DataWindow::setColumn(int column) {
    if (column < 1 || column > store_->columnCount()) return -1;
    if (column == column_) return 1;
    if (editorDirty() && acceptText() != 1) return -1;
    column_ = column;
    showEditor(true);
    trigger("itemfocuschanged", {row_, columnObject(row_, column_)});
    return 1;
}

int DataWindow::setColumn(std::string_view name) {
    int c = store_->columnNumber(name);
    return c > 0 ? setColumn(c) : -1;
}

int DataWindow::selectRow(long row, bool select) {
    if (row < 0 || row > rowCount()) return -1;
    selected_.resize(static_cast<size_t>(rowCount()), false);
    if (row == 0)
        std::fill(selected_.begin(), selected_.end(), select);
    else
        selected_[static_cast<size_t>(row - 1)] = select;
    if (auto* v = static_cast<DataWindowView*>(widget())) v->viewport()->update();
    return 1;
}

bool DataWindow::isSelected(long row) const {
    return row >= 1 && row <= static_cast<long>(selected_.size()) && selected_[static_cast<size_t>(row - 1)];
}

long DataWindow::getSelectedRow(long after) const {
    for (long r = std::max(0L, after) + 1; r <= static_cast<long>(selected_.size()); ++r)
        if (selected_[static_cast<size_t>(r - 1)]) return r;
    return 0;
}

void DataWindow::setRedraw(bool redraw) {
    redraw_ = redraw;
    VisualObject::setRedraw(redraw);
    if (redraw) {
        auto* v = static_cast<DataWindowView*>(widget());
        v->updateScrollBars();
        v->viewport()->setUpdatesEnabled(true);
        v->viewport()->update();
    }
}

void DataWindow::rowsChanged(Change change, long row, int column) {
    long count = rowCount();
    switch (change) {
    case Change::Reset:
        selected_.assign(static_cast<size_t>(count), false);
        if (row_ > count || (row_ == 0 && count > 0)) row_ = count > 0 ? std::min(std::max(row_, 1L), count) : 0;
        break;
    case Change::RowInserted:
        if (row >= 1 && row <= static_cast<long>(selected_.size()) + 1)
            selected_.insert(selected_.begin() + (row - 1), false);
        if (row_ == 0) row_ = row;
        else if (row_ >= row) ++row_;
        break;
    case Change::RowDeleted:
        if (row >= 1 && row <= static_cast<long>(selected_.size())) selected_.erase(selected_.begin() + (row - 1));
        if (row_ > row || row_ > count) --row_;
        if (row_ < 1) row_ = count > 0 ? 1 : 0;
        break;
    case Change::ItemChanged:
        if (row == row_ && column == column_ && !editorDirty() && !loading_) {
            if (auto* v = static_cast<DataWindowView*>(widget()); v && (v->edit_->isVisible() || v->combo_->isVisible()))
                loadEditor();
        }
        break;
    }
    if (column_ == 0 && row_ > 0)
        for (int c = 1; c <= store_->columnCount() && column_ == 0; ++c)
            if (tabSequence(c) > 0) column_ = c;
    if (column_ > store_->columnCount()) column_ = 0;
    if (auto* v = static_cast<DataWindowView*>(widget())) {
        if (!redraw_) return;
        v->updateScrollBars();
        v->viewport()->update();
    }
    if (change != Change::ItemChanged) showEditor();
}

// --- Mouse -------------------------------------------------------------------------------------

DataWindowObject DataWindow::objectAt(int px, int py) const {
    DataWindowObject o;
    auto* v = static_cast<DataWindowView*>(widget());
    if (!v || showsPages()) return o;
    double z = v->zoom();
    double x = (px + v->horizontalScrollBar()->value()) / z;
    double y = (py + v->verticalScrollBar()->value()) / z;
    int header = units::toPixelsY(headerHeight());
    int rowH = std::max(1, units::toPixelsY(rowHeight()));
    const auto& cols = store_->layout().columns;
    if (y < header) {
        o.band = "header";
        for (const ColumnBox& b : columnBoxes()) {
            if (presentation_ != Presentation::Grid) break;
            if (x >= units::toPixelsX(b.x) && x < units::toPixelsX(b.x + b.w)) {
                o.type = "text";
                o.name = cols[static_cast<size_t>(b.column - 1)].name + "_t";
            }
        }
        for (const TextLayout& t : store_->layout().texts)
            if (lower(t.band) == "header" && x >= units::toPixelsX(t.x) && x < units::toPixelsX(t.x + t.width) &&
                y >= units::toPixelsY(t.y) && y < units::toPixelsY(t.y + t.height)) {
                o.type = "text";
                o.name = t.name;
            }
        return o;
    }
    long row = static_cast<long>((y - header) / rowH) + 1;
    if (row > rowCount()) return o;
    o.row = row;
    o.band = "detail";
    double inRow = y - header - (row - 1) * rowH;
    for (const ColumnBox& b : columnBoxes())
        if (x >= units::toPixelsX(b.x) && x < units::toPixelsX(b.x + b.w) && inRow >= units::toPixelsY(b.y) &&
            inRow < units::toPixelsY(b.y + b.h))
            o = columnObject(row, b.column);
    if (o.type == "datawindow")
        for (const TextLayout& t : store_->layout().texts)
            if (lower(t.band) == "detail" && x >= units::toPixelsX(t.x) && x < units::toPixelsX(t.x + t.width) &&
                inRow >= units::toPixelsY(t.y) && inRow < units::toPixelsY(t.y + t.height)) {
                o.type = "text";
                o.name = t.name;
            }
    return o;
}

DwObject DataWindow::columnObject(long row, int column) const {
    DwObject o;
    o.type = "column";
    o.name = store_->layout().columns[static_cast<size_t>(column - 1)].name;
    o.band = "detail";
    o.column = column;
    o.tabSequence = tabSequence(column);
    o.protect = toInt(columnAttributeText(row, column, "protect"), 0);
    o.row = row;
    return o;
}

void DataWindow::mouse(int kind, QPoint pos, Qt::MouseButton button) {
    Ref<DataWindow> self(this);
    clicked_ = objectAt(pos.x(), pos.y());
    DataWindowObject hit = clicked_;
    std::vector<Value> args{units::toUnitsX(pos.x()), units::toUnitsY(pos.y()), hit.row, Value(hit)};
    widget()->setFocus();
    if (button == Qt::RightButton) {
        if (kind == 0) trigger("rbuttondown", args);
        return;
    }
    if (button != Qt::LeftButton) return;
    if (kind == 1) {
        trigger("doubleclicked", args);
        return;
    }
    Value refused = trigger("clicked", args);
    if (!self || refused.toInt() == 1 || hit.row < 1) return;
    int column = hit.type == "column" ? store_->columnNumber(hit.name) : 0;
    if (column > 0 && !isEditable(hit.row, column)) column = 0;
    if (hit.row != row_ && setRow(hit.row) != 1) return;
    if (!self) return;
    if (column > 0 && column != column_) setColumn(column);
    if (!self || column <= 0) return;
    std::string style = editStyle(column);
    if (style == "checkbox" || style == "radiobuttons") {
        int cellLeft = 0;
        for (const ColumnBox& b : columnBoxes())
            if (b.column == column) cellLeft = units::toPixelsX(b.x);
        auto* v = static_cast<DataWindowView*>(widget());
        int x = static_cast<int>((pos.x() + v->horizontalScrollBar()->value()) / v->zoom()) - cellLeft;
        toggleValue(hit.row, column, x);
    }
}

// --- Describe and Modify -----------------------------------------------------------------------

std::string DataWindow::describe(std::string_view attributes) const {
    std::string a = lower(trim(attributes));
    if (a == "datawindow.print.preview") return preview_ ? "yes" : "no";
    if (a == "datawindow.print.preview.rulers") return rulers_ ? "yes" : "no";
    if (a == "datawindow.print.preview.zoom") return std::to_string(previewZoom_);
    if (a == "datawindow.print.orientation") return std::to_string(orientation_);
    if (a == "datawindow.print.copies") return std::to_string(copies_);
    if (a == "datawindow.processing") return presentation_ == Presentation::Grid ? "1" : "0";
    return store_->describe(attributes);
}

std::string DataWindow::modify(std::string_view settings) {
    std::vector<Setting> all = splitSettings(settings);
    std::string rest;
    struct Print {
        std::string name, value;
    };
    std::vector<Print> prints;
    for (const Setting& s : all) {
        if (isPrintSetting(s.name)) {
            prints.push_back({lower(s.name), lower(trim(s.value))});
        } else {
            if (!rest.empty()) rest += ' ';
            rest += s.text;
        }
    }
    auto flag = [](const std::string& v) { return v == "yes" || v == "true" || v == "1"; };
    for (const Print& p : prints) {
        int n = toInt(p.value, -1);
        if (p.name == "datawindow.print.preview" || p.name == "datawindow.print.preview.rulers") continue;
        if (p.name != "datawindow.print.preview.zoom" && p.name != "datawindow.print.orientation" &&
            p.name != "datawindow.print.copies")
            return "Unknown attribute " + p.name;
        if (n < 0 || (p.name == "datawindow.print.orientation" && n > 2) || (p.name != "datawindow.print.orientation" && n < 1))
            return "Bad value for " + p.name;
    }
    if (!rest.empty()) {
        std::string error = store_->modify(rest);
        if (!error.empty()) return error;
    }
    for (const Print& p : prints) {
        if (p.name == "datawindow.print.preview") preview_ = flag(p.value);
        else if (p.name == "datawindow.print.preview.rulers") rulers_ = flag(p.value);
        else if (p.name == "datawindow.print.preview.zoom") previewZoom_ = toInt(p.value, 100);
        else if (p.name == "datawindow.print.orientation") orientation_ = toInt(p.value, 0);
        else if (p.name == "datawindow.print.copies") copies_ = toInt(p.value, 1);
    }
    if (auto* v = static_cast<DataWindowView*>(widget())) {
        v->updateScrollBars();
        v->viewport()->update();
    }
    showEditor();
    return {};
}

}  // namespace runtime
