#include "runtime/ui/Controls.h"
#include "runtime/ui/Pictures.h"

#include "runtime/ui/Colors.h"
#include "runtime/ui/detail/UiHelpers.h"

#include "runtime/services/System.h"
#include "runtime/ui/Services.h"
#include "runtime/ui/Units.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QTextEdit>

#include <algorithm>
#include <cmath>

namespace runtime {
namespace {

using detail::qs;

// Events that Qt gives through a function instead of a virtual.
class KeyHook : public QObject {
public:
    KeyHook(QObject* parent, std::function<bool(QKeyEvent*)> fn) : QObject(parent), fn_(std::move(fn)) {}
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() != QEvent::KeyPress) return false;
        auto fn = fn_;
        return fn(static_cast<QKeyEvent*>(e));
    }

private:
    std::function<bool(QKeyEvent*)> fn_;
};

// A radio button that a click does not check unless it is automatic.
class RadioWidget : public QRadioButton {
public:
    bool automatic = true;

protected:
    void nextCheckState() override {
        if (automatic) QRadioButton::nextCheckState();
    }
};

template <class T>
void connectClicked(QAbstractButton* button, Control* control) {
    Ref<Control> self(control);
    QObject::connect(button, &QAbstractButton::clicked, button, [self] {
        if (Control* c = self.get()) c->trigger("clicked");
    });
}

// Raises `modified` when the user changed the text and then leaves the field or presses Enter.
void connectModified(QLineEdit* edit, Control* control, bool* dirty) {
    Ref<Control> self(control);
    QObject::connect(edit, &QLineEdit::textEdited, edit, [self, dirty] {
        if (self) *dirty = true;
    });
    QObject::connect(edit, &QLineEdit::editingFinished, edit, [self, dirty] {
        Control* c = self.get();
        if (!c || !*dirty) return;
        *dirty = false;
        c->trigger("modified");
    });
}

// Clicks on widgets that have no click of their own (labels, pictures).
class ClickFilter : public QObject {
public:
    ClickFilter(QObject* parent, Ref<Control> control) : QObject(parent), control_(std::move(control)) {}
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() == QEvent::MouseButtonRelease) {
            auto* m = static_cast<QMouseEvent*>(e);
            auto* w = static_cast<QWidget*>(o);
            if (m->button() == Qt::LeftButton && w->rect().contains(m->position().toPoint()))
                if (Control* c = control_.get()) c->trigger("clicked");
        }
        return false;
    }

private:
    Ref<Control> control_;
};

}  // namespace

// --- CommandButton ---------------------------------------------------------------------------

CommandButton::CommandButton(std::string className) : Control(std::move(className), "commandbutton") {
    auto* b = new QPushButton;
    b->setAutoDefault(false);
    setWidget(b);
    b->resize(units::toPixelsX(357), units::toPixelsY(80));
    connectClicked<CommandButton>(b, this);
    forwardInputEvents(b);
}

std::string CommandButton::text() const { return static_cast<QPushButton*>(widget())->text().toStdString(); }
void CommandButton::setText(std::string_view text) { static_cast<QPushButton*>(widget())->setText(qs(text)); }

void CommandButton::setDefault(bool on) {
    default_ = on;
    static_cast<QPushButton*>(widget())->setDefault(on);
}

void CommandButton::click() {
    auto* b = static_cast<QPushButton*>(widget());
    if (b && b->isEnabled()) b->click();
}

// --- SingleLineEdit --------------------------------------------------------------------------

SingleLineEdit::SingleLineEdit(std::string className, std::string typeName)
    : TextControl(std::move(className), std::move(typeName)) {
    auto* e = new QLineEdit;
    setWidget(e);
    e->resize(units::toPixelsX(400), units::toPixelsY(88));
    connectModified(e, this, &dirty_);
    forwardInputEvents(e);
}

QLineEdit* SingleLineEdit::lineEdit() const { return static_cast<QLineEdit*>(widget()); }
std::string SingleLineEdit::text() const { return lineEdit()->text().toStdString(); }
void SingleLineEdit::setText(std::string_view text) {
    lineEdit()->setText(qs(text));
    dirty_ = false;
}
std::string SingleLineEdit::selectedText() const { return lineEdit()->selectedText().toStdString(); }

