#include "runtime/data/Expression.h"

#include <ctime>

#include "runtime/services/Text.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <utility>
#include <vector>

namespace runtime {

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
        // The text is read in place and copied once, also for a case of a trim: sort keys like
        // lower(trim(path)) are built for every row.
        const bool trimmed = n.op == Op::Trim || nodes_[n.a].op == Op::Trim;
        const int source = n.op != Op::Trim && trimmed ? nodes_[n.a].a : n.a;
        Value scratch;
        const Value& v = evalRef(source, ctx, scratch);
        if (!v.isText()) return {};
        std::string_view s = std::get<std::string>(v.storage());
        if (trimmed) {
            std::size_t b = s.find_first_not_of(' '), e = s.find_last_not_of(' ');
            s = b == std::string_view::npos ? std::string_view() : s.substr(b, e - b + 1);
        }
        std::string out(s);
        if (n.op != Op::Trim)
            for (char& ch : out)
                ch = static_cast<char>(n.op == Op::Upper ? std::toupper(static_cast<unsigned char>(ch))
                                                         : std::tolower(static_cast<unsigned char>(ch)));
        return Value(std::move(out));
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

bool Expression::sameForEveryRow() const {
    if (!valid() || root_ < 0) return false;
    std::vector<std::pair<int, bool>> pending{{root_, false}};  // node, inside an aggregate of all rows
    while (!pending.empty()) {
        auto [index, inAll] = pending.back();
        pending.pop_back();
        if (index < 0) continue;
        const Node& n = nodes_[static_cast<std::size_t>(index)];
        switch (n.op) {
        case Op::Column:
            if (!inAll) return false;
            continue;
        case Op::Computed:
            if (!inAll && !(n.computed && n.computed->sameForEveryRow())) return false;
            continue;
        case Op::Page: case Op::PageCount: case Op::Today: return false;
        case Op::Max: case Op::Min: case Op::Sum: case Op::Count:
            if (n.column != 0) return false;
            pending.emplace_back(n.a, true);
            continue;
        default:
            for (int child : {n.a, n.b, n.c}) pending.emplace_back(child, inAll);
        }
    }
    return true;
}

}  // namespace runtime
