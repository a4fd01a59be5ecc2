#include "runtime/ui/VisualObject.h"

#include "runtime/ui/Menu.h"
#include "runtime/ui/Units.h"
#include "runtime/ui/Window.h"

#include <QApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QMouseEvent>

#include <algorithm>
#include <cctype>
#include <functional>
#include <unordered_map>

namespace runtime {
namespace {

bool sameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

// Hands a widget's events to a function; never consumes them.
class InputFilter : public QObject {
public:
    InputFilter(QObject* parent, std::function<void(QEvent*)> fn) : QObject(parent), fn_(std::move(fn)) {}
    bool eventFilter(QObject*, QEvent* event) override {
        auto fn = fn_;  // the call may delete this filter
        fn(event);
        return false;
    }

private:
    std::function<void(QEvent*)> fn_;
};

int mouseFlags(Qt::MouseButtons buttons, Qt::KeyboardModifiers mods) {
    int flags = 0;
    if (buttons & Qt::LeftButton) flags |= 1;
    if (buttons & Qt::RightButton) flags |= 2;
    if (mods & Qt::ShiftModifier) flags |= 4;
    if (mods & Qt::ControlModifier) flags |= 8;
    if (buttons & Qt::MiddleButton) flags |= 16;
    return flags;
}

struct KeyPair {
    int qt;
    int vk;
};
constexpr KeyPair kKeys[] = {
    {Qt::Key_Backspace, 0x08}, {Qt::Key_Tab, 0x09},     {Qt::Key_Return, 0x0D}, {Qt::Key_Enter, 0x0D},
    {Qt::Key_Shift, 0x10},     {Qt::Key_Control, 0x11}, {Qt::Key_Alt, 0x12},    {Qt::Key_Pause, 0x13},
    {Qt::Key_Escape, 0x1B},    {Qt::Key_Space, 0x20},   {Qt::Key_PageUp, 0x21}, {Qt::Key_PageDown, 0x22},
    {Qt::Key_End, 0x23},       {Qt::Key_Home, 0x24},    {Qt::Key_Left, 0x25},   {Qt::Key_Up, 0x26},
    {Qt::Key_Right, 0x27},     {Qt::Key_Down, 0x28},    {Qt::Key_Insert, 0x2D}, {Qt::Key_Delete, 0x2E},
    {Qt::Key_Help, 0x2F},      {Qt::Key_Plus, 0x6B},    {Qt::Key_Minus, 0xBD},  {Qt::Key_Comma, 0xBC},
    {Qt::Key_Period, 0xBE},
};

}  // namespace

int virtualKeyOf(int qtKey) {
    if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)) return qtKey;
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24) return 0x70 + (qtKey - Qt::Key_F1);
    for (const KeyPair& k : kKeys)
        if (k.qt == qtKey) return k.vk;
    return 0;
}

int qtKeyOfVirtualKey(int vk) {
    if ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9')) return vk;
    if (vk >= 0x70 && vk <= 0x87) return Qt::Key_F1 + (vk - 0x70);
    for (const KeyPair& k : kKeys)
        if (k.vk == vk) return k.qt;
    return 0;
}

namespace {
std::unordered_map<long, VisualObject*>& liveHandles() {
    static std::unordered_map<long, VisualObject*> handles;
    return handles;
}
}  // namespace

VisualObject* findByHandle(long handle) {
    auto it = liveHandles().find(handle);
    return it == liveHandles().end() || it->second->isDestroying() ? nullptr : it->second;
}

VisualObject::VisualObject(std::string className, std::string typeName)
    : Object(std::move(className)), typeName_(std::move(typeName)) {
    static long next = 0;
    handle_ = ++next;
    liveHandles()[handle_] = this;
}

VisualObject::~VisualObject() {
    liveHandles().erase(handle_);
    pending_.clear();
    if (widget_) {
        widget_->hide();
        widget_->deleteLater();
    }
}

void VisualObject::setWidget(QWidget* widget) { widget_ = widget; }

// A position or size set in layout units reads back as set while the widget keeps the pixels
// it was given (the conversion to pixels loses the fraction).
namespace {
int readBack(const std::optional<int>& set, int pixels, bool horizontal) {
    if (set && (horizontal ? units::toPixelsX(*set) : units::toPixelsY(*set)) == pixels) return *set;
    return horizontal ? units::toUnitsX(pixels) : units::toUnitsY(pixels);
}
}  // namespace

