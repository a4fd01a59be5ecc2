// Parsing of row-set expressions into the node list that Expression evaluates.
#include "runtime/data/Expression.h"

#include <ctime>

#include "runtime/services/Text.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace runtime {

namespace {

bool iequals(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

bool isIdentStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
bool isIdentChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '$' || c == '#' ||
           c == '%';
}

// Nesting deeper than this is refused rather than risking the stack.
constexpr int kMaxDepth = 200;
// Long chains (a AND b AND ...) nest as deeply as they are long when evaluated.
constexpr std::size_t kMaxNodes = 4000;

}  // namespace

class ExpressionParser {
public:
    ExpressionParser(std::string_view text, const ColumnResolver& resolve, Expression& out)
        : s_(text), resolve_(resolve), out_(out) {}

    void run() {
        skipBlanks();
        if (pos_ >= s_.size()) return fail("empty expression");
        int root = parseOr(0);
        if (!failed_) {
            skipBlanks();
            if (pos_ < s_.size()) fail("unexpected '" + std::string(1, s_[pos_]) + "'");
        }
        if (failed_) {
            out_.nodes_.clear();
            out_.root_ = -1;
            return;
        }
        out_.root_ = root;
        out_.error_.clear();
    }

private:
    using Op = Expression::Op;

    void fail(std::string what) {
        if (failed_) return;
        failed_ = true;
        out_.error_ = what + " at position " + std::to_string(pos_ + 1);
    }
    void skipBlanks() {
        while (pos_ < s_.size() && std::isspace(static_cast<unsigned char>(s_[pos_]))) ++pos_;
    }
    bool accept(std::string_view tok) {
        skipBlanks();
        if (s_.substr(pos_, tok.size()) == tok) {
            pos_ += tok.size();
            return true;
        }
        return false;
    }
    // A keyword such as AND: not followed by an identifier character.
    bool acceptWord(std::string_view word) {
        skipBlanks();
        if (pos_ + word.size() > s_.size() || !iequals(s_.substr(pos_, word.size()), word))
            return false;
        if (pos_ + word.size() < s_.size() && isIdentChar(s_[pos_ + word.size()])) return false;
        pos_ += word.size();
        return true;
    }
    void expect(std::string_view tok) {
        if (!accept(tok)) fail("expecting '" + std::string(tok) + "'");
    }
    int add(Expression::Node n) {
        if (out_.nodes_.size() >= kMaxNodes) {
            fail("expression too long");
            return -1;
        }
        out_.nodes_.push_back(std::move(n));
        return static_cast<int>(out_.nodes_.size()) - 1;
    }
    ValueKind kindOf(int n) const { return n < 0 ? ValueKind::Any : out_.nodes_[n].kind; }
    int binary(Op op, int a, int b, ValueKind kind) {
        Expression::Node n;
        n.op = op;
        n.a = a;
        n.b = b;
        n.kind = kind;
        return add(std::move(n));
    }
    bool deep(int depth) {
        if (depth > kMaxDepth) {
            fail("expression nested too deeply");
            return true;
        }
        return false;
    }

