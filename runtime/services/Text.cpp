#include "runtime/services/Text.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <optional>

namespace runtime {
namespace {

std::string twoDigits(int n, size_t width) {
    std::string s = std::to_string(n);
    if (s.size() < width) s.insert(0, width - s.size(), '0');
    return s;
}

// Replaces runs of the mask's letters by the values `field` gives for (letter, run length).
template <class Field>
std::string formatByMask(std::string_view mask, std::string_view letters, Field field) {
    std::string out;
    for (size_t i = 0; i < mask.size();) {
        char c = static_cast<char>(std::tolower(static_cast<unsigned char>(mask[i])));
        if (letters.find(c) == std::string_view::npos) {
            out += mask[i++];
            continue;
        }
        size_t run = 1;
        while (i + run < mask.size() && std::tolower(static_cast<unsigned char>(mask[i + run])) == c) ++run;
        out += field(c, run);
        i += run;
    }
    return out;
}

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

}  // namespace

DateTime now() {
    auto t = std::chrono::system_clock::now();
    std::time_t seconds = std::chrono::system_clock::to_time_t(t);
    std::tm local{};
    localtime_r(&seconds, &local);
    auto micro =
        std::chrono::duration_cast<std::chrono::microseconds>(t.time_since_epoch()).count() % 1000000;
    if (micro < 0) micro += 1000000;
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,          local.tm_hour,
            local.tm_min,         local.tm_sec,     static_cast<int>(micro)};
}

std::string formatDate(const DateTime& when, std::string_view mask) {
    return formatByMask(mask, "dmy", [&](char c, size_t run) -> std::string {
        switch (c) {
            case 'd':
                return twoDigits(when.day, run >= 2 ? 2 : 1);
            case 'm':
                return twoDigits(when.month, run >= 2 ? 2 : 1);
            default:
                if (run >= 4) return twoDigits(when.year, 4);
                return twoDigits(when.year % 100, 2);
        }
    });
}

std::string formatTime(const DateTime& when, std::string_view mask) {
    return formatByMask(mask, "hmsf", [&](char c, size_t run) -> std::string {
        switch (c) {
            case 'h':
                return twoDigits(when.hour, run >= 2 ? 2 : 1);
            case 'm':
                return twoDigits(when.minute, run >= 2 ? 2 : 1);
            case 's':
                return twoDigits(when.second, run >= 2 ? 2 : 1);
            default: {
                std::string micro = twoDigits(when.microsecond, 6);
                return micro.substr(0, std::min<size_t>(run, 6));
            }
        }
    });
}

namespace {

struct NumberMask {
    std::string_view prefix, suffix;
    size_t minWhole = 0, minFraction = 0, maxFraction = 0;
    bool group = false;
};

std::optional<NumberMask> parseMask(std::string_view mask) {
    size_t first = mask.find_first_of("#0");
    if (first == std::string_view::npos) return std::nullopt;
    size_t last = mask.find_last_of("#0");
    NumberMask m;
    m.prefix = mask.substr(0, first);
    m.suffix = mask.substr(last + 1);
    std::string_view body = mask.substr(first, last - first + 1);
    size_t point = body.find('.');
    std::string_view whole = body.substr(0, point);
    std::string_view fraction = point == std::string_view::npos ? std::string_view{} : body.substr(point + 1);
    m.minWhole = static_cast<size_t>(std::count(whole.begin(), whole.end(), '0'));
    m.group = whole.find(',') != std::string_view::npos;
    m.minFraction = static_cast<size_t>(std::count(fraction.begin(), fraction.end(), '0'));
    m.maxFraction = m.minFraction + static_cast<size_t>(std::count(fraction.begin(), fraction.end(), '#'));
    return m;
}

// Lays out the digits of a magnitude (whole part, fraction already rounded to maxFraction).
std::string applyMask(const NumberMask& m, bool negative, std::string intPart, std::string fracPart) {
    while (fracPart.size() > m.minFraction && fracPart.back() == '0') fracPart.pop_back();
    while (fracPart.size() < m.minFraction) fracPart += '0';
    if (intPart.size() < m.minWhole) intPart.insert(0, m.minWhole - intPart.size(), '0');
    if (m.group) {
        std::string grouped;
        for (size_t i = 0; i < intPart.size(); ++i) {
            if (i > 0 && (intPart.size() - i) % 3 == 0) grouped += ',';
            grouped += intPart[i];
        }
        intPart = grouped;
    }
    bool zero = std::all_of(intPart.begin(), intPart.end(), [](char c) { return c == '0' || c == ','; }) &&
                std::all_of(fracPart.begin(), fracPart.end(), [](char c) { return c == '0'; });
    std::string out = negative && !zero ? "-" : "";
    out += m.prefix;
    out += intPart;
    if (!fracPart.empty()) out += "." + fracPart;
    out += m.suffix;
    return out;
}

}  // namespace

