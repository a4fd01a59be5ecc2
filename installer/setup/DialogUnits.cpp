#include "installer/setup/DialogUnits.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

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

void PlaceDialog(QWidget* dialog) {
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect area = screen->availableGeometry();
    const QSize size = dialog->size();
    dialog->setGeometry(QRect(area.center() - QPoint(size.width() / 2, size.height() / 2), size));
}

}  // namespace setup
