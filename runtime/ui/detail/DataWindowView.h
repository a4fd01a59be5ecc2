#pragma once
// The data-window control's Qt side and the helpers its source files share; not for users of
// the control.
#include "runtime/ui/DataWindow.h"
#include "runtime/ui/detail/UiHelpers.h"

#include "runtime/ui/Colors.h"
#include "runtime/ui/ReportPainter.h"
#include "runtime/ui/Units.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <QScrollBar>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace runtime {
namespace dwdetail {

using detail::qs;

inline std::string lower(std::string_view s) { return detail::lowerAscii(s); }

inline std::string trim(std::string_view s) { return detail::trimmed(s); }

inline int toInt(std::string_view s, int fallback) {
    std::string t = trim(s);
    int v = 0;
    auto [p, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
    return ec == std::errc() && p == t.data() + t.size() && !t.empty() ? v : fallback;
}

inline QColor runtimeColor(long c) { return toQColor(c); }

// "Display\tdata/Display\tdata/" of drop-down and radio-button columns.
inline std::vector<std::pair<std::string, std::string>> codeTable(std::string_view values) {
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

// The printer's own orientation, before a data window set one.
QPageLayout::Orientation defaultPrintOrientation();

}  // namespace dwdetail
using namespace dwdetail;

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
        if (o->showsPages()) {
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
            else l.setOrientation(defaultPrintOrientation());
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
        if (o->showsPages()) {
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
        std::optional<ReportPainter> report;
        if (o.isReport()) {
            report.emplace(o.store());
            pages_ = report->paginate(pr);
            pages.assign(static_cast<size_t>(pages_), {0, 0});
        } else {
            pages_ = o.layoutPages(pr, pages);
        }
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
            if (report) {
                report->paintPage(p, static_cast<int>(i) + 1);
                p.restore();
                continue;
            }
            o.paintHeader(p, 1);
            p.translate(0, units::toPixelsY(o.headerHeight()));
            if (pages[i].first <= pages[i].second)
                o.paintRows(p, pages[i].first, pages[i].second, 1,
                            static_cast<int>((pages[i].first - 1) * units::toPixelsY(o.rowHeight())), false);
            p.restore();
        }
        if (o.preview_ && o.rulers_) {
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
    // The control given the focus (by a script, a click or Tab) passes it on to the current cell's
    // field, so what the user types next goes into that cell.
    void focusInEvent(QFocusEvent* e) override {
        QAbstractScrollArea::focusInEvent(e);
        if (edit_->isVisible()) edit_->setFocus(e->reason());
        else if (combo_->isVisible()) combo_->setFocus(e->reason());
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

}  // namespace runtime
