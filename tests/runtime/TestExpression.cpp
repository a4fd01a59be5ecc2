// The expression language: every expression the row sets are given, with nulls and malformed
// texts.
#include "runtime/data/Expression.h"

#include <gtest/gtest.h>

#include <array>

using runtime::Expression;
using runtime::ExpressionColumn;
using runtime::Value;
using runtime::ValueKind;

namespace {

// Columns of the fixture rows.
enum Col { Id, Name, Exe, Filegrpid, Proggrpid, Objectname, Parentobjectname, Privilege, Color, Count };
constexpr std::array<const char*, Count> kNames = {
    "id", "name", "exe", "filegrpid", "proggrpid", "objectname", "parentobjectname", "privilege", "color"};
constexpr std::array<ValueKind, Count> kKinds = {
    ValueKind::Number, ValueKind::Text, ValueKind::Number, ValueKind::Number, ValueKind::Number,
    ValueKind::Text,   ValueKind::Text, ValueKind::Number, ValueKind::Number};

std::optional<ExpressionColumn> resolve(std::string_view name) {
    for (int i = 0; i < Count; ++i) {
        std::string lower;
        for (char c : name) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (lower == kNames[i]) return ExpressionColumn{i, kKinds[i], nullptr};
    }
    if (name.size() > 1 && name[0] == '#') {
        int n = std::stoi(std::string(name.substr(1)));
        if (n >= 1 && n <= Count) return ExpressionColumn{n - 1, kKinds[n - 1], nullptr};
    }
    return std::nullopt;
}

using Row = std::vector<Value>;

Row fileRow() {
    return {Value(7), Value("O'Brien"), Value(0.0), Value(3), Value(2), Value("dw_1"), Value("w_x"),
            Value(1), Value(16777215)};
}
Row nullRow() { return Row(Count); }

class Rows : public runtime::ExpressionRows {
public:
    explicit Rows(std::vector<Row> rows) : rows_(std::move(rows)) {}
    std::size_t count() const override { return rows_.size(); }
    std::span<const Value> row(std::size_t i) const override { return rows_[i]; }

private:
    std::vector<Row> rows_;
};

struct Case {
    const char* text;
    Row row;
    Value expected;  // what evaluate() answers
    bool passes;     // what a filter makes of it
};

TEST(Expression, EvaluatesEveryExpressionTheRowSetsAreGiven) {
    const Row file = fileRow();
    const Row nulls = nullRow();
    const std::vector<Case> cases = {
        {"filegrpid = 3", file, Value(true), true},
        {"filegrpid = 4", file, Value(false), false},
        {"filegrpid = 3", nulls, Value(), false},
        {"proggrpid = 2", file, Value(true), true},
        {"id=7", file, Value(true), true},
        {"id<>7", file, Value(false), false},
        {"id<>7", nulls, Value(), false},
        {"id = 7", file, Value(true), true},
        {"ID = 7", file, Value(true), true},
        {"Id=7", file, Value(true), true},
        {"upper(name) = 'O''BRIEN'", file, Value(true), true},
        {"upper(name) = 'O~'BRIEN'", file, Value(true), true},
        {"upper(name) = 'O''BRIEN'", nulls, Value(), false},
        {"name = 'O''Brien'", file, Value(true), true},
        {"name = 'o''brien'", file, Value(false), false},  // exact: letter case counts
        {"name = 'O''Brien'", nulls, Value(), false},
        {"objectname = 'dw_1' AND parentobjectname = 'w_x' AND privilege = 1", file, Value(true), true},
        {"objectname = 'dw_1' AND parentobjectname = 'w_y' AND privilege = 1", file, Value(false), false},
        {"objectname = 'dw_1' AND parentobjectname = 'w_x' AND privilege = 1", nulls, Value(), false},
        {"if(exe=0, 1, 0)", file, Value(1), true},
        {"if(exe=0, 1, 0)", nulls, Value(0), false},  // null condition: third argument
        {"if(exe=0, 8421504, 0)", file, Value(8421504), true},
        {"if(exe=0, 12632256, 16777215)", file, Value(12632256), true},
        {"if(exe=0, 12632256, 16777215)", nulls, Value(16777215), true},
        {"color", file, Value(16777215), true},
        {" color ", file, Value(16777215), true},
        {"if (color = 16777215, 0, 16777215)", file, Value(0), false},
        {"if (color = 16777215, 0, 16777215)", nulls, Value(16777215), true},
        {"NOT (id = 7)", file, Value(false), false},
        {"NOT (id = 7)", nulls, Value(), false},
        {"id = 7 OR name = 'x'", nulls, Value(), false},
        {"id = 1 OR name = 'O''Brien'", file, Value(true), true},
        {"id = 1 or id = 7 and exe = 1", file, Value(false), false},  // AND binds tighter
        {"(id = 1 or id = 7) and exe = 0", file, Value(true), true},
        {"name + 'x' = 'O''Brienx'", file, Value(true), true},
        {"name + 'x'", nulls, Value(), false},  // joined with null: null
        {"id + 1 >= 8 and id - 1 <= 6 and id * 2 > 13 and id / 2 < 4", file, Value(true), true},
        {"#1 = 7", file, Value(true), true},
        {"name < 'P' and name > 'N'", file, Value(true), true},
        {"upper(\"a~\"b\") = 'A\"B'", file, Value(true), true},
        {"'PROGRA~1' = 'PROGRA' + '~1'", file, Value(true), true},
        {"-id = -7", file, Value(true), true},
        {"1.5 * 2 = 3", file, Value(true), true},
        {"lower(name) = 'o''brien'", file, Value(true), true},
        {"trim('  a b  ') = 'a b'", file, Value(true), true},
        {"lower(trim('  A b  '))", file, Value("a b"), false},
        {"upper(trim('  a B  '))", file, Value("A B"), false},
        {"lower(trim('    '))", file, Value(""), false},
        {"lower(trim(name))", nulls, Value(), false},
        {"trim(name)", nulls, Value(), false},
        {"string(id, '0000000000')", file, Value("0000000007"), false},
        {"string(1234567, '###,###,###,###')", file, Value("1,234,567"), false},
        {"string(name)", file, Value("O'Brien"), false},
        {"string(id)", nulls, Value(), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        Expression e = Expression::compile(c.text, resolve);
        ASSERT_TRUE(e.valid()) << e.error();
        EXPECT_EQ(e.isTrue(c.row), c.passes);
        Value v = e.evaluate(c.row);
        if (c.expected.isNumber() && v.isNumber()) {
            EXPECT_EQ(runtime::expressionValueText(v), runtime::expressionValueText(c.expected));
        } else {
            EXPECT_EQ(v, c.expected);
        }
    }
}

TEST(Expression, MaxForAllWalksEveryRowAndSkipsNulls) {
    Row a = fileRow(), b = fileRow(), c = nullRow();
    a[Id] = Value(3);
    b[Id] = Value(12);
    Rows rows({a, c, b});
    Expression e = Expression::compile("max(  id  for all )", resolve);
    ASSERT_TRUE(e.valid()) << e.error();
    EXPECT_TRUE(e.usesAggregate());
    EXPECT_EQ(e.evaluate(a, &rows), Value(12));
    Rows none({});
    EXPECT_TRUE(e.evaluate(a, &none).isNull());
    Rows onlyNull({c});
    EXPECT_TRUE(e.evaluate(c, &onlyNull).isNull());
}

TEST(Expression, AggregatesSkipNulls) {
    Row a = fileRow(), b = fileRow(), c = nullRow(), d = fileRow();
    a[Id] = Value(3);
    b[Id] = Value(12);
    d[Id] = Value(3);
    Rows rows({a, c, b, d});
    struct Case {
        const char* text;
        Value expected;
    };
    const std::vector<Case> cases = {
        {"min(id for all)", Value(3)},
        {"sum(id for all)", Value(18)},
        {"sum(id * 1.5 for all)", Value(27.0)},
        {"count(id for all)", Value(3)},
        {"count(id for all distinct)", Value(2)},
        {"count(name for all)", Value(3)},
        {"max(name for all)", Value("O'Brien")},
        {"sum(id for group 1)", Value()},  // no groups here: no rows
        {"count(id for group 1)", Value(0)},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.text);
        Expression e = Expression::compile(k.text, resolve);
        ASSERT_TRUE(e.valid()) << e.error();
        EXPECT_EQ(e.evaluate(a, &rows), k.expected);
    }
    Rows none({});
    EXPECT_TRUE(Expression::compile("sum(id for all)", resolve).evaluate(a, &none).isNull());
    EXPECT_EQ(Expression::compile("count(id for all)", resolve).evaluate(a, &none), Value(0));
}

TEST(Expression, ComputedColumnsAreEvaluatedInPlace) {
    auto computed = std::make_shared<Expression>(Expression::compile("max(id for all)", resolve));
    auto withComputed = [&](std::string_view name) -> std::optional<ExpressionColumn> {
        if (name == "c_max_id") return ExpressionColumn{-1, ValueKind::Any, computed};
        return resolve(name);
    };
    Row a = fileRow(), b = fileRow();
    b[Id] = Value(9);
    Rows rows({a, b});
    Expression e = Expression::compile("c_max_id + 1", withComputed);
    ASSERT_TRUE(e.valid()) << e.error();
    EXPECT_EQ(e.evaluate(a, &rows), Value(10));
}

TEST(Expression, MalformedTextsAreInvalidWithAReason) {
    const char* malformed[] = {
        "",           "   ",         "id =",          "id = = 3",       "(id = 3",
        "id = 3)",    "name = 'x",   "nosuch = 1",    "name = 5",       "if(id=1, 2)",
        "upper(id)",  "max(id for)", "frobnicate(1)", "id = 3 and",     "name - 'a' = 'b'",
        "id = 3x",    "#",           "#99 = 1",       "id = 'O'Brien'", "'a' + 1",
        "id @ 3",     "not",         "sum(name for all)", "max(id for all distinct)",
        "sum(id for group)", "sum(id for group 0)", "count(id for some)", "lower(id)",
        "string(id, 5)",
    };
    for (const char* text : malformed) {
        SCOPED_TRACE(text);
        Expression e = Expression::compile(text, resolve);
        EXPECT_FALSE(e.valid());
        EXPECT_FALSE(e.error().empty());
        EXPECT_TRUE(e.evaluate(fileRow()).isNull());
        EXPECT_FALSE(e.isTrue(fileRow()));
    }
}

TEST(Expression, DeepNestingIsRefusedNotACrash) {
    std::string deep(5000, '(');
    deep += "1";
    deep += std::string(5000, ')');
    EXPECT_FALSE(Expression::compile(deep, resolve).valid());
    std::string nots;
    for (int i = 0; i < 5000; ++i) nots += "not ";
    nots += "id = 1";
    EXPECT_FALSE(Expression::compile(nots, resolve).valid());
    std::string chain;
    for (int i = 0; i < 20000; ++i) chain += "id = 1 and ";
    chain += "id = 1";
    EXPECT_FALSE(Expression::compile(chain, resolve).valid());
}

TEST(Expression, QuotedTextsReadBackUnchanged) {
    for (std::string text : {"O'Brien", "", "''", "C:\\PROGRA~1\\x", "~'", "a~~b", "it's ~"}) {
        SCOPED_TRACE(text);
        Expression e = Expression::compile(runtime::quoteForExpression(text), resolve);
        ASSERT_TRUE(e.valid()) << e.error();
        EXPECT_EQ(e.evaluate(fileRow()), Value(text));
    }
}

}  // namespace

namespace {

// What a row set may work out once for all its rows.
TEST(ExpressionSameForEveryRow, OnlyAggregatesOverAllRowsAndConstants) {
    const std::vector<std::pair<const char*, bool>> cases = {
        {"max(  id  for all )", true},
        {"max(id for all) + 1", true},
        {"count(name for all distinct)", true},
        {"if(sum(exe for all) > 0, 'a', 'b')", true},
        {"5", true},
        {"id", false},
        {"max(id for all) + id", false},
        {"max(id for group 1)", false},
        {"page()", false},
        {"today()", false},
        {"max(id for all", false},
    };
    for (const auto& [text, same] : cases)
        EXPECT_EQ(Expression::compile(text, resolve).sameForEveryRow(), same) << text;
}

}  // namespace
