#include "runtime/ui/DataWindow.h"
#include "runtime/ui/detail/UiHelpers.h"

#include "runtime/services/System.h"
#include "runtime/ui/Units.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPageLayout>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressDialog>
#include <QRegularExpressionValidator>
#include <QScrollBar>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>

namespace runtime {
namespace {

using detail::qs;

std::string lower(std::string_view s) { return detail::lowerAscii(s); }

std::string trim(std::string_view s) { return detail::trimmed(s); }

int toInt(std::string_view s, int fallback) {
    std::string t = trim(s);
    int v = 0;
    auto [p, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
    return ec == std::errc() && p == t.data() + t.size() && !t.empty() ? v : fallback;
}

QColor runtimeColor(long c) { return QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF), static_cast<int>((c >> 16) & 0xFF)); }

// "Display\tdata/Display\tdata/" of drop-down and radio-button columns.
std::vector<std::pair<std::string, std::string>> codeTable(std::string_view values) {
    std::vector<std::pair<std::string, std::string>> out;
    size_t pos = 0;
    while (pos < values.size()) {
        size_t end = values.find('/', pos);
        std::string_view entry = values.substr(pos, end == std::string_view::npos ? std::string_view::npos : end - pos);
        if (!entry.empty()) {
            size_t tab = entry.find('\t');
            std::string display(entry.substr(0, tab));
            std::string data = tab == std::string_view::npos ? display : std::string(entry.substr(tab + 1));
            out.emplace_back(display, data);
        }
        if (end == std::string_view::npos) break;
        pos = end + 1;
    }
    return out;
}

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

struct PrinterState {
    std::unique_ptr<QPrinter> printer;
    std::function<int(QPrinter&)> setupHandler;
    QPageLayout::Orientation defaultOrientation = QPageLayout::Portrait;
};

PrinterState& printerState() {
    static PrinterState s;
    return s;
}

}  // namespace