void SingleLineEdit::cut() {
    QLineEdit* e = lineEdit();
    if (!e->hasSelectedText() || e->isReadOnly()) return;
    setClipboardText(e->selectedText().toStdString());
    e->del();
    dirty_ = true;
}

void SingleLineEdit::copy() {
    QLineEdit* e = lineEdit();
    if (e->hasSelectedText()) setClipboardText(e->selectedText().toStdString());
}

void SingleLineEdit::paste() {
    QLineEdit* e = lineEdit();
    if (e->isReadOnly()) return;
    e->insert(qs(clipboardText()));
    dirty_ = true;
}

void SingleLineEdit::setLimit(int limit) { lineEdit()->setMaxLength(limit > 0 ? limit : 32767); }

void SingleLineEdit::selectText(int start, int length) { lineEdit()->setSelection(std::max(0, start - 1), length); }

void SingleLineEdit::setPassword(bool on) { lineEdit()->setEchoMode(on ? QLineEdit::Password : QLineEdit::Normal); }

// --- EditMask --------------------------------------------------------------------------------

EditMask::EditMask(std::string className) : SingleLineEdit(std::move(className), "editmask") {
    Ref<EditMask> self(this);
    lineEdit()->installEventFilter(new KeyHook(lineEdit(), [self](QKeyEvent* k) {
        EditMask* m = self.get();
        if (!m || !m->spin_ || (k->key() != Qt::Key_Up && k->key() != Qt::Key_Down)) return false;
        m->step(k->key() == Qt::Key_Up ? 1 : -1);
        return true;
    }));
}

void EditMask::setMask(std::string_view mask) {
    mask_ = std::string(mask);
    bool numeric = !mask_.empty() && std::all_of(mask_.begin(), mask_.end(), [](char c) {
        return c == '#' || c == '0' || c == ',' || c == '.';
    });
    QString pattern;
    if (numeric) {
        int digits = static_cast<int>(std::count_if(mask_.begin(), mask_.end(), [](char c) { return c == '#' || c == '0'; }));
        pattern = QStringLiteral("[0-9]{0,%1}").arg(digits);
        lineEdit()->setMaxLength(digits);
    } else {
        for (char c : mask_) {
            switch (c) {
            case '#': pattern += QStringLiteral("[0-9]?"); break;
            case '!': pattern += QStringLiteral("[A-Z]?"); break;
            case 'a': pattern += QStringLiteral("[A-Za-z0-9]?"); break;
            case 'x': pattern += QStringLiteral(".?"); break;
            default: pattern += QRegularExpression::escape(QString(QChar(c))) + "?"; break;
            }
        }
        lineEdit()->setMaxLength(static_cast<int>(mask_.size()));
    }
    lineEdit()->setValidator(new QRegularExpressionValidator(QRegularExpression(pattern), lineEdit()));
}

void EditMask::setSpin(double increment, double minimum, double maximum) {
    spin_ = true;
    increment_ = increment;
    minimum_ = minimum;
    maximum_ = maximum;
}

void EditMask::step(int direction) {
    double v = lineEdit()->text().toDouble() + direction * increment_;
    v = std::clamp(v, minimum_, maximum_);
    lineEdit()->setText(QString::number(v, 'g', 15));
    dirty_ = true;
}

// --- MultiLineEdit ---------------------------------------------------------------------------

MultiLineEdit::MultiLineEdit(std::string className) : TextControl(std::move(className), "multilineedit") {
    auto* e = new QPlainTextEdit;
    setWidget(e);
    Ref<MultiLineEdit> self(this);
    QObject::connect(e, &QPlainTextEdit::textChanged, e, [self] {
        MultiLineEdit* m = self.get();
        if (!m) return;
        QPlainTextEdit* ed = m->editor();
        if (m->limit_ > 0 && ed->toPlainText().size() > m->limit_) {
            QTextCursor c = ed->textCursor();
            c.movePosition(QTextCursor::End);
            c.deletePreviousChar();
        }
    });
    e->installEventFilter(new KeyHook(e, [self](QKeyEvent*) {
        if (MultiLineEdit* m = self.get()) m->dirty_ = true;
        return false;
    }));
    Ref<Control> ctl(this);
    class Leave : public QObject {
    public:
        Leave(QObject* p, Ref<MultiLineEdit> m) : QObject(p), m_(std::move(m)) {}
        bool eventFilter(QObject*, QEvent* e) override {
            MultiLineEdit* m = m_.get();
            if (m && e->type() == QEvent::FocusOut && m->dirty_) {
                m->dirty_ = false;
                m->trigger("modified");
            }
            return false;
        }
        Ref<MultiLineEdit> m_;
    };
    e->installEventFilter(new Leave(e, self));
    forwardInputEvents(e);
    forwardInputEvents(e->viewport(), false);
}

