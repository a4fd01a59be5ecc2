#include "runtime/ui/ReportPainter.h"

#include "runtime/ui/Colors.h"
#include "runtime/ui/Units.h"
#include "runtime/ui/detail/UiHelpers.h"

#include <QFont>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>

#include <algorithm>

namespace runtime {
namespace {

using detail::qs;

std::string quoted(const std::string& s) {
    std::string out = "'";
    for (char c : s) out += c == '\'' ? std::string("~'") : std::string(1, c);
    return out + "'";
}

// Pixels at 96 dots per inch to the printer's device pixels.
double printerScale(const QPrinter& printer) { return printer.resolution() / 96.0; }

}  // namespace

ReportPainter::ReportPainter(const DataStore& rows) : rows_(rows) {}

int ReportPainter::bandHeight(const std::string& band) const {
    for (const BandLayout& b : rows_.layout().bands)
        if (detail::lowerAscii(b.name) == band) return units::toPixelsY(b.height);
    return 0;
}

int ReportPainter::paginate(const QPrinter& printer) {
    QRect page = printer.pageLayout().paintRectPixels(printer.resolution());
    return paginate(static_cast<int>(page.height() / printerScale(printer)));
}

int ReportPainter::paginate(int pageHeight) {
    pageHeight_ = pageHeight;
    pages_.assign(1, {});
    const int levels = rows_.groupCount();
    const long count = rows_.rowCount();
    const int body = std::max(1, pageHeight - bandHeight("header") - bandHeight("footer"));
    int y = 0;
    auto place = [&](const std::string& band, long row, bool continuesGroups) {
        int h = bandHeight(band);
        if (y > 0 && y + h > body) {
            pages_.emplace_back();
            y = 0;
            // A page that goes on with a group starts with that group's headers again.
            if (continuesGroups)
                for (int k = 1; k <= levels; ++k) {
                    std::string header = "header." + std::to_string(k);
                    pages_.back().push_back({header, row, y});
                    y += bandHeight(header);
                }
        }
        pages_.back().push_back({band, row, y});
        y += h;
    };
    // Where each group starts and ends, found group by group: asking per row would walk a large
    // group once for each of its rows.
    std::vector<std::vector<bool>> starts(static_cast<size_t>(levels) + 1), ends(starts.size());
    for (int k = 1; k <= levels; ++k) {
        starts[k].assign(static_cast<size_t>(count) + 1, false);
        ends[k].assign(static_cast<size_t>(count) + 1, false);
        for (long r = 1; r <= count;) {
            auto [first, last] = rows_.groupRows(r, k);
            starts[k][static_cast<size_t>(first)] = true;
            ends[k][static_cast<size_t>(last)] = true;
            r = std::max(last, r) + 1;
        }
    }
    for (long r = 1; r <= count; ++r) {
        for (int k = 1; k <= levels; ++k)
            if (starts[k][static_cast<size_t>(r)]) place("header." + std::to_string(k), r, false);
        place("detail", r, true);
        for (int k = levels; k >= 1; --k)
            if (ends[k][static_cast<size_t>(r)]) place("trailer." + std::to_string(k), r, true);
    }
    if (bandHeight("summary") > 0) place("summary", count, false);
    return pageCount();
}

std::string ReportPainter::objectText(const ReportObject& o, long row, int page) const {
    if (o.kind == ReportObject::Kind::Text) return o.text;
    std::string text = o.text;
    if (!o.format.empty()) text = "string(" + text + ", " + quoted(o.format) + ")";
    Expression e = rows_.compile(text);
    if (!e.valid()) return "!";
    return expressionValueText(rows_.evaluate(e, row, page, pageCount()));
}

void ReportPainter::paintBand(QPainter& p, const std::string& band, long row, int top, int page) const {
    for (const ReportObject& o : rows_.layout().objects) {
        if (detail::lowerAscii(o.band) != band) continue;
        if (!o.visible.empty()) {
            Expression v = rows_.compile(o.visible);
            if (v.valid() && !rows_.evaluate(v, row, page, pageCount()).toBool()) continue;
        }
        QRect r(units::toPixelsX(o.x), top + units::toPixelsY(o.y), units::toPixelsX(o.width),
                units::toPixelsY(o.height));
        p.setPen(Qt::black);
        switch (o.kind) {
            case ReportObject::Kind::Line:
                p.drawLine(r.topLeft(), QPoint(r.left() + r.width(), r.top() + r.height()));
                continue;
            case ReportObject::Kind::Rectangle:
                p.drawRect(r);
                continue;
            default:
                break;
        }
        QFont font(qs(o.font));
        font.setPixelSize(std::max(1, o.fontSize * 96 / 72));  // the painter works at 96 dots per inch
        font.setBold(o.bold);
        p.setFont(font);
        if (o.border) p.drawRect(r);
        int align = Qt::AlignVCenter | (o.align == ReportObject::Align::Right    ? Qt::AlignRight
                                        : o.align == ReportObject::Align::Center ? Qt::AlignHCenter
                                                                                 : Qt::AlignLeft);
        p.drawText(r, align, qs(objectText(o, row, page)));
    }
}

void ReportPainter::paintPage(QPainter& p, int page) const {
    if (page < 1 || page > pageCount()) return;
    const auto& placed = pages_[static_cast<size_t>(page - 1)];
    long first = placed.empty() ? (rows_.rowCount() > 0 ? 1 : 0) : placed.front().row;
    int header = bandHeight("header");
    paintBand(p, "header", first, 0, page);
    for (const Placed& item : placed) paintBand(p, item.band, item.row, header + item.y, page);
    long last = placed.empty() ? first : placed.back().row;
    paintBand(p, "footer", last, pageHeight_ - bandHeight("footer"), page);
}

void ReportPainter::paintPage(QPainter& p, const QPrinter& printer, int page) const {
    p.save();
    double s = printerScale(printer);
    p.scale(s, s);
    paintPage(p, page);
    p.restore();
}

}  // namespace runtime
