#include "installer/setup/SetupResources.h"

#include "installer/setup/DialogUnits.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace setup {

namespace {

// A disc over a box, the usual picture of an installer.
void drawDiscAndBox(QPainter& p, QRectF area) {
    const qreal s = std::min(area.width(), area.height());
    const QPointF c = area.center();
    QRectF box(c.x() - s * 0.35, c.y() - s * 0.05, s * 0.7, s * 0.4);
    p.setPen(QPen(QColor(40, 40, 90), s * 0.02));
    p.setBrush(QColor(200, 160, 90));
    p.drawRect(box);
    p.drawLine(QPointF(box.left(), box.top() + box.height() * 0.3), QPointF(box.right(), box.top() + box.height() * 0.3));
    QRectF disc(c.x() - s * 0.3, c.y() - s * 0.45, s * 0.6, s * 0.6);
    QRadialGradient shine(disc.center(), disc.width() / 2);
    shine.setColorAt(0, QColor(240, 240, 255));
    shine.setColorAt(0.6, QColor(170, 190, 230));
    shine.setColorAt(1, QColor(120, 140, 200));
    p.setBrush(shine);
    p.drawEllipse(disc);
    p.setBrush(QColor(60, 60, 110));
    p.drawEllipse(disc.center(), s * 0.06, s * 0.06);
}

QPixmap sidePicture() {
    QPixmap pixmap(dlu(0, 0, 81, 161).size());
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, pixmap.height());
    sky.setColorAt(0, QColor(0, 0, 128));
    sky.setColorAt(1, QColor(0, 128, 160));
    p.fillRect(pixmap.rect(), sky);
    drawDiscAndBox(p, QRectF(0, pixmap.height() * 0.35, pixmap.width(), pixmap.width()));
    return pixmap;
}

QPixmap iconPicture(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    drawDiscAndBox(p, QRectF(0, 0, size, size));
    return pixmap;
}

}  // namespace

QPixmap LoadSetupBitmap(int id) {
    if (id != SidePictureId) return {};
    // Kept for the program's life; never destroyed after the application object.
    static const QPixmap* picture = new QPixmap(sidePicture());
    return *picture;
}

QIcon LoadSetupIcon(int id) {
    if (id != ProgramIconId) return {};
    QIcon icon;
    for (int size : {16, 32, 48}) icon.addPixmap(iconPicture(size));
    return icon;
}

}  // namespace setup