// The Qt side: draws the rows (or the pages of the print preview) and carries the edit field.
class DataWindowView : public QAbstractScrollArea {
public:
    explicit DataWindowView(DataWindow* owner) : owner_(owner) {
        edit_ = new QLineEdit(viewport());
        edit_->setObjectName("editfield");
        edit_->setFrame(false);
        edit_->hide();
        combo_ = new QComboBox(viewport());
        combo_->setObjectName("editlist");
        combo_->hide();
        setFocusPolicy(Qt::StrongFocus);
        viewport()->setMouseTracking(true);
        edit_->installEventFilter(this);
        combo_->installEventFilter(this);
    }
    QLineEdit* edit_;
    QComboBox* combo_;
    double zoom() const {
        DataWindow* o = owner_.get();
        return o ? std::max(1, o->store().layout().zoom) / 100.0 : 1.0;
    }
    void updateScrollBars() {
        DataWindow* o = owner_.get();
        if (!o) return;
        int h, w;
        if (o->preview_) {
            QSizeF page = pageSize();
            double z = o->previewZoom_ / 100.0;
            h = static_cast<int>((page.height() * z + kGap) * std::max(1, pages_) + kGap + kRuler);
            w = static_cast<int>(page.width() * z + 2 * kGap + kRuler);
        } else {
            double z = zoom();
            h = static_cast<int>((units::toPixelsY(o->headerHeight()) + o->rowCount() * units::toPixelsY(o->rowHeight())) * z);
            w = static_cast<int>(units::toPixelsX(o->contentWidth()) * z);
        }
        verticalScrollBar()->setRange(0, std::max(0, h - viewport()->height()));
        verticalScrollBar()->setPageStep(viewport()->height());
        horizontalScrollBar()->setRange(0, std::max(0, w - viewport()->width()));
        horizontalScrollBar()->setPageStep(viewport()->width());
    }
    QSizeF pageSize() const {
        QPageLayout l = DataWindow::printer().pageLayout();
        if (DataWindow* o = owner_.get()) {
            if (o->orientation_ == 1) l.setOrientation(QPageLayout::Landscape);
            else if (o->orientation_ == 2) l.setOrientation(QPageLayout::Portrait);
            else l.setOrientation(printerState().defaultOrientation);
        }
        return l.fullRectPixels(96).size();
    }
    int pages_ = 1;
    static constexpr int kGap = 16;
    static constexpr int kRuler = 20;

protected:
    void paintEvent(QPaintEvent*) override {
        DataWindow* o = owner_.get();
        if (!o) return;
        QPainter p(viewport());
        if (o->preview_) {
            paintPreview(p, *o);
            return;
        }
        p.fillRect(viewport()->rect(), Qt::white);
        double z = zoom();
        p.translate(-horizontalScrollBar()->value(), 0);
        p.scale(z, z);
        int header = units::toPixelsY(o->headerHeight());
        int rowH = std::max(1, units::toPixelsY(o->rowHeight()));
        double top = verticalScrollBar()->value() / z;
        long first = std::max(1L, static_cast<long>(top / rowH) + 1);
        long last = std::min(o->rowCount(), first + static_cast<long>(viewport()->height() / z / rowH) + 1);
        p.save();
        p.translate(0, header - top);
        if (first <= last) o->paintRows(p, first, last, z, static_cast<int>((first - 1) * rowH), true);
        p.restore();
        p.fillRect(QRectF(0, 0, units::toPixelsX(o->contentWidth()) + viewport()->width() / z, header),
                   QColor(0xF0, 0xF0, 0xF0));
        o->paintHeader(p, z);
    }
    void paintPreview(QPainter& p, DataWindow& o) {
        p.fillRect(viewport()->rect(), QColor(0x80, 0x80, 0x80));
        std::vector<std::pair<long, long>> pages;
        QPrinter& pr = DataWindow::printer();
        o.preparePrinter(pr);
        pages_ = o.layoutPages(pr, pages);
        QSizeF page = pageSize();
        double z = o.previewZoom_ / 100.0;
        int dx = -horizontalScrollBar()->value(), dy = -verticalScrollBar()->value();
        int left = kRuler + kGap, top = kRuler + kGap;
        QRectF paint = pr.pageLayout().paintRectPixels(96);
        for (size_t i = 0; i < pages.size(); ++i) {
            QRectF r(left + dx, top + dy + i * (page.height() * z + kGap), page.width() * z, page.height() * z);
            if (r.bottom() < 0 || r.top() > viewport()->height()) continue;
            p.fillRect(r, Qt::white);
            p.setPen(Qt::black);
            p.drawRect(r);
            p.save();
            p.translate(r.topLeft());
            p.scale(z, z);
            p.translate(paint.topLeft());
            o.paintHeader(p, 1);
            p.translate(0, units::toPixelsY(o.headerHeight()));
            if (pages[i].first <= pages[i].second)
                o.paintRows(p, pages[i].first, pages[i].second, 1,
                            static_cast<int>((pages[i].first - 1) * units::toPixelsY(o.rowHeight())), false);
            p.restore();
        }
        if (o.rulers_) {
            // Inch rulers along the top and the left, following the zoom.
            QColor face(0xF0, 0xF0, 0xF0);
            p.fillRect(QRect(0, 0, viewport()->width(), kRuler), face);
            p.fillRect(QRect(0, 0, kRuler, viewport()->height()), face);
            p.setPen(Qt::black);
            double step = 96 * z / 8;
            for (int t = 0; left + dx + t * step < viewport()->width(); ++t) {
                int x = static_cast<int>(left + dx + t * step);
                int len = t % 8 == 0 ? kRuler - 4 : t % 4 == 0 ? 10 : 5;
                p.drawLine(x, kRuler - len, x, kRuler);
                if (t % 8 == 0) p.drawText(x + 2, 10, QString::number(t / 8));
            }
            for (int t = 0; top + dy + t * step < viewport()->height(); ++t) {
                int y = static_cast<int>(top + dy + t * step);
                if (y < kRuler) continue;
                int len = t % 8 == 0 ? kRuler - 4 : t % 4 == 0 ? 10 : 5;
                p.drawLine(kRuler - len, y, kRuler, y);
            }
            p.drawLine(kRuler, kRuler, viewport()->width(), kRuler);
            p.drawLine(kRuler, kRuler, kRuler, viewport()->height());
        }
    }
    void resizeEvent(QResizeEvent* e) override {
        QAbstractScrollArea::resizeEvent(e);
        updateScrollBars();
        if (DataWindow* o = owner_.get()) o->showEditor();
    }
    void scrollContentsBy(int, int) override {
        viewport()->update();
        if (DataWindow* o = owner_.get()) o->showEditor();
    }
    void mousePressEvent(QMouseEvent* e) override {
        if (DataWindow* o = owner_.get()) o->mouse(0, e->position().toPoint(), e->button());
    }
    void mouseDoubleClickEvent(QMouseEvent* e) override {
        if (DataWindow* o = owner_.get()) o->mouse(1, e->position().toPoint(), e->button());
    }
    void keyPressEvent(QKeyEvent* e) override {
        if (!navigate(e)) QAbstractScrollArea::keyPressEvent(e);
    }
    bool eventFilter(QObject* watched, QEvent* e) override {
        if (e->type() == QEvent::KeyPress && (watched == edit_ || watched == combo_))
            return navigate(static_cast<QKeyEvent*>(e));
        if (e->type() == QEvent::Paint && (watched == edit_ || watched == combo_) && !inPaintEvent_) {
            // Raised before the field draws itself, so a script can read the selection it shows;
            // a repaint the script itself causes does not raise it again.
            if (DataWindow* o = owner_.get()) {
                inPaintEvent_ = true;
                struct Reset {
                    bool& flag;
                    ~Reset() { flag = false; }
                } reset{inPaintEvent_};
                o->trigger("editpainted");
            }
        }
        return QAbstractScrollArea::eventFilter(watched, e);
    }
    bool navigate(QKeyEvent* e) {
        DataWindow* o = owner_.get();
        if (!o) return false;
        switch (e->key()) {
        case Qt::Key_Up:
        case Qt::Key_Down: {
            long target = o->row_ + (e->key() == Qt::Key_Up ? -1 : 1);
            if (target >= 1 && target <= o->rowCount()) o->scrollToRow(target);
            return true;
        }
        case Qt::Key_Tab:
        case Qt::Key_Backtab: {
            // The next column by tab order that can take focus.
            std::vector<std::pair<int, int>> order;
            for (int c = 1; c <= o->store().columnCount(); ++c)
                if (o->tabSequence(c) > 0) order.emplace_back(o->tabSequence(c), c);
            std::stable_sort(order.begin(), order.end());
            if (order.empty()) return false;
            auto it = std::find_if(order.begin(), order.end(), [o](auto& p) { return p.second == o->column_; });
            long i = it == order.end() ? -1 : it - order.begin();
            i = e->key() == Qt::Key_Tab ? (i + 1) % static_cast<long>(order.size())
                                        : (i <= 0 ? static_cast<long>(order.size()) - 1 : i - 1);
            o->setColumn(order[static_cast<size_t>(i)].second);
            return true;
        }
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (o->editorDirty()) {
                o->acceptText();
                return true;
            }
            return false;
        case Qt::Key_Space:
            if (QApplication::focusWidget() == this && o->row_ > 0 && o->column_ > 0) {
                o->toggleValue(o->row_, o->column_, -1);
                return true;
            }
            return false;
        default:
            return false;
        }
    }

private:
    Ref<DataWindow> owner_;
    bool inPaintEvent_ = false;
};

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
    std::string style = lower(it != c.attributes.end() ? it->second : c.editStyle);
    if (style == "dropdownlist" || style == "dddw" || style == "dropdownlistbox") style = "ddlb";
    if (style == "radio" || style == "radiobutton") style = "radiobuttons";
    return style.empty() ? "edit" : style;
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
    for (const TextLayout& t : store_->layout().texts) w = std::max(w, t.x + t.width);
    return w;
}