QPlainTextEdit* MultiLineEdit::editor() const { return static_cast<QPlainTextEdit*>(widget()); }
std::string MultiLineEdit::text() const { return editor()->toPlainText().toStdString(); }
void MultiLineEdit::setText(std::string_view text) {
    editor()->setPlainText(qs(text));
    dirty_ = false;
}
std::string MultiLineEdit::selectedText() const {
    return editor()->textCursor().selectedText().replace(QChar::ParagraphSeparator, '\n').toStdString();
}
void MultiLineEdit::cut() {
    std::string s = selectedText();
    if (s.empty() || editor()->isReadOnly()) return;
    setClipboardText(s);
    editor()->textCursor().removeSelectedText();
    dirty_ = true;
}
void MultiLineEdit::copy() {
    std::string s = selectedText();
    if (!s.empty()) setClipboardText(s);
}
void MultiLineEdit::paste() {
    if (editor()->isReadOnly()) return;
    editor()->textCursor().insertText(qs(clipboardText()));
    dirty_ = true;
}
void MultiLineEdit::selectText(int start, int length) {
    QTextCursor c = editor()->textCursor();
    c.setPosition(std::max(0, start - 1));
    c.setPosition(std::max(0, start - 1) + length, QTextCursor::KeepAnchor);
    editor()->setTextCursor(c);
}

// --- RichTextEdit ----------------------------------------------------------------------------

RichTextEdit::RichTextEdit(std::string className) : TextControl(std::move(className), "richtextedit") {
    auto* e = new QTextEdit;
    setWidget(e);
    forwardInputEvents(e);
    forwardInputEvents(e->viewport(), false);
}

QTextEdit* RichTextEdit::editor() const { return static_cast<QTextEdit*>(widget()); }
std::string RichTextEdit::text() const { return editor()->toPlainText().toStdString(); }
void RichTextEdit::setText(std::string_view text) { editor()->setPlainText(qs(text)); }
std::string RichTextEdit::selectedText() const {
    return editor()->textCursor().selectedText().replace(QChar::ParagraphSeparator, '\n').toStdString();
}
void RichTextEdit::cut() {
    std::string s = selectedText();
    if (s.empty() || editor()->isReadOnly()) return;
    setClipboardText(s);
    editor()->textCursor().removeSelectedText();
}
void RichTextEdit::copy() {
    std::string s = selectedText();
    if (!s.empty()) setClipboardText(s);
}
void RichTextEdit::paste() {
    if (!editor()->isReadOnly()) editor()->textCursor().insertText(qs(clipboardText()));
}
void RichTextEdit::selectText(int start, int length) {
    QTextCursor c = editor()->textCursor();
    c.setPosition(std::max(0, start - 1));
    c.setPosition(std::max(0, start - 1) + length, QTextCursor::KeepAnchor);
    editor()->setTextCursor(c);
}

// --- DropDownListBox -------------------------------------------------------------------------

DropDownListBox::DropDownListBox(std::string className, std::string typeName)
    : TextControl(std::move(className), std::move(typeName)) {
    auto* c = new QComboBox;
    c->setInsertPolicy(QComboBox::NoInsert);
    setWidget(c);
    Ref<DropDownListBox> self(this);
    QObject::connect(c, &QComboBox::currentIndexChanged, c, [self](int index) {
        DropDownListBox* d = self.get();
        if (!d || d->programmatic_ || index < 0) return;
        d->trigger("selectionchanged", {index + 1});
    });
    forwardInputEvents(c);
}

