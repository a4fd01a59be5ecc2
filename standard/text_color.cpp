#include "standard/text_color.h"

#include <QPalette>
#include <QWidget>

namespace pakomo {

void set_text_color(runtime::VisualObject& object, long color) {
    QWidget* w = object.widget();
    if (!w) return;
    QColor c(static_cast<int>(color & 0xFF), static_cast<int>((color >> 8) & 0xFF), static_cast<int>((color >> 16) & 0xFF));
    QPalette p = w->palette();
    p.setColor(QPalette::WindowText, c);
    p.setColor(QPalette::Text, c);
    w->setPalette(p);
}

}  // namespace pakomo