    int parseOr(int depth) {
        if (deep(depth)) return -1;
        int left = parseAnd(depth + 1);
        while (!failed_ && acceptWord("or")) {
            int right = parseAnd(depth + 1);
            left = binary(Op::Or, left, right, ValueKind::Number);
        }
        return left;
    }
    int parseAnd(int depth) {
        int left = parseNot(depth);
        while (!failed_ && acceptWord("and")) {
            int right = parseNot(depth);
            left = binary(Op::And, left, right, ValueKind::Number);
        }
        return left;
    }
    int parseNot(int depth) {
        if (deep(depth)) return -1;
        if (acceptWord("not")) {
            int inner = parseNot(depth + 1);
            return binary(Op::Not, inner, -1, ValueKind::Number);
        }
        return parseComparison(depth);
    }
    int parseComparison(int depth) {
        int left = parseSum(depth);
        if (failed_) return left;
        Op op;
        if (accept("<>")) op = Op::Ne;
        else if (accept("<=")) op = Op::Le;
        else if (accept(">=")) op = Op::Ge;
        else if (accept("=")) op = Op::Eq;
        else if (accept("<")) op = Op::Lt;
        else if (accept(">")) op = Op::Gt;
        else return left;
        std::size_t at = pos_;
        int right = parseSum(depth);
        if (failed_) return left;
        ValueKind l = kindOf(left), r = kindOf(right);
        if (l != ValueKind::Any && r != ValueKind::Any && l != r) {
            pos_ = at;
            fail("comparison of a text with a number");
            return left;
        }
        return binary(op, left, right, ValueKind::Number);
    }
    int parseSum(int depth) {
        int left = parseProduct(depth);
        while (!failed_) {
            Op op;
            if (accept("+")) op = Op::Add;
            else if (accept("-")) op = Op::Sub;
            else break;
            std::size_t at = pos_;
            int right = parseProduct(depth);
            if (failed_) break;
            ValueKind l = kindOf(left), r = kindOf(right);
            ValueKind kind = ValueKind::Any;
            if (op == Op::Sub) {
                if (l == ValueKind::Text || r == ValueKind::Text) {
                    pos_ = at;
                    fail("subtraction of a text");
                    break;
                }
                kind = ValueKind::Number;
            } else if (l != ValueKind::Any && r != ValueKind::Any) {
                if (l != r) {
                    pos_ = at;
                    fail("a text joined with a number");
                    break;
                }
                kind = l;
            }
            left = binary(op, left, right, kind);
        }
        return left;
    }
    int parseProduct(int depth) {
        int left = parseUnary(depth);
        while (!failed_) {
            Op op;
            if (accept("*")) op = Op::Mul;
            else if (accept("/")) op = Op::Div;
            else break;
            std::size_t at = pos_;
            int right = parseUnary(depth);
            if (failed_) break;
            if (kindOf(left) == ValueKind::Text || kindOf(right) == ValueKind::Text) {
                pos_ = at;
                fail("arithmetic on a text");
                break;
            }
            left = binary(op, left, right, ValueKind::Number);
        }
        return left;
    }
    int parseUnary(int depth) {
        if (deep(depth)) return -1;
        if (accept("-")) {
            std::size_t at = pos_;
            int inner = parseUnary(depth + 1);
            if (!failed_ && kindOf(inner) == ValueKind::Text) {
                pos_ = at;
                fail("arithmetic on a text");
            }
            return binary(Op::Neg, inner, -1, ValueKind::Number);
        }
        if (accept("+")) return parseUnary(depth + 1);
        return parsePrimary(depth);
    }

    int parsePrimary(int depth) {
        skipBlanks();
        if (pos_ >= s_.size()) {
            fail("unexpected end");
            return -1;
        }
        char c = s_[pos_];
        if (c == '(') {
            ++pos_;
            int inner = parseOr(depth + 1);
            expect(")");
            return inner;
        }
        if (c == '\'' || c == '"') return parseText();
        if (std::isdigit(static_cast<unsigned char>(c)) ||
            (c == '.' && pos_ + 1 < s_.size() && std::isdigit(static_cast<unsigned char>(s_[pos_ + 1]))))
            return parseNumber();
        if (c == '#') {
            std::size_t start = pos_++;
            while (pos_ < s_.size() && std::isdigit(static_cast<unsigned char>(s_[pos_]))) ++pos_;
            if (pos_ == start + 1) {
                fail("expecting a column number after '#'");
                return -1;
            }
            return columnRef(s_.substr(start, pos_ - start), start);
        }
        if (isIdentStart(c)) {
            std::size_t start = pos_;
            while (pos_ < s_.size() && isIdentChar(s_[pos_])) ++pos_;
            std::string_view name = s_.substr(start, pos_ - start);
            std::size_t afterName = pos_;
            skipBlanks();
            if (pos_ < s_.size() && s_[pos_] == '(') {
                ++pos_;
                return parseCall(name, start, depth);
            }
            pos_ = afterName;
            return columnRef(name, start);
        }
        fail("unexpected '" + std::string(1, c) + "'");
        return -1;
    }

