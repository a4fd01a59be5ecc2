// The font entries: the families Qt knows stand for the fonts of the system; a scalable family
// counts as TrueType.
#include "libraries/support/support.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QStringList>

#include <algorithm>
#include <cstdint>

#include <utility>
#include <vector>

namespace pakomo {
namespace {

// The list EnumerateFonts collected, kept until FreeFonts.
std::vector<std::pair<std::string, bool>>& collectedFonts() {
    static std::vector<std::pair<std::string, bool>> fonts;
    return fonts;
}

}  // namespace

int16_t EnumerateFonts(long) {
    auto& fonts = collectedFonts();
    fonts.clear();
    for (const QString& family : QFontDatabase::families())
        fonts.emplace_back(family.toStdString(), QFontDatabase::isScalable(family));
    return static_cast<int16_t>(std::min<size_t>(fonts.size(), INT16_MAX));
}

void GetFont(uint16_t num, std::string& facename, bool& truetype) {
    const auto& fonts = collectedFonts();
    if (num >= fonts.size()) {
        facename.clear();
        truetype = false;
        return;
    }
    facename = fonts[num].first;
    truetype = fonts[num].second;
}

void FreeFonts() { collectedFonts().clear(); }

bool GetTextDimensions(std::string& text, std::string& facename, uint16_t pointsize, bool bold, bool italic,
                       bool underline, str_size& dimensions) {
    if (facename.empty()) return false;
    QFont font(QString::fromStdString(facename));
    if (pointsize > 0) font.setPointSize(pointsize);
    font.setBold(bold);
    font.setItalic(italic);
    font.setUnderline(underline);
    QFontMetrics metrics(font);
    QRect box = metrics.boundingRect(QRect(0, 0, 100000, 100000), Qt::AlignLeft | Qt::AlignTop,
                                     QString::fromStdString(text));
    dimensions.cx = box.width();
    dimensions.cy = box.height();
    return true;
}

}  // namespace pakomo
