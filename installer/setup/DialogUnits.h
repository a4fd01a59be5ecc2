#pragma once
// Dialog layouts are given in dialog units of their 8-point font. The font stands in for the
// dialogs' "MS Sans Serif 8": its average character is 6 pixels wide and 13 high, so one
// horizontal unit is 6/4 pixel and one vertical unit 13/8 pixel.
#include <QFont>
#include <QRect>
#include <QSize>

namespace setup {

QRect dlu(int x, int y, int width, int height);
QSize dluSize(int width, int height);
// The dialogs' font.
QFont dialogFont();

}  // namespace setup