    int columnRef(std::string_view name, std::size_t start) {
        std::optional<ExpressionColumn> col = resolve_ ? resolve_(name) : std::nullopt;
        if (!col) {
            pos_ = start;
            fail("unknown column '" + std::string(name) + "'");
            return -1;
        }
        Expression::Node n;
        n.kind = col->kind;
        if (col->computed) {
            if (!col->computed->valid()) {
                pos_ = start;
                fail("computed column '" + std::string(name) + "' is invalid");
                return -1;
            }
            n.op = Op::Computed;
            n.computed = col->computed;
            if (col->computed->usesAggregate()) out_.aggregate_ = true;
            n.kind = col->computed->kind();
        } else {
            n.op = Op::Column;
            n.column = col->index;
        }
        return add(std::move(n));
    }

    int parseCall(std::string_view name, std::size_t start, int depth) {
        if (iequals(name, "page") || iequals(name, "pagecount") || iequals(name, "today")) {
            expect(")");
            if (failed_) return -1;
            Op op = iequals(name, "page") ? Op::Page : iequals(name, "pagecount") ? Op::PageCount : Op::Today;
            return binary(op, -1, -1, op == Op::Today ? ValueKind::Text : ValueKind::Number);
        }
        if (iequals(name, "if")) {
            int c = parseOr(depth + 1);
            expect(",");
            int a = parseOr(depth + 1);
            expect(",");
            int b = parseOr(depth + 1);
            expect(")");
            if (failed_) return -1;
            Expression::Node n;
            n.op = Op::If;
            n.a = c;
            n.b = a;
            n.c = b;
            ValueKind ka = kindOf(a), kb = kindOf(b);
            n.kind = ka == kb ? ka : ValueKind::Any;
            return add(std::move(n));
        }
        if (iequals(name, "upper") || iequals(name, "lower") || iequals(name, "trim")) {
            Op op = iequals(name, "upper") ? Op::Upper : iequals(name, "lower") ? Op::Lower : Op::Trim;
            std::size_t at = pos_;
            int arg = parseOr(depth + 1);
            expect(")");
            if (failed_) return -1;
            if (kindOf(arg) == ValueKind::Number) {
                pos_ = at;
                fail(std::string(name) + "() of a number");
                return -1;
            }
            return binary(op, arg, -1, ValueKind::Text);
        }
        if (iequals(name, "string")) {
            int value = parseOr(depth + 1);
            int mask = -1;
            if (accept(",")) {
                std::size_t at = pos_;
                mask = parseOr(depth + 1);
                if (!failed_ && kindOf(mask) == ValueKind::Number) {
                    pos_ = at;
                    fail("a mask must be a text");
                }
            }
            expect(")");
            if (failed_) return -1;
            return binary(Op::Format, value, mask, ValueKind::Text);
        }
        Op aggregate;
        if (iequals(name, "max")) aggregate = Op::Max;
        else if (iequals(name, "min")) aggregate = Op::Min;
        else if (iequals(name, "sum")) aggregate = Op::Sum;
        else if (iequals(name, "count")) aggregate = Op::Count;
        else {
            pos_ = start;
            fail("unknown function '" + std::string(name) + "'");
            return -1;
        }
        std::size_t at = pos_;
        int arg = parseOr(depth + 1);
        if (failed_) return -1;
        int level = 0;
        bool distinct = false;
        if (acceptWord("for")) {
            if (acceptWord("group")) {
                skipBlanks();
                std::size_t digits = pos_;
                while (pos_ < s_.size() && std::isdigit(static_cast<unsigned char>(s_[pos_]))) ++pos_;
                if (digits == pos_ || pos_ - digits > 3) {
                    fail("expecting a group number");
                    return -1;
                }
                level = std::stoi(std::string(s_.substr(digits, pos_ - digits)));
                if (level < 1) {
                    fail("expecting a group number");
                    return -1;
                }
            } else if (!acceptWord("all")) {
                fail("expecting 'all' or 'group' after 'for'");
                return -1;
            }
            distinct = acceptWord("distinct");
        }
        expect(")");
        if (failed_) return -1;
        if (aggregate == Op::Sum && kindOf(arg) == ValueKind::Text) {
            pos_ = at;
            fail("sum() of a text");
            return -1;
        }
        if (distinct && aggregate != Op::Count) {
            pos_ = at;
            fail("distinct is only for count()");
            return -1;
        }
        out_.aggregate_ = true;
        ValueKind kind = aggregate == Op::Count || aggregate == Op::Sum ? ValueKind::Number : kindOf(arg);
        int node = binary(aggregate, arg, -1, kind);
        if (node >= 0) {
            out_.nodes_[node].column = level;
            out_.nodes_[node].distinct = distinct;
        }
        return node;
    }