QComboBox* DropDownListBox::comboBox() const { return static_cast<QComboBox*>(widget()); }

void DropDownListBox::setAllowEdit(bool on) {
    QComboBox* c = comboBox();
    c->setEditable(on);
    if (on && c->lineEdit()) {
        connectModified(c->lineEdit(), this, &dirty_);
        forwardInputEvents(c->lineEdit(), false);
    }
}

void DropDownListBox::setSorted(bool on) { sorted_ = on; }

std::string DropDownListBox::text() const { return comboBox()->currentText().toStdString(); }

void DropDownListBox::setText(std::string_view text) {
    QComboBox* c = comboBox();
    programmatic_ = true;
    if (c->isEditable())
        c->setEditText(qs(text));
    else
        c->setCurrentIndex(c->findText(qs(text)));
    programmatic_ = false;
}

std::string DropDownListBox::selectedText() const {
    QComboBox* c = comboBox();
    if (c->lineEdit()) return c->lineEdit()->selectedText().toStdString();
    return c->currentText().toStdString();
}

void DropDownListBox::cut() {
    QComboBox* c = comboBox();
    if (!c->lineEdit() || !c->lineEdit()->hasSelectedText()) return;
    setClipboardText(c->lineEdit()->selectedText().toStdString());
    c->lineEdit()->del();
}

void DropDownListBox::copy() {
    std::string s = selectedText();
    if (!s.empty()) setClipboardText(s);
}

void DropDownListBox::paste() {
    if (QLineEdit* e = comboBox()->lineEdit()) e->insert(qs(clipboardText()));
}

void DropDownListBox::selectText(int start, int length) {
    if (QLineEdit* e = comboBox()->lineEdit()) e->setSelection(std::max(0, start - 1), length);
}

int DropDownListBox::addItem(std::string_view text, int pictureIndex) {
    QComboBox* c = comboBox();
    QString t = qs(text);
    int at = c->count();
    if (sorted_) {
        at = 0;
        while (at < c->count() && QString::compare(c->itemText(at), t, Qt::CaseInsensitive) <= 0) ++at;
    }
    programmatic_ = true;
    QIcon icon;
    if (auto* p = dynamic_cast<DropDownPictureListBox*>(this); p && pictureIndex >= 1 &&
                                                              pictureIndex <= static_cast<int>(p->pictures_.size()))
        icon = pictureIcon(p->pictures_[pictureIndex - 1], p->masks_[pictureIndex - 1]);
    c->insertItem(at, icon, t);
    programmatic_ = false;
    return at + 1;
}

int DropDownListBox::deleteItem(int index) {
    QComboBox* c = comboBox();
    if (index < 1 || index > c->count()) return -1;
    programmatic_ = true;
    c->removeItem(index - 1);
    programmatic_ = false;
    return c->count();
}

void DropDownListBox::reset() {
    programmatic_ = true;
    comboBox()->clear();
    programmatic_ = false;
}

int DropDownListBox::totalItems() const { return comboBox()->count(); }

std::string DropDownListBox::itemText(int index) const {
    QComboBox* c = comboBox();
    if (index < 1 || index > c->count()) return {};
    return c->itemText(index - 1).toStdString();
}

int DropDownListBox::selectItem(std::string_view text, int start) {
    QComboBox* c = comboBox();
    QString t = qs(text);
    for (int i = std::max(0, start); i < c->count(); ++i) {
        if (c->itemText(i).startsWith(t, Qt::CaseInsensitive)) {
            programmatic_ = true;
            c->setCurrentIndex(i);
            programmatic_ = false;
            return i + 1;
        }
    }
    return -1;
}

int DropDownListBox::selectItem(int index) {
    QComboBox* c = comboBox();
    if (index < 0 || index > c->count()) return -1;
    programmatic_ = true;
    c->setCurrentIndex(index - 1);
    programmatic_ = false;
    return index;
}

int DropDownListBox::selectedIndex() const { return comboBox()->currentIndex() + 1; }

DropDownPictureListBox::DropDownPictureListBox(std::string className)
    : DropDownListBox(std::move(className), "dropdownpicturelistbox") {}

