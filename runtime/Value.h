#pragma once
// A value of the host runtime: null, boolean, integer, real number, text, an object reference
// (weak: it reads as invalid once the object is destroyed), a data-window object (a snapshot
// of what a click or a field hit, taken when the event was raised) or a record (a structure
// kept by value, as an item's data holds one).
#include <any>
#include <concepts>
#include <cstdint>
#include <memory>
#include <string>
#include <type_traits>
#include <variant>

namespace runtime {

class Object;

namespace detail {
// Shared by an object and its references; `alive` turns false when the object is destroyed.
struct Anchor {
    bool alive = true;
};
}  // namespace detail

// An untyped weak reference to an object; Ref<T> (core/Object.h) is its typed form.
class ObjectRef {
public:
    ObjectRef() = default;
    ObjectRef(std::nullptr_t) {}
    ObjectRef(const Object* object);  // defined with Object

    bool isValid() const { return anchor_ && anchor_->alive; }
    Object* object() const { return isValid() ? object_ : nullptr; }
    friend bool operator==(const ObjectRef& a, const ObjectRef& b) { return a.object() == b.object(); }

protected:
    std::shared_ptr<detail::Anchor> anchor_;
    Object* object_ = nullptr;
};

// An object of a data window as an event sees it: its name and type ("column", "text",
// "compute", "datawindow" outside any object), its band, its column number (0 for others) and
// the row it was hit on.
struct DwObject {
    std::string type = "datawindow";
    std::string name = "datawindow";
    std::string band;
    int column = 0;
    int tabSequence = 0;
    int protect = 0;
    long row = 0;
    friend bool operator==(const DwObject&, const DwObject&) = default;
};

class Value {
public:
    using Storage = std::variant<std::monostate, bool, int64_t, double, std::string, ObjectRef,
                                 std::shared_ptr<const DwObject>, std::shared_ptr<const std::any>>;

    Value() = default;
    Value(std::nullptr_t) {}
    Value(bool b) : v_(b) {}
    // Every integer type but the character one; unsigned numbers beyond the signed range keep
    // their size as a real number.
    template <std::integral I>
    requires(!std::same_as<I, bool> && !std::same_as<I, char>) Value(I i) {
        if constexpr (std::is_unsigned_v<I> && sizeof(I) >= sizeof(int64_t)) {
            if (i > static_cast<uint64_t>(INT64_MAX)) {
                v_ = static_cast<double>(i);
                return;
            }
        }
        v_ = static_cast<int64_t>(i);
    }
    Value(char) = delete;  // a character is neither a number nor a text here
    Value(double d) : v_(d) {}
    Value(std::string s) : v_(std::move(s)) {}
    Value(std::string_view s) : v_(std::string(s)) {}
    Value(const char* s) : v_(std::string(s)) {}
    Value(ObjectRef ref) : v_(std::move(ref)) {}
    // An object (a control, a window, a row set): held weakly.
    template <class T>
    requires std::is_base_of_v<Object, T> Value(T* object) : v_(ObjectRef(object)) {}
    Value(DwObject object) : v_(std::make_shared<const DwObject>(std::move(object))) {}

    bool isNull() const { return v_.index() == 0; }
    bool isBool() const { return v_.index() == 1; }
    bool isInt() const { return v_.index() == 2; }
    bool isReal() const { return v_.index() == 3; }
    bool isNumber() const { return isInt() || isReal(); }
    bool isText() const { return v_.index() == 4; }
    bool isObject() const { return v_.index() == 5; }
    bool isDwObject() const { return v_.index() == 6; }
    bool isRecord() const { return v_.index() == 7; }

    // A record: a copy of `r`, read back with toRecord<T>(). It converts to no number or text.
    template <class T>
    static Value record(T r) {
        Value v;
        v.v_ = std::make_shared<const std::any>(std::move(r));
        return v;
    }
    // The record when it is a T; nullptr otherwise.
    template <class T>
    const T* toRecord() const {
        const auto* p = std::get_if<std::shared_ptr<const std::any>>(&v_);
        return p && *p ? std::any_cast<T>(p->get()) : nullptr;
    }

    // Conversions of the runtime: null gives the type's empty value. An object reference is
    // true while its object lives and converts to no number or text; a data-window object
    // converts to its name.
    bool toBool() const;
    int64_t toInt() const;  // texts: their leading number, 0 when none
    double toReal() const;
    std::string toText() const;  // numbers in the C locale
    // The object referred to; nullptr for other values and for a destroyed object.
    Object* toObject() const;
    // The data-window object; nullptr for other values.
    const DwObject* toDwObject() const;

    const Storage& storage() const { return v_; }
    friend bool operator==(const Value& a, const Value& b);

private:
    Storage v_;
};

}  // namespace runtime