std::string formatNumber(double value, std::string_view mask) {
    std::optional<NumberMask> m = parseMask(mask);
    if (!m || std::isnan(value) || std::isinf(value)) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.15g", value);
        return buf;
    }
    // Round half away from zero at the mask's last decimal.
    double scale = std::pow(10.0, static_cast<double>(m->maxFraction));
    double rounded = std::round(std::fabs(value) * scale) / scale;
    char buf[400];
    std::snprintf(buf, sizeof buf, "%.*f", static_cast<int>(m->maxFraction), rounded);
    std::string digits = buf;
    size_t point = digits.find('.');
    std::string intPart = digits.substr(0, point);
    std::string fracPart = point == std::string::npos ? std::string() : digits.substr(point + 1);
    return applyMask(*m, value < 0, intPart, fracPart);
}

std::string formatNumber(int64_t value, std::string_view mask) {
    std::optional<NumberMask> m = parseMask(mask);
    if (!m) return std::to_string(value);
    uint64_t magnitude =
        value < 0 ? uint64_t(0) - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    return applyMask(*m, value < 0, std::to_string(magnitude), std::string());
}

double textToNumber(std::string_view text) {
    std::string_view s = text;
    while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
    if (!s.empty() && s.front() == '+') s.remove_prefix(1);
    if (s.empty()) return 0;
    double d = 0;
    auto r = std::from_chars(s.data(), s.data() + s.size(), d, std::chars_format::fixed);
    if (r.ec != std::errc() || r.ptr != s.data() + s.size()) return 0;
    return d;
}

int64_t textToLong(std::string_view text) {
    double d = textToNumber(text);
    if (d >= 9.2e18 || d <= -9.2e18) return 0;
    return static_cast<int64_t>(std::llround(d));
}

std::string upper(std::string_view text) {
    std::string s(text);
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

std::string lower(std::string_view text) {
    std::string s(text);
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string leftTrim(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    return std::string(text);
}

std::string rightTrim(std::string_view text) {
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return std::string(text);
}

std::string trim(std::string_view text) { return leftTrim(rightTrim(text)); }

int64_t pos(std::string_view text, std::string_view find, int64_t start) {
    if (start < 1 || find.empty() || static_cast<size_t>(start - 1) > text.size()) return 0;
    size_t at = text.find(find, static_cast<size_t>(start - 1));
    return at == std::string_view::npos ? 0 : static_cast<int64_t>(at) + 1;
}

std::string mid(std::string_view text, int64_t start, int64_t length) {
    if (start < 1 || static_cast<size_t>(start - 1) >= text.size() || length == 0) return {};
    std::string_view rest = text.substr(static_cast<size_t>(start - 1));
    if (length < 0 || static_cast<size_t>(length) >= rest.size()) return std::string(rest);
    return std::string(rest.substr(0, static_cast<size_t>(length)));
}

std::string left(std::string_view text, int64_t length) {
    if (length <= 0) return {};
    return std::string(text.substr(0, static_cast<size_t>(length)));
}

std::string right(std::string_view text, int64_t length) {
    if (length <= 0) return {};
    if (static_cast<size_t>(length) >= text.size()) return std::string(text);
    return std::string(text.substr(text.size() - static_cast<size_t>(length)));
}

std::string replace(std::string_view text, int64_t start, int64_t length, std::string_view with) {
    if (start < 1) start = 1;
    if (length < 0) length = 0;
    size_t from = std::min(static_cast<size_t>(start - 1), text.size());
    size_t count = std::min(static_cast<size_t>(length), text.size() - from);
    std::string out(text.substr(0, from));
    out += with;
    out += text.substr(from + count);
    return out;
}

}  // namespace runtime
