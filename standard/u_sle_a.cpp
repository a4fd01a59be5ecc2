#include "standard/u_sle_a.h"

#include <QFontMetrics>
#include <QLineEdit>

#include <algorithm>

namespace pakomo {

u_sle_a::u_sle_a(std::string className) : u_text_entry_of(std::move(className)) {
    resize(247, 89);
    setFont("MS Sans Serif", 8, 400);
    QLineEdit* edit = lineEdit();
    // What the user types beyond the visible width is taken back, as without autohscroll.
    QObject::connect(edit, &QLineEdit::textEdited, edit, [this, edit](const QString& text) {
        if (ib_autohscroll) return;
        QMargins m = edit->textMargins();
        int room = edit->contentsRect().width() - m.left() - m.right() - 6;
        if (QFontMetrics(edit->font()).horizontalAdvance(text) <= room) return;
        int cursor = edit->cursorPosition();
        QString fitted = text;
        while (!fitted.isEmpty() && QFontMetrics(edit->font()).horizontalAdvance(fitted) > room) {
            int at = std::clamp(cursor - 1, 0, static_cast<int>(fitted.size()) - 1);
            fitted.remove(at, 1);
            cursor = at;
        }
        edit->setText(fitted);
        edit->setCursorPosition(cursor);
    });
}

}  // namespace pakomo
