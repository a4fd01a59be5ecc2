#include "standard/u_em_color_component.h"

#include <QKeyEvent>
#include <QLineEdit>

namespace pakomo {

using runtime::Args;
using runtime::Value;

namespace {

// Enter ends the edit in the field (its modified runs) and goes no further, so the dialog's
// default button is not pressed.
class EnterStaysInField : public QObject {
public:
    EnterStaysInField(QLineEdit* edit, const bool* ignore) : QObject(edit), edit_(edit), ignore_(ignore) {}
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() != QEvent::KeyPress || !*ignore_) return false;
        auto* k = static_cast<QKeyEvent*>(e);
        if (k->key() != Qt::Key_Return && k->key() != Qt::Key_Enter) return false;
        Q_EMIT edit_->editingFinished();
        return true;
    }

private:
    QLineEdit* edit_;
    const bool* ignore_;
};

}  // namespace

u_em_color_component::u_em_color_component(std::string className) : u_em_a(std::move(className)) {
    resize(247, 85);
    setMask("0##");
    setSpin(1, 0, 255);
    lineEdit()->installEventFilter(new EnterStaysInField(lineEdit(), &ignoredefaultbutton));
    extend("constructor", [this](Args) {
        ignoredefaultbutton = true;
        return Value();
    });
    on("modified", [this](Args) {
        int64_t value = Value(text()).toInt();
        if (value > 255) setText("255");
        else if (value < 0) setText("0");
        return Value();
    });
}

}  // namespace pakomo
