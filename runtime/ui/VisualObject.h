#pragma once
// Windows and controls: runtime objects that stand on a Qt widget.
//
// A visual object has a type (TypeOf: "window", "commandbutton", ...), a name, a position and a
// size in layout units relative to its parent, and the visible and enabled states. Windows and
// composite controls hold controls: addControl() makes one now and raises its `constructor` when
// the holder opens (or at once when it is open already), the inner controls of a composite
// before the composite itself, all of them before the window's `open`.
//
// Qt calls reach the runtime as events raised at a dispatch boundary; widgets are released with
// deleteLater(), so an object may close or destroy itself inside its own event.
#include "runtime/core/Object.h"

#include <QPointer>
#include <QWidget>

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class QEvent;

namespace runtime {

class Window;
class Control;

class VisualObject : public Object {
public:
    VisualObject(std::string className, std::string typeName);
    ~VisualObject() override;

    // TypeOf: "window", "datawindow", "commandbutton", ... (see typeOf()).
    const std::string& typeName() const { return typeName_; }
    const std::string& name() const { return name_; }
    // Handle: a number that names the object while it lives (never 0, never reused).
    long handle() const { return handle_; }
    void setName(std::string name) { name_ = std::move(name); }

    // The widget that stands for the object (for windows: the window itself; for sheets, the
    // frame's sub-window holds it).
    QWidget* widget() const { return widget_; }
    // Where its controls go (nullptr for a control that holds none).
    virtual QWidget* clientWidget() const { return nullptr; }

    // Position and size in layout units.
    int x() const;
    int y() const;
    int width() const;
    int height() const;
    void move(int x, int y);
    void resize(int width, int height);

    bool visible() const;
    void setVisible(bool visible);
    bool enabled() const;
    virtual void setEnabled(bool enabled);
    void setFocus();
    // Tab order among the window's controls (ascending; 0: the Tab key passes it by). Taken
    // when the window opens and at once for an open window's controls.
    int tabOrder() const { return tabOrder_; }
    void setTabOrder(int order);
    bool hasFocus() const;
    // Font by face name, size in points, weight (400 normal, 700 bold); a face this machine
    // lacks falls back to the system's sans-serif font.
    void setFont(std::string_view face, int points, int weight = 400, bool italic = false, bool underline = false);
    // SetRedraw: switches painting on and off.
    void setRedraw(bool redraw);
    // The pointer's position relative to the object, in layout units.
    int pointerX() const;
    int pointerY() const;

    // The window the object stands on: itself for a window, else the nearest enclosing window.
    Window* parentWindow() const;

    // Controls held (windows and composite controls).
    template <class T, class... A>
    Ref<T> addControl(std::string name, A&&... args) {
        auto control = std::make_unique<T>(std::forward<A>(args)...);
        Ref<T> ref(control.get());
        attachControl(std::move(control), std::move(name));
        return ref;
    }
    const std::vector<Ref<Control>>& controls() const { return controls_; }
    // A held control by name (without regard to case), searched through composites too.
    Control* findControl(std::string_view name) const;

protected:
    void setWidget(QWidget* widget);
    // The widget that is moved and sized (a sheet's sub-window).
    virtual QWidget* frameWidget() const { return widget_; }
    bool constructed() const { return constructed_; }
    // Raises the held controls' constructors, inner ones first.
    void constructControls();
    // Mouse and key events of a widget raised as the object's events: getfocus, losefocus,
    // keyup(key, keyflags), lbuttondown/lbuttonup/rbuttondown/mousemove(flags, xpos, ypos).
    void forwardInputEvents(QWidget* source, bool focusEvents = true);

protected:
    // Chains the focus of the controls by their tab order.
    void applyTabOrder();

private:
    friend class Control;
    int tabOrder_ = -1;  // -1: never set, the order of creation stands
    void attachControl(std::unique_ptr<Control> control, std::string name);
    void placeControl(Control& control);

    std::string typeName_;
    std::string name_;
    std::optional<int> set_[4];
    long handle_;  // x, y, width, height as last set in layout units
    QPointer<QWidget> widget_;
    std::vector<Ref<Control>> controls_;
    std::vector<std::unique_ptr<Control>> pending_;
    bool constructed_ = false;
};

// A control: placed on a window or a composite control.
class Control : public VisualObject {
public:
    Control(std::string className, std::string typeName);

    // The control's text (label, edit text...); empty for those that have none.
    virtual std::string text() const { return {}; }
    virtual void setText(std::string_view) {}

    // The text kinds' selection and clipboard operations; controls without text answer "" and
    // do nothing.
    virtual std::string selectedText() const { return {}; }
    virtual void cut() {}
    virtual void copy() {}
    virtual void paste() {}
};

// TypeOf of any object: the visual object's type, "menu" for menus, "nonvisualobject" else.
std::string typeOf(const Object* object);
// GetParent: the window or composite control a control stands on; the owner of other objects.
Object* getParent(const Object* object);
// The live window or control with a handle; nullptr when none (what a library given only a
// handle uses to reach the object).
VisualObject* findByHandle(long handle);

// Windows' key codes of a Qt key (the keyup event's `key`) and the modifier flags: 1 Shift,
// 2 Ctrl (keyup), and for the mouse events 1 left button, 2 right button, 4 Shift, 8 Ctrl.
int virtualKeyOf(int qtKey);
int qtKeyOfVirtualKey(int vk);

}  // namespace runtime
