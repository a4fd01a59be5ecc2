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

struct Expression::Context {
    std::span<const Value> row;
    const ExpressionRows* all;
};

namespace {

const Value kNull;

std::string todayText() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char buf[16];
    std::strftime(buf, sizeof buf, "%Y-%m-%d", &local);
    return buf;
}

// A "yyyy-mm-dd" text through a mask of yyyy, yy, mm and dd; other texts stay as they are.
std::string formatDate(const std::string& text, const std::string& mask) {
    auto digits = [&](std::size_t at, std::size_t n) {
        for (std::size_t i = at; i < at + n; ++i)
            if (i >= text.size() || !std::isdigit(static_cast<unsigned char>(text[i]))) return false;
        return true;
    };
    if (text.size() < 10 || !digits(0, 4) || text[4] != '-' || !digits(5, 2) || text[7] != '-' || !digits(8, 2))
        return text;
    std::string out;
    for (std::size_t i = 0; i < mask.size();) {
        std::string_view rest = std::string_view(mask).substr(i);
        if (rest.substr(0, 4) == "yyyy") out += text.substr(0, 4), i += 4;
        else if (rest.substr(0, 2) == "yy") out += text.substr(2, 2), i += 2;
        else if (rest.substr(0, 2) == "mm") out += text.substr(5, 2), i += 2;
        else if (rest.substr(0, 2) == "dd") out += text.substr(8, 2), i += 2;
        else out += mask[i++];
    }
    return out;
}

// Numeric view of a value; nullopt for null and texts.
bool isNumeric(const Value& v) { return v.isNumber() || v.isBool(); }
double asDouble(const Value& v) {
    const auto& s = v.storage();
    if (auto p = std::get_if<int64_t>(&s)) return static_cast<double>(*p);
    if (auto p = std::get_if<double>(&s)) return *p;
    if (auto p = std::get_if<bool>(&s)) return *p ? 1.0 : 0.0;
    return 0.0;
}
bool asInt(const Value& v, int64_t& out) {
    const auto& s = v.storage();
    if (auto p = std::get_if<int64_t>(&s)) {
        out = *p;
        return true;
    }
    if (auto p = std::get_if<bool>(&s)) {
        out = *p ? 1 : 0;
        return true;
    }
    return false;
}

// -1, 0, 1; nullopt when the values cannot be compared (null, or a text with a number).
std::optional<int> compareValues(const Value& a, const Value& b) {
    if (a.isNull() || b.isNull()) return std::nullopt;
    if (a.isText() && b.isText()) {
        int c = std::get<std::string>(a.storage()).compare(std::get<std::string>(b.storage()));
        return c < 0 ? -1 : (c > 0 ? 1 : 0);
    }
    if (isNumeric(a) && isNumeric(b)) {
        int64_t x, y;
        if (asInt(a, x) && asInt(b, y)) return x < y ? -1 : (x > y ? 1 : 0);
        double dx = asDouble(a), dy = asDouble(b);
        if (std::isnan(dx) || std::isnan(dy)) return std::nullopt;
        return dx < dy ? -1 : (dx > dy ? 1 : 0);
    }
    return std::nullopt;
}

Value arithmetic(Expression::Op op, const Value& a, const Value& b) {
    using Op = Expression::Op;
    if (a.isNull() || b.isNull()) return {};
    if (op == Op::Add && a.isText() && b.isText())
        return Value(std::get<std::string>(a.storage()) + std::get<std::string>(b.storage()));
    if (!isNumeric(a) || !isNumeric(b)) return {};
    int64_t x, y, r;
    if (asInt(a, x) && asInt(b, y)) {
        switch (op) {
        case Op::Add:
            if (!__builtin_add_overflow(x, y, &r)) return Value(static_cast<long long>(r));
            break;
        case Op::Sub:
            if (!__builtin_sub_overflow(x, y, &r)) return Value(static_cast<long long>(r));
            break;
        case Op::Mul:
            if (!__builtin_mul_overflow(x, y, &r)) return Value(static_cast<long long>(r));
            break;
        default:
            break;
        }
    }
    double dx = asDouble(a), dy = asDouble(b);
    switch (op) {
    case Op::Add: return Value(dx + dy);
    case Op::Sub: return Value(dx - dy);
    case Op::Mul: return Value(dx * dy);
    case Op::Div:
        if (dy == 0.0) return {};
        return Value(dx / dy);
    default: return {};
    }
}

}  // namespace

