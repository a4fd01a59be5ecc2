#pragma once
// A value of the host runtime: null, boolean, integer, real number or text.
#include <cstdint>
#include <string>
#include <variant>

namespace runtime {

class Value {
public:
    using Storage = std::variant<std::monostate, bool, int64_t, double, std::string>;

    Value() = default;
    Value(std::nullptr_t) {}
    Value(bool b) : v_(b) {}
    Value(int i) : v_(int64_t{i}) {}
    Value(long i) : v_(int64_t{i}) {}
    Value(long long i) : v_(int64_t{i}) {}
    Value(unsigned u) : v_(int64_t{u}) {}
    Value(double d) : v_(d) {}
    Value(std::string s) : v_(std::move(s)) {}
    Value(std::string_view s) : v_(std::string(s)) {}
    Value(const char* s) : v_(std::string(s)) {}

    bool isNull() const { return v_.index() == 0; }
    bool isBool() const { return v_.index() == 1; }
    bool isInt() const { return v_.index() == 2; }
    bool isReal() const { return v_.index() == 3; }
    bool isNumber() const { return isInt() || isReal(); }
    bool isText() const { return v_.index() == 4; }

    // Conversions of the runtime: null gives the type's empty value.
    bool toBool() const;
    int64_t toInt() const;  // texts: their leading number, 0 when none
    double toReal() const;
    std::string toText() const;  // numbers in the C locale

    const Storage& storage() const { return v_; }
    friend bool operator==(const Value&, const Value&) = default;

private:
    Storage v_;
};

}  // namespace runtime