std::string DataWindow::displayText(long row, int column) const {
    std::string data = expressionValueText(store_->getItem(row, column));
    std::string style = editStyle(column);
    if (style == "ddlb" || style == "radiobuttons") {
        for (auto& [display, value] : codeTable(rawAttribute(column, "values")))
            if (value == data) return display;
    }
    return data;
}

// --- Painting ----------------------------------------------------------------------------------

void DataWindow::paintHeader(QPainter& p, double) const {
    p.save();
    p.setPen(Qt::black);
    QFont f = p.font();
    f.setBold(true);
    p.setFont(f);
    const auto& cols = store_->layout().columns;
    if (presentation_ == Presentation::Grid) {
        int h = units::toPixelsY(headerHeight());
        for (const ColumnBox& b : columnBoxes()) {
            std::string name = cols[static_cast<size_t>(b.column - 1)].name;
            std::string heading = name;
            for (const TextLayout& t : store_->layout().texts)
                if (lower(t.name) == lower(name) + "_t") heading = t.text;
            QRect r(units::toPixelsX(b.x), 0, units::toPixelsX(b.w), h);
            p.drawText(r.adjusted(3, 0, -3, 0), Qt::AlignVCenter | Qt::AlignLeft, qs(heading));
            p.setPen(QColor(0xC0, 0xC0, 0xC0));
            p.drawLine(r.topRight(), r.bottomRight());
            p.drawLine(r.bottomLeft(), r.bottomRight());
            p.setPen(Qt::black);
        }
    }
    f.setBold(false);
    p.setFont(f);
    for (const TextLayout& t : store_->layout().texts) {
        if (lower(t.band) != "header") continue;
        bool heading = false;
        for (const ColumnLayout& c : cols)
            if (lower(t.name) == lower(c.name) + "_t") heading = true;
        if (heading && presentation_ == Presentation::Grid) continue;
        p.drawText(QRect(units::toPixelsX(t.x), units::toPixelsY(t.y), units::toPixelsX(t.width), units::toPixelsY(t.height)),
                   Qt::AlignVCenter | Qt::AlignLeft, qs(t.text));
    }
    p.restore();
}

