#pragma once
// Text functions of the scripts: dates and times by mask, numbers by mask, text to number, and
// the 1-based text operations the scripts use.
#include <cstdint>
#include <string>
#include <string_view>

namespace runtime {

struct DateTime {
    int year = 1900, month = 1, day = 1;
    int hour = 0, minute = 0, second = 0, microsecond = 0;
};

// The local date and time now.
DateTime now();

// A date by mask: "dd"/"d" day, "mm"/"m" month, "yyyy"/"yy" year ("ddmmyyyy" -> "10122026").
std::string formatDate(const DateTime& when, std::string_view mask);
// A time by mask: "hh"/"h" hour (0-23), "mm"/"m" minute, "ss"/"s" second, "f".."ffffff" fractions
// of the second ("hhmmssff" -> "14302512", the last two digits hundredths).
std::string formatTime(const DateTime& when, std::string_view mask);

// A number by mask: "0" a digit always shown, "#" a digit shown when needed, "," in the whole
// part groups thousands, "." the decimal point; other characters before and after are kept. The
// whole part is never cut ("0000000000" gives at least ten digits) and its last digit always
// shows, so 0 gives "0" also under "###,###". Decimals are rounded half away from zero.
std::string formatNumber(double value, std::string_view mask);
std::string formatNumber(int64_t value, std::string_view mask);

// The number a text holds (blanks around it allowed); 0 when the text is not a number.
double textToNumber(std::string_view text);
int64_t textToLong(std::string_view text);

std::string upper(std::string_view text);
std::string lower(std::string_view text);
std::string trim(std::string_view text);  // blanks at both ends
std::string leftTrim(std::string_view text);
std::string rightTrim(std::string_view text);
// 1-based position of `find` at or after `start`; 0 when absent.
int64_t pos(std::string_view text, std::string_view find, int64_t start = 1);
// `length` characters from the 1-based `start` (all to the end when length < 0).
std::string mid(std::string_view text, int64_t start, int64_t length = -1);
std::string left(std::string_view text, int64_t length);
std::string right(std::string_view text, int64_t length);
// Replaces `length` characters from the 1-based `start` with `with`.
std::string replace(std::string_view text, int64_t start, int64_t length, std::string_view with);

}  // namespace runtime
