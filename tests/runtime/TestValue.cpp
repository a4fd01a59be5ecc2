// Conversions of runtime values.
#include <gtest/gtest.h>

#include <limits>

#include "runtime/Value.h"

using runtime::Value;

namespace {

TEST(Value, ConversionsOfEveryKind) {
    struct Case {
        Value value;
        bool asBool;
        int64_t asInt;
        double asReal;
        std::string asText;
    };
    const Case cases[] = {
        {Value(), false, 0, 0.0, ""},
        {Value(true), true, 1, 1.0, "true"},
        {Value(0), false, 0, 0.0, "0"},
        {Value(-42), true, -42, -42.0, "-42"},
        {Value(2.5), true, 2, 2.5, "2.5"},
        {Value(-2.5), true, -2, -2.5, "-2.5"},
        {Value(3.0), true, 3, 3.0, "3"},
        {Value(0.1), true, 0, 0.1, "0.1"},
        {Value("12"), true, 12, 12.0, "12"},
        {Value(" 7 files"), true, 7, 7.0, " 7 files"},
        {Value("-3.75x"), true, -3, -3.75, "-3.75x"},
        {Value("abc"), false, 0, 0.0, "abc"},
        {Value(""), false, 0, 0.0, ""},
        {Value("TRUE"), true, 0, 0.0, "TRUE"},
        {Value("1e3"), true, 1, 1000.0, "1e3"},
        {Value("99999999999999999999"), true, std::numeric_limits<int64_t>::max(), 1e20,
         "99999999999999999999"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.asText);
        EXPECT_EQ(c.value.toBool(), c.asBool);
        EXPECT_EQ(c.value.toInt(), c.asInt);
        EXPECT_DOUBLE_EQ(c.value.toReal(), c.asReal);
        EXPECT_EQ(c.value.toText(), c.asText);
    }
    // Numbers print in the C locale, with no precision lost.
    EXPECT_EQ(Value(1234567.125).toText(), "1234567.125");
    EXPECT_EQ(Value(1e300).toText(), "1e+300");
    EXPECT_EQ(Value(1e300).toInt(), std::numeric_limits<int64_t>::max());
}

// Every integer type makes an integer value, without ambiguity; the largest unsigned ones keep
// their size as real numbers.
TEST(Value, EveryIntegerTypeMakesAnIntegerValue) {
    struct Case {
        Value value;
        bool isInt;
        double asReal;
    };
    const Case cases[] = {
        {Value(int8_t{-8}), true, -8},
        {Value(uint8_t{200}), true, 200},
        {Value(int16_t{-32768}), true, -32768},
        {Value(uint16_t{65535}), true, 65535},
        {Value(int32_t{-2147483647 - 1}), true, -2147483648.0},
        {Value(uint32_t{4294967295u}), true, 4294967295.0},
        {Value(std::numeric_limits<int64_t>::min()), true, -9223372036854775808.0},
        {Value(uint64_t{9223372036854775807ull}), true, 9223372036854775807.0},
        {Value(std::numeric_limits<uint64_t>::max()), false, 18446744073709551615.0},
        {Value(static_cast<short>(-3)), true, -3},
        {Value(5ul), true, 5},
        {Value(size_t{12}), true, 12},
        {Value(long{-7}), true, -7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value.toText());
        EXPECT_EQ(c.value.isInt(), c.isInt);
        EXPECT_EQ(c.value.isReal(), !c.isInt);
        EXPECT_DOUBLE_EQ(c.value.toReal(), c.asReal);
    }
    EXPECT_EQ(Value(int16_t{-1}), Value(-1));
    EXPECT_TRUE(Value(true).isBool());
}

}  // namespace
