#pragma once
// Lays a report layout's bands out over pages and draws them: the header band at the top of
// every page, group headers where a group starts (repeated at the top of a page that continues
// a group), detail rows, group trailers where a group ends, the summary after the last row and
// the footer at the bottom of every page. page() and pagecount() answer the page being drawn.
#include "runtime/data/DataStore.h"

#include <string>
#include <vector>

class QPainter;
class QPrinter;

namespace runtime {

class ReportPainter {
public:
    explicit ReportPainter(const DataStore& rows);

    // Lays the rows out over pages `pageHeight` pixels (at 96 dots per inch) high; answers the
    // number of pages (at least 1).
    int paginate(int pageHeight);
    // The same for the printer's page.
    int paginate(const QPrinter& printer);
    int pageCount() const { return static_cast<int>(pages_.size()); }

    // Draws page `page` (1-based) in pixels at 96 dots per inch from the painter's origin.
    void paintPage(QPainter& painter, int page) const;
    // Draws it on the printer's page, scaled to the printer's resolution.
    void paintPage(QPainter& painter, const QPrinter& printer, int page) const;

    // The text an object shows on a row of a page (for tests and the preview).
    std::string objectText(const ReportObject& object, long row, int page) const;

private:
    struct Placed {
        std::string band;
        long row;
        int y;  // pixels from the top of the page's body
    };
    int bandHeight(const std::string& band) const;  // pixels
    void paintBand(QPainter& painter, const std::string& band, long row, int top, int page) const;

    const DataStore& rows_;
    int pageHeight_ = 0;
    std::vector<std::vector<Placed>> pages_;
};

}  // namespace runtime
