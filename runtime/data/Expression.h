#pragma once
// The row sets' small expression language: column names (without regard to case), numbers,
// quoted texts, = <> < > <= >=, AND OR NOT, + - * /, parentheses, if(c, a, b), upper(s),
// lower(s), trim(s), string(value, mask), page(), pagecount(), today() (the date as
// "yyyy-mm-dd"; string() formats it with a mask of dd, mm, yyyy) and the aggregates max, min, sum and count of
// (expr for all) or (expr for group n), optionally followed by "distinct" (count only). A
// comparison with null is not true; arithmetic and joining with null give null; aggregates skip
// nulls. An expression is compiled once and then evaluated per row; a malformed text compiles to
// an invalid expression that carries an error text and evaluates to null.
#include "runtime/Value.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace runtime {

// What a compiled expression knows of a value's kind; Any when it cannot tell before running.
enum class ValueKind { Any, Number, Text };

class Expression;

// A name an expression refers to: a stored column of the row (its index in the row's values) or
// a computed column, whose expression is evaluated in its place.
struct ExpressionColumn {
    int index = -1;
    ValueKind kind = ValueKind::Any;
    std::shared_ptr<const Expression> computed;
};

// Finds a column by name ("id", "ID", or "#2" by number); nullopt when there is none.
using ColumnResolver = std::function<std::optional<ExpressionColumn>(std::string_view name)>;

// The rows an aggregate such as max(... for all) walks.
class ExpressionRows {
public:
    virtual ~ExpressionRows() = default;
    virtual std::size_t count() const = 0;
    virtual std::span<const Value> row(std::size_t i) const = 0;
    // The rows [first, last) of group `level` (1 = outermost) around the row being evaluated;
    // false when there are no such groups (the aggregate then sees no row).
    virtual bool groupRange(int level, std::size_t& first, std::size_t& last) const {
        (void)level, (void)first, (void)last;
        return false;
    }
    // The page being drawn and the number of pages, for page() and pagecount(); 0 outside a
    // report's pages.
    virtual long page() const { return 0; }
    virtual long pageCount() const { return 0; }
};

class Expression {
public:
    Expression() = default;  // invalid, error "empty expression"

    static Expression compile(std::string_view text, const ColumnResolver& resolve);

    bool valid() const { return error_.empty(); }
    const std::string& error() const { return error_; }
    const std::string& text() const { return text_; }
    ValueKind kind() const;
    bool usesAggregate() const { return aggregate_; }
    // True when the value is the same on every row: columns appear only inside aggregates over
    // all rows, and neither the page nor the date is used.
    bool sameForEveryRow() const;
    // The column index when the whole expression is one stored column, else -1.
    int plainColumn() const;

    // The value for one row; `all` is what aggregates walk (none: they see just this row).
    Value evaluate(std::span<const Value> row, const ExpressionRows* all = nullptr) const;
    // True only for a value that is neither null nor false nor zero.
    bool isTrue(std::span<const Value> row, const ExpressionRows* all = nullptr) const;

    enum class Op : uint8_t {
        Literal, Column, Computed, Neg, Not, And, Or,
        Eq, Ne, Lt, Gt, Le, Ge, Add, Sub, Mul, Div, If, Upper, Lower, Trim, Format,
        Max, Min, Sum, Count, Page, PageCount, Today
    };
    struct Node {
        Op op = Op::Literal;
        ValueKind kind = ValueKind::Any;
        int a = -1, b = -1, c = -1;  // children
        int column = -1;  // also: an aggregate's group level (0: all rows)
        bool distinct = false;
        Value literal;
        std::shared_ptr<const Expression> computed;
    };

private:
    friend class ExpressionParser;
    struct Context;
    Value eval(int node, const Context& ctx) const;
    const Value& evalRef(int node, const Context& ctx, Value& scratch) const;
    std::optional<bool> truth(int node, const Context& ctx) const;

    std::string text_;
    std::string error_ = "empty expression";
    std::vector<Node> nodes_;
    int root_ = -1;
    bool aggregate_ = false;
};

// Puts `text` between apostrophes so that the expression language reads it back unchanged
// (apostrophes doubled, tildes doubled).
std::string quoteForExpression(std::string_view text);

// Text of a value as Describe and evaluate() answer it: numbers in the C locale without
// superfluous zeros, null as the empty text.
std::string expressionValueText(const Value& v);

}  // namespace runtime