const Value& Expression::evalRef(int node, const Context& ctx, Value& scratch) const {
    const Node& n = nodes_[node];
    if (n.op == Op::Column)
        return static_cast<std::size_t>(n.column) < ctx.row.size() ? ctx.row[n.column] : kNull;
    if (n.op == Op::Literal) return n.literal;
    scratch = eval(node, ctx);
    return scratch;
}

std::optional<bool> Expression::truth(int node, const Context& ctx) const {
    const Node& n = nodes_[node];
    switch (n.op) {
    case Op::Eq: case Op::Ne: case Op::Lt: case Op::Gt: case Op::Le: case Op::Ge: {
        Value sa, sb;
        std::optional<int> c = compareValues(evalRef(n.a, ctx, sa), evalRef(n.b, ctx, sb));
        if (!c) return std::nullopt;
        switch (n.op) {
        case Op::Eq: return *c == 0;
        case Op::Ne: return *c != 0;
        case Op::Lt: return *c < 0;
        case Op::Gt: return *c > 0;
        case Op::Le: return *c <= 0;
        default: return *c >= 0;
        }
    }
    case Op::And: {
        std::optional<bool> l = truth(n.a, ctx);
        if (l && !*l) return false;
        std::optional<bool> r = truth(n.b, ctx);
        if (r && !*r) return false;
        if (!l || !r) return std::nullopt;
        return true;
    }
    case Op::Or: {
        std::optional<bool> l = truth(n.a, ctx);
        if (l && *l) return true;
        std::optional<bool> r = truth(n.b, ctx);
        if (r && *r) return true;
        if (!l || !r) return std::nullopt;
        return false;
    }
    case Op::Not: {
        std::optional<bool> v = truth(n.a, ctx);
        if (!v) return std::nullopt;
        return !*v;
    }
    default: {
        Value scratch;
        const Value& v = evalRef(node, ctx, scratch);
        if (v.isNull()) return std::nullopt;
        if (v.isText()) return std::nullopt;
        return asDouble(v) != 0.0;
    }
    }
}

