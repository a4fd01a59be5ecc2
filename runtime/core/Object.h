#pragma once
// Objects and events of the host runtime.
//
// An object has a class name, an optional parent and events registered by name. A C++ class that
// stands for a runtime class registers its handlers in its constructor; a descendant extends an
// ancestor's event with extend() (the ancestor's script runs first) or replaces it with on().
// Objects are created through create()/createByName() (which raise `constructor`) and ended
// through destroy() (which raises `destructor`); Ref<T> is a weak reference that reads as invalid
// once its object is destroyed.
#include <functional>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "runtime/Value.h"
#include "runtime/core/RuntimeError.h"

namespace runtime {

class Object;

using Args = std::span<const Value>;
using Handler = std::function<Value(Args)>;

// A weak reference. Using an invalid one through -> or * is the runtime's null object error.
template <class T>
class Ref : public ObjectRef {
public:
    Ref() = default;
    Ref(std::nullptr_t) {}
    Ref(T* object);
    Ref(T& object) : Ref(&object) {}
    template <class U>
    requires std::is_convertible_v<U*, T*> Ref(const Ref<U>& other) : ObjectRef(other), typed_(other.typed_) {}

    explicit operator bool() const { return isValid(); }
    T* get() const { return isValid() ? typed_ : nullptr; }
    T* operator->() const { return &checked(); }
    T& operator*() const { return checked(); }
    void reset() {
        anchor_.reset();
        object_ = nullptr;
        typed_ = nullptr;
    }

    // The same object seen as a descendant class; invalid when it is not one.
    template <class U>
    Ref<U> as() const {
        Ref<U> r;
        if (U* u = dynamic_cast<U*>(get())) r = Ref<U>(u);
        return r;
    }

    template <class U>
    friend bool operator==(const Ref& a, const Ref<U>& b) {
        return a.get() == b.get();
    }

private:
    template <class U>
    friend class Ref;
    T& checked() const {
        if (!isValid()) throw RuntimeError("Null object reference");
        return *typed_;
    }
    T* typed_ = nullptr;
};

namespace detail {
// Orders event names without regard to letter case.
struct CaseBlindLess {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const;
};
}  // namespace detail

class Object {
public:
    explicit Object(std::string className);
    virtual ~Object();
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;

    const std::string& className() const { return className_; }
    // The name a runtime error reports for this object (a control's own name, say); the class
    // name unless a descendant says otherwise.
    virtual std::string objectName() const { return className_; }

    // Events. Names compare without regard to letter case ("UE_OK" raises `ue_ok`) and keep the
    // case they were declared with.
    void on(std::string_view event, Handler handler);  // defines or replaces the script
    // Extends the ancestor's script: it runs first, then `handler`, whose result is the event's.
    void extend(std::string_view event, Handler handler);
    // The script in force (empty when none), for a descendant that calls its ancestor itself.
    Handler handler(std::string_view event) const;
    bool hasEvent(std::string_view event) const;

    // Runs the event at once and returns its value; an event without a script does nothing and
    // gives the default (null). Entered from outside any event, this is a dispatch boundary.
    Value trigger(std::string_view event, std::vector<Value> args = {});
    // Queues the event (arguments taken now) to run after the running script, in order posted.
    void post(std::string_view event, std::vector<Value> args = {});

    // The object that owns this one (a window for its controls); destroying the parent destroys
    // its children after the parent's `destructor`.
    Object* parent() const { return parent_.get(); }
    void setParent(Object* parent);
    std::vector<Object*> children() const;

    // True from the start of destroy(): its `destructor` is running or has run.
    bool isDestroying() const { return destroying_; }

private:
    friend class ObjectRef;
    friend void destroy(Object* object);
    friend class EventScope;
    Value invoke(std::string_view event, const std::vector<Value>& args);

    std::string className_;
    std::shared_ptr<detail::Anchor> anchor_ = std::make_shared<detail::Anchor>();
    std::map<std::string, Handler, detail::CaseBlindLess> events_;
    Ref<Object> parent_;
    std::vector<Ref<Object>> children_;
    int busy_ = 0;  // events of this object that are running
    bool destroying_ = false;
    bool releaseWhenIdle_ = false;
};

template <class T>
Ref<T>::Ref(T* object) : ObjectRef(static_cast<const Object*>(object)), typed_(object) {}

// The object an event argument refers to, as class T; invalid for other values, a destroyed
// object or one of another class.
template <class T>
Ref<T> objectArg(const Value& value) {
    Ref<T> r;
    if (T* t = dynamic_cast<T*>(value.toObject())) r = Ref<T>(t);
    return r;
}

// Lifetime. The runtime owns created objects until they are destroyed.
namespace detail {
Object* adopt(std::unique_ptr<Object> object, Object* parent);
}

// Takes an object made by the caller into the runtime and raises its `constructor`.
template <class T>
Ref<T> adopt(std::unique_ptr<T> object, Object* parent = nullptr) {
    T* raw = object.get();
    Ref<T> ref(raw);
    detail::adopt(std::move(object), parent);
    return ref;
}

template <class T, class... A>
Ref<T> create(A&&... args) {
    return adopt(std::make_unique<T>(std::forward<A>(args)...));
}

template <class T, class... A>
Ref<T> createChild(Object& parent, A&&... args) {
    return adopt(std::make_unique<T>(std::forward<A>(args)...), &parent);
}

// Raises `destructor`, destroys the children, invalidates every reference and frees the object
// (once its running events have returned, so an object may destroy itself in its own event).
// Destroying an invalid reference does nothing.
void destroy(Object* object);
template <class T>
void destroy(const Ref<T>& ref) {
    destroy(static_cast<Object*>(ref.get()));
}

// Whether the reference names a live object.
template <class T>
bool isValid(const Ref<T>& ref) {
    return ref.isValid();
}

// The class registry: the outside libraries' classes are created by name.
using Factory = std::function<std::unique_ptr<Object>()>;
void registerClass(std::string_view className, Factory factory);
template <class T>
void registerClass(std::string_view className) {
    registerClass(className, [] { return std::make_unique<T>(); });
}
bool isClassRegistered(std::string_view className);
// Creates an object of a registered class (names without regard to case); an unknown class is
// a runtime error.
Ref<Object> createByName(std::string_view className, Object* parent = nullptr);

}  // namespace runtime