int VisualObject::x() const {
    QWidget* w = frameWidget();
    return w ? readBack(set_[0], w->x(), true) : 0;
}
int VisualObject::y() const {
    QWidget* w = frameWidget();
    return w ? readBack(set_[1], w->y(), false) : 0;
}
int VisualObject::width() const {
    QWidget* w = frameWidget();
    return w ? readBack(set_[2], w->width(), true) : 0;
}
int VisualObject::height() const {
    QWidget* w = frameWidget();
    return w ? readBack(set_[3], w->height(), false) : 0;
}

void VisualObject::move(int x, int y) {
    set_[0] = x;
    set_[1] = y;
    if (QWidget* w = frameWidget()) w->move(units::toPixelsX(x), units::toPixelsY(y));
}

void VisualObject::resize(int width, int height) {
    set_[2] = width;
    set_[3] = height;
    QWidget* w = frameWidget();
    if (!w) return;
    QSize size(std::max(0, units::toPixelsX(width)), std::max(0, units::toPixelsY(height)));
    // A window the user cannot resize still takes the size its program gives it.
    if (w->isWindow() && w->minimumSize() == w->maximumSize() && w->minimumSize() == w->size())
        w->setFixedSize(size);
    else
        w->resize(size);
}

bool VisualObject::visible() const {
    QWidget* w = frameWidget();
    return w && !w->isHidden();
}

void VisualObject::setVisible(bool visible) {
    if (QWidget* w = frameWidget()) w->setVisible(visible);
}

bool VisualObject::enabled() const { return widget_ && widget_->isEnabled(); }

void VisualObject::setEnabled(bool enabled) {
    if (QWidget* w = frameWidget()) w->setEnabled(enabled);
    if (widget_) widget_->setEnabled(enabled);
}

void VisualObject::setFocus() {
    if (widget_) widget_->setFocus(Qt::OtherFocusReason);
}

void VisualObject::setTabOrder(int order) {
    tabOrder_ = std::max(0, order);
    if (auto* owner = dynamic_cast<VisualObject*>(parent())) owner->applyTabOrder();
}

void VisualObject::applyTabOrder() {
    std::vector<VisualObject*> ordered;
    for (Object* child : children()) {
        auto* v = dynamic_cast<VisualObject*>(child);
        if (!v || !v->widget() || v->tabOrder_ < 0) continue;
        if (v->tabOrder_ == 0) {
            if (v->widget()->focusPolicy() & Qt::TabFocus) v->widget()->setFocusPolicy(Qt::ClickFocus);
            continue;
        }
        ordered.push_back(v);
    }
    std::stable_sort(ordered.begin(), ordered.end(),
                     [](const VisualObject* a, const VisualObject* b) { return a->tabOrder_ < b->tabOrder_; });
    for (size_t i = 1; i < ordered.size(); ++i) QWidget::setTabOrder(ordered[i - 1]->widget(), ordered[i]->widget());
}

bool VisualObject::hasFocus() const {
    if (!widget_) return false;
    QWidget* f = QApplication::focusWidget();
    return f && (f == widget_ || widget_->isAncestorOf(f));
}

void VisualObject::setFont(std::string_view face, int points, int weight, bool italic, bool underline) {
    if (!widget_) return;
    QFont f(QString::fromUtf8(face.data(), static_cast<qsizetype>(face.size())));
    f.setStyleHint(QFont::SansSerif);
    if (points > 0) f.setPointSize(points);
    f.setWeight(weight >= 700 ? QFont::Bold : weight >= 600 ? QFont::DemiBold : QFont::Normal);
    f.setItalic(italic);
    f.setUnderline(underline);
    widget_->setFont(f);
}

void VisualObject::setRedraw(bool redraw) {
    if (!widget_) return;
    widget_->setUpdatesEnabled(redraw);
    if (redraw) widget_->update();
}

int VisualObject::pointerX() const {
    if (!widget_) return 0;
    return units::toUnitsX(widget_->mapFromGlobal(QCursor::pos()).x());
}

int VisualObject::pointerY() const {
    if (!widget_) return 0;
    return units::toUnitsY(widget_->mapFromGlobal(QCursor::pos()).y());
}

Window* VisualObject::parentWindow() const {
    for (Object* o = const_cast<VisualObject*>(this); o; o = o->parent())
        if (auto* w = dynamic_cast<Window*>(o)) return w;
    return nullptr;
}

