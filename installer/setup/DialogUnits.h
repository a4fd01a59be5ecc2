#pragma once
// Dialog layouts are given in dialog units of their 8-point font. The font stands in for the
// dialogs' "MS Sans Serif 8": its average character is 6 pixels wide and 13 high, so one
// horizontal unit is 6/4 pixel and one vertical unit 13/8 pixel.
#include <QFont>
#include <QRect>
#include <QSize>
#include <Qt>

class QWidget;

namespace setup {

QRect dlu(int x, int y, int width, int height);
QSize dluSize(int width, int height);
// The dialogs' font.
QFont dialogFont();

// Every dialog's frame: a title bar with a close box, no minimise or maximise box.
inline constexpr Qt::WindowFlags DialogFlags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                               Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;

// Centres a dialog that has its size on the screen. The client area is placed, not the frame, so a
// dialog lands at the same spot whatever frame the window manager gives it, and every page of the
// wizard at the same spot as the one before.
void PlaceDialog(QWidget* dialog);

}  // namespace setup