void DataWindow::paintRows(QPainter& p, long first, long last, double, int topY, bool selection) const {
    int rowH = units::toPixelsY(rowHeight());
    std::vector<ColumnBox> boxes = columnBoxes();
    int width = units::toPixelsX(contentWidth());
    for (long row = first; row <= last; ++row) {
        int y = static_cast<int>((row - 1) * rowH) - topY + topY;
        QRect rowRect(0, y, width, rowH);
        bool sel = selection && isSelected(row);
        if (sel) p.fillRect(rowRect, QColor(0x33, 0x66, 0xCC));
        for (const TextLayout& t : store_->layout().texts) {
            if (lower(t.band) != "detail") continue;
            p.setPen(Qt::black);
            p.drawText(QRect(units::toPixelsX(t.x), y + units::toPixelsY(t.y), units::toPixelsX(t.width), units::toPixelsY(t.height)),
                       Qt::AlignVCenter | Qt::AlignLeft, qs(t.text));
        }
        for (const ColumnBox& b : boxes) {
            QRect r(units::toPixelsX(b.x), y + units::toPixelsY(b.y), units::toPixelsX(b.w), units::toPixelsY(b.h));
            std::string bg = columnAttributeText(row, b.column, "background.color");
            if (!sel && !bg.empty() && bg != "16777215") p.fillRect(r, runtimeColor(toInt(bg, 16777215)));
            long fg = toInt(columnAttributeText(row, b.column, "color"), 0);
            p.setPen(sel ? QColor(Qt::white) : runtimeColor(fg));
            std::string style = editStyle(b.column);
            std::string data = expressionValueText(store_->getItem(row, b.column));
            if (style == "checkbox") {
                std::string on = columnAttributeText(0, b.column, "checkbox.on");
                if (on.empty()) on = "1";
                int s = std::min(r.height() - 4, 12);
                QRect box(r.left() + 3, r.top() + (r.height() - s) / 2, s, s);
                p.drawRect(box);
                if (data == on) {
                    p.drawLine(box.topLeft() + QPoint(2, s / 2), box.bottomLeft() + QPoint(s / 2, -2));
                    p.drawLine(box.bottomLeft() + QPoint(s / 2, -2), box.topRight() + QPoint(-2, 2));
                }
            } else if (style == "radiobuttons") {
                int x = r.left() + 3;
                for (auto& [display, value] : codeTable(rawAttribute(b.column, "values"))) {
                    int s = std::min(r.height() - 4, 12);
                    QRect c(x, r.top() + (r.height() - s) / 2, s, s);
                    p.drawEllipse(c);
                    if (value == data) p.drawEllipse(c.adjusted(3, 3, -3, -3));
                    int tw = p.fontMetrics().horizontalAdvance(qs(display));
                    p.drawText(QRect(x + s + 3, r.top(), tw + 2, r.height()), Qt::AlignVCenter, qs(display));
                    x += s + tw + 12;
                }
            } else {
                Qt::Alignment align = store_->getItem(row, b.column).isNumber() ? Qt::AlignRight : Qt::AlignLeft;
                p.drawText(r.adjusted(3, 0, -3, 0), Qt::AlignVCenter | align, qs(displayText(row, b.column)));
            }
            if (presentation_ == Presentation::Grid) {
                p.setPen(QColor(0xE0, 0xE0, 0xE0));
                p.drawLine(r.topRight(), r.bottomRight());
            }
        }
        if (presentation_ == Presentation::Grid) {
            p.setPen(QColor(0xE0, 0xE0, 0xE0));
            p.drawLine(rowRect.bottomLeft(), rowRect.bottomRight());
        }
    }
}

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
    if (style == "ddlb") {
        v->combo_->clear();
        for (auto& [display, value] : codeTable(rawAttribute(column_, "values"))) v->combo_->addItem(qs(display));
        v->combo_->setCurrentIndex(v->combo_->findText(qs(displayText(row_, column_))));
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

void DataWindow::showEditor() {
    auto* v = static_cast<DataWindowView*>(widget());
    if (!v) return;
    std::string style = column_ > 0 && column_ <= store_->columnCount() ? editStyle(column_) : "";
    if (preview_ || !isEditable(row_, column_) || style == "checkbox" || style == "radiobuttons") {
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
    QWidget* editor = style == "ddlb" ? static_cast<QWidget*>(v->combo_) : static_cast<QWidget*>(v->edit_);
    QWidget* other = editor == v->edit_ ? static_cast<QWidget*>(v->combo_) : static_cast<QWidget*>(v->edit_);
    bool focus = v->hasFocus() || other->hasFocus() || editor->hasFocus();
    other->hide();
    bool wasVisible = editor->isVisible();
    editor->setGeometry(r);
    if (!wasVisible || !editorDirty()) loadEditor();
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
    if (editStyle(column_) == "ddlb")
        for (auto& [display, value] : codeTable(rawAttribute(column_, "values")))
            if (display == text) data = value;
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
    showEditor();
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
    showEditor();
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
    if (!v || preview_) return o;
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

// --- Printing ----------------------------------------------------------------------------------

QPrinter& DataWindow::printer() {
    PrinterState& s = printerState();
    if (!s.printer) {
        s.printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        s.defaultOrientation = s.printer->pageLayout().orientation();
    }
    return *s.printer;
}

void DataWindow::setPrintSetupHandler(std::function<int(QPrinter&)> handler) {
    printerState().setupHandler = std::move(handler);
}

int DataWindow::printSetup() {
    int r;
    if (auto handler = printerState().setupHandler) {
        r = handler(printer());
    } else {
        QPrintDialog dialog(&printer(), QApplication::activeWindow());
        r = dialog.exec() == QDialog::Accepted ? 1 : -1;
    }
    printerState().defaultOrientation = printer().pageLayout().orientation();
    return r;
}

void DataWindow::preparePrinter(QPrinter& pr) const {
    if (orientation_ == 1)
        pr.setPageOrientation(QPageLayout::Landscape);
    else if (orientation_ == 2)
        pr.setPageOrientation(QPageLayout::Portrait);
    else
        pr.setPageOrientation(printerState().defaultOrientation);
}

int DataWindow::layoutPages(QPrinter& pr, std::vector<std::pair<long, long>>& pages) {
    pages.clear();
    double height = pr.pageLayout().paintRectPixels(96).height();
    int header = units::toPixelsY(headerHeight());
    int rowH = std::max(1, units::toPixelsY(rowHeight()));
    long perPage = std::max(1L, static_cast<long>((height - header) / rowH));
    long count = rowCount();
    for (long first = 1; first <= count; first += perPage) pages.emplace_back(first, std::min(count, first + perPage - 1));
    if (pages.empty()) pages.emplace_back(1, 0);
    return static_cast<int>(pages.size());
}

int DataWindow::pageCount() {
    std::vector<std::pair<long, long>> pages;
    QPrinter& pr = printer();
    preparePrinter(pr);
    return layoutPages(pr, pages);
}

void DataWindow::renderPage(QPainter& p, QPrinter& pr, long first, long last) {
    p.save();
    double sx = pr.resolution() / 96.0;
    p.scale(sx, sx);
    paintHeader(p, 1);
    p.translate(0, units::toPixelsY(headerHeight()));
    if (first <= last) paintRows(p, first, last, 1, static_cast<int>((first - 1) * units::toPixelsY(rowHeight())), false);
    p.restore();
}

int DataWindow::print(bool showCancelDialog) {
    if (editorDirty() && acceptText() != 1) return -1;
    QPrinter& pr = printer();
    preparePrinter(pr);
    std::vector<std::pair<long, long>> pages;
    layoutPages(pr, pages);
    // PDF output and printers that cannot make copies get each copy drawn.
    bool ownCopies = pr.outputFormat() == QPrinter::PdfFormat || !pr.supportsMultipleCopies();
    pr.setCopyCount(ownCopies ? 1 : copies_);
    int passes = ownCopies ? std::max(1, copies_) : 1;
    std::unique_ptr<QProgressDialog> progress;
    if (showCancelDialog && QApplication::instance()) {
        progress = std::make_unique<QProgressDialog>(QStringLiteral("Printing..."), QStringLiteral("Cancel"), 0,
                                                     passes * static_cast<int>(pages.size()));
        progress->setWindowModality(Qt::ApplicationModal);
        progress->setMinimumDuration(0);
    }
    QPainter painter;
    if (!painter.begin(&pr)) return -1;
    int done = 0;
    for (int copy = 0; copy < passes; ++copy) {
        for (size_t i = 0; i < pages.size(); ++i) {
            if (done > 0) pr.newPage();
            renderPage(painter, pr, pages[i].first, pages[i].second);
            ++done;
            if (progress) {
                progress->setValue(done);
                QCoreApplication::processEvents();
                if (progress->wasCanceled()) {
                    pr.abort();
                    painter.end();
                    return -1;
                }
            }
        }
    }
    return painter.end() ? 1 : -1;
}

}  // namespace runtime
