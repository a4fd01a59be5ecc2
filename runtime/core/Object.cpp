#include "runtime/core/Object.h"

#include <algorithm>
#include <cctype>
#include <unordered_map>

#include "runtime/core/Dispatch.h"
#include "runtime/core/DispatchState.h"
#include "runtime/core/EventQueue.h"

namespace runtime {
namespace {

struct Store {
    std::unordered_map<const Object*, std::unique_ptr<Object>> objects;
    std::map<std::string, Factory, std::less<>> classes;  // by lower-case name
};

Store& store() {
    static Store s;
    return s;
}

std::string lower(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

// Frees a runtime-owned object (a no-op for one owned elsewhere).
void release(Object* object) {
    auto it = store().objects.find(object);
    if (it == store().objects.end()) return;
    std::unique_ptr<Object> owned = std::move(it->second);
    store().objects.erase(it);
    owned.reset();
}

}  // namespace

// Counts an object's running events and the dispatch depth; frees an object that was destroyed
// during its own event once that event returns.
class EventScope {
public:
    explicit EventScope(Object& object) : object_(object) {
        ++object_.busy_;
        ++detail::depth();
    }
    ~EventScope() {
        --detail::depth();
        if (--object_.busy_ == 0 && object_.releaseWhenIdle_) release(&object_);
    }
    EventScope(const EventScope&) = delete;
    EventScope& operator=(const EventScope&) = delete;

private:
    Object& object_;
};

bool detail::CaseBlindLess::operator()(std::string_view a, std::string_view b) const {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) < std::tolower(static_cast<unsigned char>(y));
    });
}

ObjectRef::ObjectRef(const Object* object) : object_(const_cast<Object*>(object)) {
    if (object) anchor_ = object->anchor_;
}

Object::Object(std::string className) : className_(std::move(className)) {}

Object::~Object() {
    anchor_->alive = false;
    if (Object* p = parent_.get()) {
        auto& siblings = p->children_;
        siblings.erase(
            std::remove_if(siblings.begin(), siblings.end(),
                           [this](const Ref<Object>& r) { return !r.isValid() || r.get() == this; }),
            siblings.end());
    }
    for (Ref<Object>& child : children_)
        if (Object* c = child.get()) c->parent_.reset();
}

void Object::on(std::string_view event, Handler handler) {
    auto it = events_.find(event);
    if (it == events_.end())
        events_.emplace(std::string(event), std::move(handler));
    else
        it->second = std::move(handler);
}

void Object::extend(std::string_view event, Handler handler) {
    Handler ancestor = this->handler(event);
    if (!ancestor) {
        on(event, std::move(handler));
        return;
    }
    on(event, [ancestor = std::move(ancestor), handler = std::move(handler)](Args args) {
        ancestor(args);
        return handler(args);
    });
}

Handler Object::handler(std::string_view event) const {
    auto it = events_.find(event);
    return it == events_.end() ? Handler{} : it->second;
}

bool Object::hasEvent(std::string_view event) const { return events_.find(event) != events_.end(); }

Value Object::trigger(std::string_view event, std::vector<Value> args) {
    if (!hasEvent(event)) return {};
    // Entered from the loop or the host: this call is a dispatch boundary.
    if (detail::depth() == 0) return runGuarded([&] { return invoke(event, args); });
    return invoke(event, args);
}

Value Object::invoke(std::string_view event, const std::vector<Value>& args) {
    auto it = events_.find(event);
    if (it == events_.end() || !it->second) return {};
    Handler script = it->second;  // a copy: the script may replace its own handler
    EventScope scope(*this);
    try {
        return script(args);
    } catch (RuntimeError& e) {
        e.locate(objectName(), std::string(event));
        throw;
    } catch (const detail::HaltUnwind&) {
        throw;
    } catch (const std::exception& e) {
        throw RuntimeError(objectName(), std::string(event), 0, e.what());
    }
}

void Object::post(std::string_view event, std::vector<Value> args) {
    EventQueue::post(Ref<Object>(this), std::string(event), std::move(args));
}

void Object::setParent(Object* parent) {
    if (parent == parent_.get()) return;
    if (Object* old = parent_.get()) {
        auto& siblings = old->children_;
        siblings.erase(
            std::remove_if(siblings.begin(), siblings.end(),
                           [this](const Ref<Object>& r) { return !r.isValid() || r.get() == this; }),
            siblings.end());
    }
    parent_ = Ref<Object>(parent);
    if (parent) parent->children_.push_back(Ref<Object>(this));
}

std::vector<Object*> Object::children() const {
    std::vector<Object*> out;
    for (const Ref<Object>& r : children_)
        if (Object* c = r.get()) out.push_back(c);
    return out;
}

Object* detail::adopt(std::unique_ptr<Object> object, Object* parent) {
    Object* raw = object.get();
    if (!raw) return nullptr;
    if (parent) raw->setParent(parent);
    store().objects.emplace(raw, std::move(object));
    Ref<Object> ref(raw);
    raw->trigger("constructor");
    return ref.get();
}

void destroy(Object* object) {
    if (!object || object->destroying_ || !object->anchor_->alive) return;
    object->destroying_ = true;
    Ref<Object> self(object);
    object->trigger("destructor");
    if (!self.isValid()) return;
    // Children go after their owner's destructor, the last made first.
    std::vector<Object*> kids = object->children();
    for (auto it = kids.rbegin(); it != kids.rend(); ++it) destroy(*it);
    object->anchor_->alive = false;
    object->setParent(nullptr);
    if (object->busy_ > 0)
        object->releaseWhenIdle_ = true;
    else
        release(object);
}

void registerClass(std::string_view className, Factory factory) {
    store().classes[lower(className)] = std::move(factory);
}

bool isClassRegistered(std::string_view className) {
    return store().classes.find(lower(className)) != store().classes.end();
}

Ref<Object> createByName(std::string_view className, Object* parent) {
    auto it = store().classes.find(lower(className));
    if (it == store().classes.end())
        throw RuntimeError("Unable to create an object of class \"" + std::string(className) +
                           "\": class not found");
    std::unique_ptr<Object> object = it->second();
    if (!object) throw RuntimeError("Unable to create an object of class \"" + std::string(className) + "\"");
    Object* raw = object.get();
    Ref<Object> ref(raw);
    detail::adopt(std::move(object), parent);
    return ref;
}

}  // namespace runtime
