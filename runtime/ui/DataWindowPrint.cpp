// The data-window control's drawing and printing.
#include "runtime/ui/DataWindow.h"

#include "runtime/core/EventQueue.h"
#include "runtime/ui/ReportPainter.h"
#include "runtime/ui/detail/DataWindowView.h"

#include <QPageLayout>
#include <QPrintDialog>
#include <QProgressDialog>

#include <cmath>
#include <functional>
#include <memory>
#include <optional>

namespace runtime {
namespace {

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

QPageLayout::Orientation dwdetail::defaultPrintOrientation() { return printerState().defaultOrientation; }

// --- Painting ----------------------------------------------------------------------------------

void DataWindow::paintText(QPainter& p, const TextLayout& t, int top) const {
    const auto& styles = store_->layout().textStyles;
    auto it = styles.find(lower(t.name));
    QRect r(units::toPixelsX(t.x), top + units::toPixelsY(t.y), units::toPixelsX(t.width),
            units::toPixelsY(t.height));
    if (it == styles.end()) {
        p.drawText(r, Qt::AlignVCenter | Qt::AlignLeft, qs(t.text));
        return;
    }
    const TextStyle& st = it->second;
    if (!st.visible) return;
    p.save();
    if (st.background >= 0) p.fillRect(r, runtimeColor(st.background));
    QFont f = p.font();
    if (!st.fontFace.empty()) f.setFamily(qs(st.fontFace));
    if (st.fontSize > 0) f.setPointSize(st.fontSize);
    if (st.fontSize < 0) f.setPixelSize(-st.fontSize);
    f.setBold(st.bold);
    f.setItalic(st.italic);
    f.setUnderline(st.underline);
    p.setFont(f);
    if (st.border) {
        p.setPen(QColor(0x80, 0x80, 0x80));
        p.drawRect(r.adjusted(0, 0, -1, -1));
    }
    p.setPen(runtimeColor(st.color));
    const Qt::Alignment h = st.centered ? Qt::AlignHCenter : Qt::AlignLeft;
    if (st.wrap)
        p.drawText(r, Qt::AlignTop | h | Qt::TextWordWrap, qs(t.text));
    else
        p.drawText(r, (st.top ? Qt::AlignTop : Qt::AlignVCenter) | h | Qt::TextDontClip, qs(t.text));
    p.restore();
}

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
        paintText(p, t, 0);
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
            paintText(p, t, y);
        }
        for (const ColumnBox& b : boxes) {
            QRect r(units::toPixelsX(b.x), y + units::toPixelsY(b.y), units::toPixelsX(b.w), units::toPixelsY(b.h));
            std::string bg = columnAttributeText(row, b.column, "background.color");
            if (!sel && !bg.empty() && bg != "16777215") p.fillRect(r, runtimeColor(toInt(bg, 16777215)));
            // A bordered column looks like a text field whether it holds text or not; the edit field
            // that takes over the cell sits inside this line.
            if (toInt(columnAttributeText(row, b.column, "border"), 0) != 0) {
                p.setPen(QColor(0x80, 0x80, 0x80));
                p.drawRect(r.adjusted(0, 0, -1, -1));
            }
            long fg = toInt(columnAttributeText(row, b.column, "color"), 0);
            p.setPen(sel ? QColor(Qt::white) : runtimeColor(fg));
            std::string style = editStyle(b.column);
            std::string data = expressionValueText(store_->getItem(row, b.column));
            if (style == "checkbox") {
                std::string on = columnAttributeText(0, b.column, "checkbox.on");
                if (on.empty()) on = std::string(1, '1');  // not a literal: gcc 12 warns falsely on it here
                int s = std::min(r.height() - 4, 12);
                QRect box(r.left() + 3, r.top() + (r.height() - s) / 2, s, s);
                p.drawRect(box);
                if (data == on) {
                    p.drawLine(box.topLeft() + QPoint(2, s / 2), box.bottomLeft() + QPoint(s / 2, -2));
                    p.drawLine(box.bottomLeft() + QPoint(s / 2, -2), box.topRight() + QPoint(-2, 2));
                }
                // The box's own text ("checkbox.text") stands to its right.
                std::string text = rawAttribute(b.column, "checkbox.text");
                if (!text.empty())
                    p.drawText(QRect(box.right() + 5, r.top(), std::max(0, r.right() - box.right() - 5), r.height()),
                               Qt::AlignVCenter | Qt::AlignLeft, qs(text));
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
                // A number shown through a drop-down's code table is a name: it reads from the left.
                Qt::Alignment align = store_->getItem(row, b.column).isNumber() && !isDropDown(style)
                                          ? Qt::AlignRight
                                          : Qt::AlignLeft;
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
    if (isReport()) return ReportPainter(*store_).paginate(pr);
    return layoutPages(pr, pages);
}

void DataWindow::renderPage(QPainter& p, QPrinter& pr, long first, long last) {
    p.save();
    double sx = pr.resolution() / 96.0;
    p.scale(sx, sx);
    paintHeader(p, 1);
    // Rows are drawn where they stand in the whole list: move this page's first row to the top.
    int topY = static_cast<int>((first - 1) * units::toPixelsY(rowHeight()));
    p.translate(0, units::toPixelsY(headerHeight()) - topY);
    if (first <= last) paintRows(p, first, last, 1, topY, false);
    p.restore();
}

int DataWindow::print(bool showCancelDialog) {
    if (editorDirty() && acceptText() != 1) return -1;
    QPrinter& pr = printer();
    preparePrinter(pr);
    std::vector<std::pair<long, long>> pages;
    std::optional<ReportPainter> report;
    if (isReport()) {
        report.emplace(*store_);
        pages.assign(static_cast<size_t>(report->paginate(pr)), {0, 0});
    } else {
        layoutPages(pr, pages);
    }
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
    // The cancel dialog lets the toolkit's events through; the program's queued events (a
    // close of the window that holds this data window) wait until the print is done.
    EventQueue::Hold hold;
    QPainter painter;
    if (!painter.begin(&pr)) return -1;
    int done = 0;
    for (int copy = 0; copy < passes; ++copy) {
        for (size_t i = 0; i < pages.size(); ++i) {
            if (done > 0) pr.newPage();
            if (report) report->paintPage(painter, pr, static_cast<int>(i) + 1);
            else renderPage(painter, pr, pages[i].first, pages[i].second);
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
