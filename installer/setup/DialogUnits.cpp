#include "installer/setup/DialogUnits.h"

namespace setup {

namespace {
int px(int units) { return (units * 3 + 1) / 2; }
int py(int units) { return (units * 13 + 4) / 8; }
}  // namespace

QRect dlu(int x, int y, int width, int height) { return QRect(px(x), py(y), px(width), py(height)); }

QSize dluSize(int width, int height) { return QSize(px(width), py(height)); }

QFont dialogFont() {
    QFont font(QStringLiteral("DejaVu Sans Condensed"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(11);
    return font;
}

}  // namespace setup
