// The data-window control's edit field: loading, accepting and toggling values.
#include "runtime/ui/DataWindow.h"

#include "runtime/ui/detail/DataWindowView.h"
#include "runtime/services/System.h"

#include <QRegularExpressionValidator>

namespace runtime {

// --- The edit field ----------------------------------------------------------------------------

QWidget* DataWindow::editField() const {
    auto* v = static_cast<DataWindowView*>(widget());
    if (!v) return nullptr;
    return v->combo_->isVisible() ? static_cast<QWidget*>(v->combo_) : static_cast<QWidget*>(v->edit_);
}

bool DataWindow::isEditable(long row, int column) const {
    if (row < 1 || row > rowCount() || column < 1 || column > store_->columnCount()) return false;
    if (tabSequence(column) <= 0) return false;
    return toInt(columnAttributeText(row, column, "protect"), 0) == 0;
}

void DataWindow::hideEditor() {
    auto* v = static_cast<DataWindowView*>(widget());
    if (!v) return;
    bool hadFocus = v->edit_->hasFocus() || v->combo_->hasFocus();
    v->edit_->hide();
    v->combo_->hide();
    if (hadFocus) v->setFocus();
}

void DataWindow::loadEditor() {
    auto* v = static_cast<DataWindowView*>(widget());
    std::string style = editStyle(column_);
    loading_ = true;
    if (isDropDown(style)) {
        v->combo_->clear();
        // A drop-down data window also holds a value that is none of its entries (set by SetText).
        // Qt deletes the edit line of a list that stops being editable later, from the event loop,
        // and that deletion clears the focus of whatever widget the line stood for: by then the
        // list itself, as the next cell's field. Cut the line loose from the list first.
        if (style != "dddw")
            if (QLineEdit* line = v->combo_->lineEdit()) line->setFocusProxy(nullptr);
        v->combo_->setEditable(style == "dddw");
        for (const CodeEntry& e : codeEntries(column_)) {
            v->combo_->addItem(qs(e.display));
            int i = v->combo_->count() - 1;
            if (e.background >= 0) v->combo_->setItemData(i, runtimeColor(e.background), Qt::BackgroundRole);
            if (e.color >= 0) v->combo_->setItemData(i, runtimeColor(e.color), Qt::ForegroundRole);
        }
        std::string shown = displayText(row_, column_);
        v->combo_->setCurrentIndex(v->combo_->findText(qs(shown)));
        if (v->combo_->isEditable()) v->combo_->setEditText(qs(shown));
        loadedText_ = v->combo_->currentText().toStdString();
    } else {
        loadedText_ = displayText(row_, column_);
        v->edit_->setValidator(nullptr);
        std::string mask = style == "editmask" ? columnAttributeText(0, column_, "editmask.mask") : std::string();
        if (!mask.empty()) {
            bool numeric = std::all_of(mask.begin(), mask.end(), [](char c) { return c == '#' || c == '0' || c == ',' || c == '.'; });
            if (numeric) {
                int digits = static_cast<int>(std::count_if(mask.begin(), mask.end(), [](char c) { return c == '#' || c == '0'; }));
                v->edit_->setValidator(new QRegularExpressionValidator(
                    QRegularExpression(QStringLiteral("[0-9]{0,%1}").arg(digits)), v->edit_));
            }
        }
        v->edit_->setText(qs(loadedText_));
    }
    loading_ = false;
}

bool DataWindow::editorDirty() const {
    auto* v = static_cast<DataWindowView*>(widget());
    if (!v) return false;
    if (v->combo_->isVisible()) return v->combo_->currentText().toStdString() != loadedText_;
    if (v->edit_->isVisible()) return v->edit_->text().toStdString() != loadedText_;
    return false;
}

void DataWindow::showEditor(bool reload) {
    auto* v = static_cast<DataWindowView*>(widget());
    if (!v) return;
    std::string style = column_ > 0 && column_ <= store_->columnCount() ? editStyle(column_) : "";
    if (showsPages() || !isEditable(row_, column_) || style == "checkbox" || style == "radiobuttons") {
        hideEditor();
        return;
    }
    ColumnBox box{};
    bool found = false;
    for (const ColumnBox& b : columnBoxes())
        if (b.column == column_) {
            box = b;
            found = true;
        }
    if (!found) {
        hideEditor();
        return;
    }
    double z = v->zoom();
    int rowH = units::toPixelsY(rowHeight());
    QRect r(static_cast<int>(units::toPixelsX(box.x) * z) - v->horizontalScrollBar()->value(),
            static_cast<int>((units::toPixelsY(headerHeight()) + (row_ - 1) * rowH + units::toPixelsY(box.y)) * z) -
                v->verticalScrollBar()->value(),
            static_cast<int>(units::toPixelsX(box.w) * z), static_cast<int>(units::toPixelsY(box.h) * z));
    if (toInt(columnAttributeText(row_, column_, "border"), 0) != 0) r.adjust(1, 1, -1, -1);
    QWidget* editor = isDropDown(style) ? static_cast<QWidget*>(v->combo_) : static_cast<QWidget*>(v->edit_);
    QWidget* other = editor == v->edit_ ? static_cast<QWidget*>(v->combo_) : static_cast<QWidget*>(v->edit_);
    bool focus = v->hasFocus() || other->hasFocus() || editor->hasFocus();
    other->hide();
    bool wasVisible = editor->isVisible();
    editor->setGeometry(r);
    if (reload || !wasVisible || !editorDirty()) loadEditor();
    editor->show();
    if (focus) editor->setFocus();
}

std::string DataWindow::getText() const {
    auto* v = static_cast<DataWindowView*>(widget());
    if (v->combo_->isVisible()) return v->combo_->currentText().toStdString();
    if (v->edit_->isVisible()) return v->edit_->text().toStdString();
    if (row_ >= 1 && row_ <= rowCount() && column_ >= 1) return displayText(row_, column_);
    return {};
}

int DataWindow::setEditText(std::string_view text) {
    auto* v = static_cast<DataWindowView*>(widget());
    if (v->combo_->isVisible()) {
        v->combo_->setCurrentIndex(v->combo_->findText(qs(text)));
        if (v->combo_->isEditable()) v->combo_->setEditText(qs(text));
        return 1;
    }
    if (v->edit_->isVisible()) {
        v->edit_->setText(qs(text));
        return 1;
    }
    return -1;
}

std::string DataWindow::selectedText() const {
    auto* v = static_cast<DataWindowView*>(widget());
    if (v->edit_->isVisible()) return v->edit_->selectedText().toStdString();
    if (v->combo_->isVisible()) return v->combo_->currentText().toStdString();
    return {};
}

void DataWindow::cut() {
    auto* v = static_cast<DataWindowView*>(widget());
    if (!v->edit_->isVisible() || !v->edit_->hasSelectedText()) return;
    setClipboardText(v->edit_->selectedText().toStdString());
    v->edit_->del();
}

void DataWindow::copy() {
    std::string s = selectedText();
    if (!s.empty()) setClipboardText(s);
}

void DataWindow::paste() {
    auto* v = static_cast<DataWindowView*>(widget());
    if (v->edit_->isVisible()) v->edit_->insert(qs(clipboardText()));
}

int DataWindow::acceptText() {
    if (!editorDirty() || row_ < 1 || row_ > rowCount() || column_ < 1) return 1;
    std::string text = getText();
    std::string data = text;
    if (isDropDown(editStyle(column_)))
        for (const CodeEntry& e : codeEntries(column_))
            if (e.display == text) data = e.data;
    const ColumnLayout& col = store_->layout().columns[static_cast<size_t>(column_ - 1)];
    bool isText = lower(col.type).rfind("char", 0) == 0 || lower(col.type).rfind("varchar", 0) == 0;
    Value value = data.empty() && !isText ? Value() : Value(data);
    Ref<DataWindow> self(this);
    long row = row_;
    int column = column_;
    // Whether the column can take the value, tried on a scratch row of the same layout so that
    // the real row and its statuses stay as they are until itemchanged has accepted it.
    DataStore scratch(std::make_shared<const DataLayout>(store_->layout()));
    if (scratch.setItem(scratch.insertRow(0), column, value) != 1) {
        trigger("itemerror", {row, columnObject(row, column), text});
        return -1;
    }
    Value rejected = trigger("itemchanged", {row, columnObject(row, column), data});
    if (!self) return -1;
    if (rejected.toInt() == 1) return -1;
    if (row > rowCount() || store_->setItem(row, column, value) != 1) return -1;
    loadedText_ = text;
    if (auto* v = static_cast<DataWindowView*>(widget())) v->viewport()->update();
    return 1;
}

void DataWindow::toggleValue(long row, int column, int x) {
    if (!isEditable(row, column)) return;
    std::string style = editStyle(column);
    std::string data = expressionValueText(store_->getItem(row, column));
    std::string next;
    if (style == "checkbox") {
        std::string on = columnAttributeText(0, column, "checkbox.on"), off = columnAttributeText(0, column, "checkbox.off");
        if (on.empty()) on = "1";
        if (off.empty()) off = "0";
        next = data == on ? off : on;
    } else if (style == "radiobuttons") {
        auto table = codeTable(rawAttribute(column, "values"));
        if (table.empty()) return;
        if (x < 0) {
            size_t i = 0;
            while (i < table.size() && table[i].second != data) ++i;
            next = table[(i + 1) % table.size()].second;
        } else {
            // The option under the pointer (x in pixels from the cell's left).
            QFontMetrics fm(widget()->font());
            int pos = 3;
            next = table.front().second;
            for (auto& [display, value] : table) {
                int w = 12 + fm.horizontalAdvance(qs(display)) + 15;
                if (x >= pos) next = value;
                pos += w;
            }
        }
    } else {
        return;
    }
    Ref<DataWindow> self(this);
    Value rejected = trigger("itemchanged", {row, columnObject(row, column), next});
    if (!self || rejected.toInt() == 1) return;
    store_->setItem(row, column, Value(next));
}

}  // namespace runtime