Value Expression::eval(int node, const Context& ctx) const {
    const Node& n = nodes_[node];
    switch (n.op) {
    case Op::Literal: return n.literal;
    case Op::Column:
        return static_cast<std::size_t>(n.column) < ctx.row.size() ? ctx.row[n.column] : Value();
    case Op::Computed: return n.computed->evaluate(ctx.row, ctx.all);
    case Op::Eq: case Op::Ne: case Op::Lt: case Op::Gt: case Op::Le: case Op::Ge:
    case Op::And: case Op::Or: case Op::Not: {
        std::optional<bool> t = truth(node, ctx);
        if (!t) return {};
        return Value(*t);
    }
    case Op::Neg: {
        Value v = eval(n.a, ctx);
        if (auto p = std::get_if<int64_t>(&v.storage()); p && *p != INT64_MIN)
            return Value(static_cast<long long>(-*p));
        if (!isNumeric(v)) return {};
        return Value(-asDouble(v));
    }
    case Op::Add: case Op::Sub: case Op::Mul: case Op::Div: {
        Value sa, sb;
        return arithmetic(n.op, evalRef(n.a, ctx, sa), evalRef(n.b, ctx, sb));
    }
    case Op::If: {
        std::optional<bool> c = truth(n.a, ctx);
        return eval(c && *c ? n.b : n.c, ctx);
    }
    case Op::Upper: case Op::Lower: case Op::Trim: {
        Value v = eval(n.a, ctx);
        if (!v.isText()) return {};
        std::string s = std::get<std::string>(v.storage());
        if (n.op == Op::Trim) {
            std::size_t b = s.find_first_not_of(' '), e = s.find_last_not_of(' ');
            return Value(b == std::string::npos ? std::string() : s.substr(b, e - b + 1));
        }
        for (char& ch : s)
            ch = static_cast<char>(n.op == Op::Upper ? std::toupper(static_cast<unsigned char>(ch))
                                                     : std::tolower(static_cast<unsigned char>(ch)));
        return Value(std::move(s));
    }
    case Op::Page: return Value(ctx.all ? ctx.all->page() : 0L);
    case Op::PageCount: return Value(ctx.all ? ctx.all->pageCount() : 0L);
    case Op::Today: return Value(todayText());
    case Op::Format: {
        Value v = eval(n.a, ctx);
        if (v.isNull()) return {};
        if (v.isText()) {
            if (n.b < 0) return v;
            Value mask = eval(n.b, ctx);
            return mask.isText() ? Value(formatDate(std::get<std::string>(v.storage()), std::get<std::string>(mask.storage()))) : v;
        }
        if (n.b < 0) return Value(expressionValueText(v));
        Value mask = eval(n.b, ctx);
        if (!mask.isText()) return {};
        const std::string& m = std::get<std::string>(mask.storage());
        int64_t whole;
        if (asInt(v, whole)) return Value(formatNumber(whole, m));
        return Value(formatNumber(asDouble(v), m));
    }
    case Op::Max: case Op::Min: case Op::Sum: case Op::Count: {
        std::size_t first = 0, last = 0;
        if (!ctx.all) {
            last = 0;
        } else if (n.column == 0) {
            last = ctx.all->count();
        } else if (!ctx.all->groupRange(n.column, first, last)) {
            first = last = 0;
        }
        Value best;
        int64_t count = 0;
        int64_t wholeSum = 0;
        double realSum = 0;
        bool real = false;
        std::vector<Value> seen;
        auto consider = [&](std::span<const Value> row) {
            Value v = eval(n.a, Context{row, ctx.all});
            if (v.isNull()) return;
            switch (n.op) {
            case Op::Count:
                if (n.distinct) {
                    for (const Value& s : seen)
                        if (compareValues(s, v) == 0) return;
                    seen.push_back(v);
                }
                ++count;
                break;
            case Op::Sum: {
                if (!isNumeric(v)) return;
                int64_t w, r;
                if (!real && asInt(v, w) && !__builtin_add_overflow(wholeSum, w, &r)) {
                    wholeSum = r;
                } else {
                    if (!real) realSum = static_cast<double>(wholeSum);
                    real = true;
                    realSum += asDouble(v);
                }
                ++count;
                break;
            }
            default: {
                if (best.isNull()) {
                    best = std::move(v);
                    return;
                }
                std::optional<int> c = compareValues(v, best);
                if (c && (n.op == Op::Max ? *c > 0 : *c < 0)) best = std::move(v);
            }
            }
        };
        if (!ctx.all) {
            consider(ctx.row);
        } else {
            for (std::size_t i = first; i < last; ++i) consider(ctx.all->row(i));
        }
        if (n.op == Op::Count) return Value(static_cast<long long>(count));
        if (n.op == Op::Sum) {
            if (count == 0) return {};
            if (!real) return Value(static_cast<long long>(wholeSum));
            return Value(realSum);
        }
        return best;
    }
    }
    return {};
}

Value Expression::evaluate(std::span<const Value> row, const ExpressionRows* all) const {
    if (root_ < 0) return {};
    return eval(root_, Context{row, all});
}

bool Expression::isTrue(std::span<const Value> row, const ExpressionRows* all) const {
    if (root_ < 0) return false;
    std::optional<bool> t = truth(root_, Context{row, all});
    return t && *t;
}

std::string quoteForExpression(std::string_view text) {
    std::string out = "'";
    for (char c : text) {
        if (c == '\'') out += "''";
        else if (c == '~') out += "~~";
        else out += c;
    }
    out += '\'';
    return out;
}

std::string expressionValueText(const Value& v) {
    const auto& s = v.storage();
    if (auto p = std::get_if<std::string>(&s)) return *p;
    if (auto p = std::get_if<int64_t>(&s)) return std::to_string(*p);
    if (auto p = std::get_if<bool>(&s)) return *p ? "true" : "false";
    if (auto p = std::get_if<double>(&s)) {
        double d = *p;
        if (std::isfinite(d) && d == std::trunc(d) && std::fabs(d) < 1e15)
            return std::to_string(static_cast<long long>(d));
        char buf[64];
        auto [end, ec] = std::to_chars(buf, buf + sizeof buf, d);
        return ec == std::errc() ? std::string(buf, end) : std::string();
    }
    return {};
}

}  // namespace runtime