Control* VisualObject::findControl(std::string_view name) const {
    for (const Ref<Control>& r : controls_) {
        Control* c = r.get();
        if (!c) continue;
        if (sameName(c->name(), name)) return c;
        if (Control* inner = c->findControl(name)) return inner;
    }
    for (const auto& p : pending_) {
        if (sameName(p->name(), name)) return p.get();
        if (Control* inner = p->findControl(name)) return inner;
    }
    return nullptr;
}

void VisualObject::attachControl(std::unique_ptr<Control> control, std::string name) {
    control->setName(std::move(name));
    placeControl(*control);
    controls_.push_back(Ref<Control>(control.get()));
    if (constructed_) {
        // Linked first, so that the inner controls' constructors find the whole chain of holders.
        control->setParent(this);
        control->constructControls();
        control->constructed_ = true;
        runtime::adopt(std::move(control), this);
    } else {
        pending_.push_back(std::move(control));
    }
}

void VisualObject::placeControl(Control& control) {
    QWidget* host = clientWidget();
    QWidget* w = control.frameWidget();
    if (!host || !w) return;
    QRect g = w->geometry();
    // Only a control hidden by program stays hidden; a new one shows with its holder.
    bool hidden = w->testAttribute(Qt::WA_WState_ExplicitShowHide) && w->isHidden();
    w->setParent(host);
    w->setGeometry(g);
    w->setVisible(!hidden);
}

void VisualObject::constructControls() {
    constructed_ = true;
    std::vector<std::unique_ptr<Control>> pending = std::move(pending_);
    pending_.clear();
    for (auto& control : pending) {
        control->setParent(this);
        control->constructControls();
        runtime::adopt(std::move(control), this);
    }
}

void VisualObject::forwardInputEvents(QWidget* source, bool focusEvents) {
    if (!source) return;
    source->setMouseTracking(true);
    Ref<VisualObject> self(this);
    auto toUnits = [source, self](QPoint p) -> std::pair<int, int> {
        QWidget* target = self ? self->widget() : nullptr;
        if (target && target != source) p = target->mapFromGlobal(source->mapToGlobal(p));
        return {units::toUnitsX(p.x()), units::toUnitsY(p.y())};
    };
    source->installEventFilter(new InputFilter(source, [self, focusEvents, toUnits](QEvent* e) {
        VisualObject* o = self.get();
        if (!o) return;
        switch (e->type()) {
        case QEvent::FocusIn:
            if (focusEvents) o->trigger("getfocus");
            break;
        case QEvent::FocusOut:
            if (focusEvents) o->trigger("losefocus");
            break;
        case QEvent::KeyRelease: {
            auto* k = static_cast<QKeyEvent*>(e);
            if (k->isAutoRepeat()) break;
            int flags = (k->modifiers() & Qt::ShiftModifier ? 1 : 0) | (k->modifiers() & Qt::ControlModifier ? 2 : 0);
            o->trigger("keyup", {virtualKeyOf(k->key()), flags});
            break;
        }
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseMove: {
            auto* m = static_cast<QMouseEvent*>(e);
            auto [ux, uy] = toUnits(m->position().toPoint());
            Qt::MouseButtons held = m->buttons();
            if (e->type() == QEvent::MouseButtonRelease) held |= m->button();
            int flags = mouseFlags(held, m->modifiers());
            if (e->type() == QEvent::MouseMove)
                o->trigger("mousemove", {flags, ux, uy});
            else if (m->button() == Qt::LeftButton)
                o->trigger(e->type() == QEvent::MouseButtonPress ? "lbuttondown" : "lbuttonup", {flags, ux, uy});
            else if (m->button() == Qt::RightButton && e->type() == QEvent::MouseButtonPress)
                o->trigger("rbuttondown", {flags, ux, uy});
            break;
        }
        default:
            break;
        }
    }));
}

Control::Control(std::string className, std::string typeName)
    : VisualObject(std::move(className), std::move(typeName)) {}

std::string typeOf(const Object* object) {
    if (!object) return {};
    if (auto* v = dynamic_cast<const VisualObject*>(object)) return v->typeName();
    if (dynamic_cast<const Menu*>(object)) return "menu";
    return "nonvisualobject";
}

Object* getParent(const Object* object) { return object ? object->parent() : nullptr; }

}  // namespace runtime