    int parseText() {
        char quote = s_[pos_++];
        std::string text;
        for (;;) {
            if (pos_ >= s_.size()) {
                fail("text without its closing quote");
                return -1;
            }
            char c = s_[pos_++];
            if (c == '~' && pos_ < s_.size() &&
                (s_[pos_] == '\'' || s_[pos_] == '"' || s_[pos_] == '~')) {
                text += s_[pos_++];
            } else if (c == quote) {
                if (pos_ < s_.size() && s_[pos_] == quote) {
                    text += quote;
                    ++pos_;
                } else {
                    break;
                }
            } else {
                text += c;
            }
        }
        Expression::Node n;
        n.op = Op::Literal;
        n.kind = ValueKind::Text;
        n.literal = Value(std::move(text));
        return add(std::move(n));
    }

    int parseNumber() {
        std::size_t start = pos_;
        bool real = false;
        while (pos_ < s_.size() && std::isdigit(static_cast<unsigned char>(s_[pos_]))) ++pos_;
        if (pos_ < s_.size() && s_[pos_] == '.') {
            real = true;
            ++pos_;
            while (pos_ < s_.size() && std::isdigit(static_cast<unsigned char>(s_[pos_]))) ++pos_;
        }
        if (pos_ < s_.size() && (s_[pos_] == 'e' || s_[pos_] == 'E')) {
            std::size_t save = pos_++;
            if (pos_ < s_.size() && (s_[pos_] == '+' || s_[pos_] == '-')) ++pos_;
            if (pos_ < s_.size() && std::isdigit(static_cast<unsigned char>(s_[pos_]))) {
                real = true;
                while (pos_ < s_.size() && std::isdigit(static_cast<unsigned char>(s_[pos_])))
                    ++pos_;
            } else {
                pos_ = save;
            }
        }
        if (pos_ < s_.size() && isIdentStart(s_[pos_])) {
            fail("malformed number");
            return -1;
        }
        std::string_view digits = s_.substr(start, pos_ - start);
        Expression::Node n;
        n.op = Op::Literal;
        n.kind = ValueKind::Number;
        int64_t i = 0;
        if (!real) {
            auto [p, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), i);
            if (ec != std::errc() || p != digits.data() + digits.size()) real = true;
        }
        if (real) {
            n.literal = Value(std::strtod(std::string(digits).c_str(), nullptr));
        } else {
            n.literal = Value(static_cast<long long>(i));
        }
        return add(std::move(n));
    }

    std::string_view s_;
    const ColumnResolver& resolve_;
    Expression& out_;
    std::size_t pos_ = 0;
    bool failed_ = false;
};

Expression Expression::compile(std::string_view text, const ColumnResolver& resolve) {
    Expression e;
    e.text_ = std::string(text);
    e.error_.clear();
    ExpressionParser(text, resolve, e).run();
    return e;
}

ValueKind Expression::kind() const {
    return root_ < 0 ? ValueKind::Any : nodes_[root_].kind;
}

int Expression::plainColumn() const {
    return root_ >= 0 && nodes_[root_].op == Op::Column ? nodes_[root_].column : -1;
}

}  // namespace runtime