int DropDownPictureListBox::addPicture(std::string_view file) {
    pictures_.emplace_back(file);
    masks_.push_back(maskColor_);
    return static_cast<int>(pictures_.size());
}

// --- StaticText, CheckBox, RadioButton, Picture, GroupBox, Line, UserObject -------------------

StaticText::StaticText(std::string className) : Control(std::move(className), "statictext") {
    auto* l = new QLabel;
    // A static text that is disabled only stops taking the focus and clicks: its text stays in its
    // own colour, as labels on the program's dialogs are disabled texts.
    QPalette p = l->palette();
    p.setColor(QPalette::Disabled, QPalette::WindowText, p.color(QPalette::Active, QPalette::WindowText));
    l->setPalette(p);
    setWidget(l);
    l->installEventFilter(new ClickFilter(l, Ref<Control>(this)));
    forwardInputEvents(l);
}
std::string StaticText::text() const { return static_cast<QLabel*>(widget())->text().toStdString(); }
void StaticText::setText(std::string_view text) { static_cast<QLabel*>(widget())->setText(qs(text)); }

CheckBox::CheckBox(std::string className) : Control(std::move(className), "checkbox") {
    auto* b = new QCheckBox;
    setWidget(b);
    connectClicked<CheckBox>(b, this);
    forwardInputEvents(b);
}
std::string CheckBox::text() const { return static_cast<QCheckBox*>(widget())->text().toStdString(); }
void CheckBox::setText(std::string_view text) { static_cast<QCheckBox*>(widget())->setText(qs(text)); }
bool CheckBox::checked() const { return static_cast<QCheckBox*>(widget())->isChecked(); }
void CheckBox::setChecked(bool on) { static_cast<QCheckBox*>(widget())->setChecked(on); }

RadioButton::RadioButton(std::string className) : Control(std::move(className), "radiobutton") {
    auto* b = new RadioWidget;
    setWidget(b);
    connectClicked<RadioButton>(b, this);
    forwardInputEvents(b);
}
std::string RadioButton::text() const { return static_cast<QRadioButton*>(widget())->text().toStdString(); }
void RadioButton::setText(std::string_view text) { static_cast<QRadioButton*>(widget())->setText(qs(text)); }
bool RadioButton::checked() const { return static_cast<QRadioButton*>(widget())->isChecked(); }
void RadioButton::setChecked(bool on) {
    auto* b = static_cast<QRadioButton*>(widget());
    b->setChecked(on);
}
void RadioButton::setAutomatic(bool on) {
    automatic_ = on;
    auto* b = static_cast<RadioWidget*>(widget());
    b->automatic = on;
    b->setAutoExclusive(on);
}

Picture::Picture(std::string className) : Control(std::move(className), "picture") {
    auto* l = new QLabel;
    l->setScaledContents(true);
    setWidget(l);
    l->installEventFilter(new ClickFilter(l, Ref<Control>(this)));
    forwardInputEvents(l);
}

bool Picture::setPictureName(std::string_view file) {
    picture_ = std::string(file);
    std::string found = findPictureFile(file);
    QPixmap p = !found.empty() ? QPixmap(qs(found)) : pictureIcon(file).pixmap(32, 32);
    auto* l = static_cast<QLabel*>(widget());
    l->setPixmap(p);
    if (originalSize_ && !p.isNull()) l->resize(p.size());
    return !p.isNull();
}

void Picture::setOriginalSize(bool on) {
    originalSize_ = on;
    auto* l = static_cast<QLabel*>(widget());
    l->setScaledContents(!on);
    if (on && !l->pixmap().isNull()) l->resize(l->pixmap().size());
}

GroupBox::GroupBox(std::string className) : Control(std::move(className), "groupbox") {
    auto* g = new QGroupBox;
    g->setAttribute(Qt::WA_TransparentForMouseEvents);
    setWidget(g);
}
std::string GroupBox::text() const { return static_cast<QGroupBox*>(widget())->title().toStdString(); }
void GroupBox::setText(std::string_view text) { static_cast<QGroupBox*>(widget())->setTitle(qs(text)); }

