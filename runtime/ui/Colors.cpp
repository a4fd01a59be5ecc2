#include "runtime/ui/Colors.h"

#include <QApplication>
#include <QPalette>

namespace runtime {

QColor toQColor(int64_t color) {
    if (color > 0xFFFFFF || color < 0) {
        QPalette palette = QApplication::palette();
        switch (color) {
            case systemcolor::WindowText:
                return palette.color(QPalette::WindowText);
            case systemcolor::ButtonFace:
            case systemcolor::ButtonFaceAlt:
                return palette.color(QPalette::Button);
            case systemcolor::AppWorkspace:
                return palette.color(QPalette::Dark);
            case systemcolor::WindowBackground:
                return palette.color(QPalette::Base);
            default:
                break;
        }
    }
    return QColor(static_cast<int>(color & 0xFF), static_cast<int>((color >> 8) & 0xFF),
                  static_cast<int>((color >> 16) & 0xFF));
}

int64_t fromQColor(const QColor& color) {
    return static_cast<int64_t>(color.red()) + 256 * static_cast<int64_t>(color.green()) +
           65536 * static_cast<int64_t>(color.blue());
}

}  // namespace runtime
