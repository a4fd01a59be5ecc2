#include "runtime/Value.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace runtime {
namespace {

// The leading number of a text (blanks before it skipped), as its characters; empty when none.
std::string_view leadingNumber(std::string_view s, bool allowFraction) {
    size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
    size_t start = i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    size_t digits = 0;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i, ++digits;
    if (allowFraction && i < s.size() && s[i] == '.') {
        size_t j = i + 1;
        size_t fraction = 0;
        while (j < s.size() && s[j] >= '0' && s[j] <= '9') ++j, ++fraction;
        if (digits + fraction > 0) {
            i = j;
            digits += fraction;
        }
    }
    // An exponent counts only when digits follow it.
    if (allowFraction && digits > 0 && i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        size_t k = i + 1;
        if (k < s.size() && (s[k] == '+' || s[k] == '-')) ++k;
        size_t expDigits = 0;
        while (k < s.size() && s[k] >= '0' && s[k] <= '9') ++k, ++expDigits;
        if (expDigits > 0) i = k;
    }
    if (digits == 0) return {};
    return s.substr(start, i - start);
}

double textToReal(std::string_view s) {
    std::string_view n = leadingNumber(s, true);
    if (n.empty()) return 0.0;
    if (n.front() == '+') n.remove_prefix(1);
    double d = 0.0;
    std::from_chars(n.data(), n.data() + n.size(), d);
    return d;
}

int64_t textToInt(std::string_view s) {
    std::string_view n = leadingNumber(s, false);
    if (n.empty()) return 0;
    if (n.front() == '+') n.remove_prefix(1);
    int64_t i = 0;
    auto r = std::from_chars(n.data(), n.data() + n.size(), i);
    if (r.ec == std::errc::result_out_of_range)
        return n.front() == '-' ? std::numeric_limits<int64_t>::min() : std::numeric_limits<int64_t>::max();
    return i;
}

int64_t realToInt(double d) {
    if (std::isnan(d)) return 0;
    if (d >= 9.2e18) return std::numeric_limits<int64_t>::max();
    if (d <= -9.2e18) return std::numeric_limits<int64_t>::min();
    return static_cast<int64_t>(d);
}

}  // namespace

bool Value::toBool() const {
    switch (v_.index()) {
        case 1:
            return std::get<bool>(v_);
        case 2:
            return std::get<int64_t>(v_) != 0;
        case 3:
            return std::get<double>(v_) != 0.0;
        case 4: {
            const std::string& s = std::get<std::string>(v_);
            if (s.size() == 4 && (s[0] | 0x20) == 't' && (s[1] | 0x20) == 'r' && (s[2] | 0x20) == 'u' &&
                (s[3] | 0x20) == 'e')
                return true;
            return textToReal(s) != 0.0;
        }
        case 5:
            return std::get<ObjectRef>(v_).isValid();
        case 6:
        case 7:
            return true;
        default:
            return false;
    }
}

int64_t Value::toInt() const {
    switch (v_.index()) {
        case 1:
            return std::get<bool>(v_) ? 1 : 0;
        case 2:
            return std::get<int64_t>(v_);
        case 3:
            return realToInt(std::get<double>(v_));
        case 4:
            return textToInt(std::get<std::string>(v_));
        default:
            return 0;
    }
}

double Value::toReal() const {
    switch (v_.index()) {
        case 1:
            return std::get<bool>(v_) ? 1.0 : 0.0;
        case 2:
            return static_cast<double>(std::get<int64_t>(v_));
        case 3:
            return std::get<double>(v_);
        case 4:
            return textToReal(std::get<std::string>(v_));
        default:
            return 0.0;
    }
}

std::string Value::toText() const {
    switch (v_.index()) {
        case 1:
            return std::get<bool>(v_) ? "true" : "false";
        case 2:
            return std::to_string(std::get<int64_t>(v_));
        case 3: {
            double d = std::get<double>(v_);
            if (std::isnan(d)) return "nan";
            if (std::isinf(d)) return d > 0 ? "inf" : "-inf";
            // Whole numbers print without a fraction; others in their shortest exact form.
            if (d == std::trunc(d) && std::fabs(d) < 1e15) return std::to_string(static_cast<int64_t>(d));
            char buf[64];
            auto r = std::to_chars(buf, buf + sizeof buf, d);
            return std::string(buf, r.ptr);
        }
        case 4:
            return std::get<std::string>(v_);
        case 6:
            return std::get<6>(v_)->name;
        default:
            return {};
    }
}

Object* Value::toObject() const {
    const ObjectRef* ref = std::get_if<ObjectRef>(&v_);
    return ref ? ref->object() : nullptr;
}

const DwObject* Value::toDwObject() const {
    const auto* p = std::get_if<std::shared_ptr<const DwObject>>(&v_);
    return p ? p->get() : nullptr;
}

bool operator==(const Value& a, const Value& b) {
    if (a.isDwObject() && b.isDwObject()) return *a.toDwObject() == *b.toDwObject();
    return a.v_ == b.v_;
}

}  // namespace runtime