class LineWidget : public QWidget {
public:
    explicit LineWidget(Line* line) : line_(line) { setAttribute(Qt::WA_TransparentForMouseEvents); }

protected:
    void paintEvent(QPaintEvent*) override {
        Line* l = line_.get();
        if (!l) return;
        QPainter p(this);
        p.setPen(QPen(palette().windowText().color(), l->thickness_));
        QPoint origin = pos();
        p.drawLine(QPoint(units::toPixelsX(l->bx_), units::toPixelsY(l->by_)) - origin,
                   QPoint(units::toPixelsX(l->ex_), units::toPixelsY(l->ey_)) - origin);
    }

private:
    Ref<Line> line_;
};

Line::Line(std::string className) : Control(std::move(className), "line") { setWidget(new LineWidget(this)); }

void Line::setPoints(int beginX, int beginY, int endX, int endY) {
    bx_ = beginX;
    by_ = beginY;
    ex_ = endX;
    ey_ = endY;
    int pad = thickness_;
    QRect r = QRect(QPoint(units::toPixelsX(std::min(bx_, ex_)), units::toPixelsY(std::min(by_, ey_))),
                    QPoint(units::toPixelsX(std::max(bx_, ex_)), units::toPixelsY(std::max(by_, ey_))))
                  .adjusted(-pad, -pad, pad, pad);
    widget()->setGeometry(r);
    widget()->update();
}

void Line::setThickness(int pixels) {
    thickness_ = std::max(1, pixels);
    setPoints(bx_, by_, ex_, ey_);
}

class RectangleWidget : public QWidget {
public:
    explicit RectangleWidget(RectangleControl* owner) : owner_(owner) {}

protected:
    void paintEvent(QPaintEvent*) override {
        RectangleControl* r = owner_.get();
        if (!r) return;
        QPainter p(this);
        p.fillRect(rect(), toQColor(r->fill_));
        if (r->thickness_ > 0) {
            QPen pen(toQColor(r->line_));
            pen.setWidth(r->thickness_);
            pen.setJoinStyle(Qt::MiterJoin);
            p.setPen(pen);
            int half = r->thickness_ / 2;
            p.drawRect(rect().adjusted(half, half, -half - 1 + (r->thickness_ % 2 == 0), -half - 1 + (r->thickness_ % 2 == 0)));
        }
    }

private:
    Ref<RectangleControl> owner_;
};

RectangleControl::RectangleControl(std::string className) : Control(std::move(className), "rectangle") {
    auto* w = new RectangleWidget(this);
    setWidget(w);
    w->installEventFilter(new ClickFilter(w, Ref<Control>(this)));
    forwardInputEvents(w);
}

void RectangleControl::setFillColor(long color) {
    fill_ = color;
    widget()->update();
}

void RectangleControl::setLineColor(long color) {
    line_ = color;
    widget()->update();
}

void RectangleControl::setLineThickness(int pixels) {
    thickness_ = std::max(0, pixels);
    widget()->update();
}

class UserObjectWidget : public QWidget {
public:
    explicit UserObjectWidget(UserObject* owner) : owner_(owner) {}

protected:
    void resizeEvent(QResizeEvent* e) override {
        QWidget::resizeEvent(e);
        if (UserObject* u = owner_.get())
            u->trigger("resize", {0, units::toUnitsX(width()), units::toUnitsY(height())});
    }

private:
    Ref<UserObject> owner_;
};

UserObject::UserObject(std::string className) : Control(std::move(className), "userobject") {
    auto* w = new UserObjectWidget(this);
    setWidget(w);
    w->resize(units::toPixelsX(1029), units::toPixelsY(584));
    forwardInputEvents(w);
}

void setBackgroundColor(VisualObject& object, long color) {
    QWidget* w = object.clientWidget() ? object.clientWidget() : object.widget();
    if (!w) return;
    QPalette p = w->palette();
    p.setColor(QPalette::Window, toQColor(color));
    p.setColor(QPalette::Base, toQColor(color));
    w->setPalette(p);
    w->setAutoFillBackground(true);
}

void setTextColor(VisualObject& object, long color) {
    QWidget* w = object.widget();
    if (!w) return;
    QPalette p = w->palette();
    p.setColor(QPalette::WindowText, toQColor(color));
    p.setColor(QPalette::Text, toQColor(color));
    w->setPalette(p);
}

}  // namespace runtime
