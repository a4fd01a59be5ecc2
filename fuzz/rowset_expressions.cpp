// Feeds arbitrary text to the row sets' expression language: compiling and evaluating it over
// rows with nulls may refuse it, never crash or hang.
#include "runtime/data/Expression.h"

#include <cctype>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace {

std::optional<runtime::ExpressionColumn> resolve(std::string_view name) {
    static const char* names[] = {"id", "name", "exe"};
    static const runtime::ValueKind kinds[] = {runtime::ValueKind::Number, runtime::ValueKind::Text,
                                               runtime::ValueKind::Number};
    std::string lower;
    for (char c : name) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (int i = 0; i < 3; ++i)
        if (lower == names[i]) return runtime::ExpressionColumn{i, kinds[i], nullptr};
    if (lower == "#1" || lower == "#2" || lower == "#3") {
        int i = lower[1] - '1';
        return runtime::ExpressionColumn{i, kinds[i], nullptr};
    }
    return std::nullopt;
}

class Rows : public runtime::ExpressionRows {
public:
    std::vector<std::vector<runtime::Value>> rows = {
        {runtime::Value(1), runtime::Value("O'Brien"), runtime::Value(0.0)},
        {runtime::Value(), runtime::Value(), runtime::Value()},
        {runtime::Value(-9223372036854775807LL - 1), runtime::Value(""), runtime::Value(1e308)},
    };
    std::size_t count() const override { return rows.size(); }
    std::span<const runtime::Value> row(std::size_t i) const override { return rows[i]; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    static Rows all;
    runtime::Expression e = runtime::Expression::compile(text, resolve);
    if (!e.valid() && e.error().empty()) __builtin_trap();
    for (const auto& row : all.rows) {
        runtime::Value v = e.evaluate(row, &all);
        (void)runtime::expressionValueText(v);
        (void)e.isTrue(row, &all);
    }
    // A quoted text always reads back unchanged.
    runtime::Expression q = runtime::Expression::compile(runtime::quoteForExpression(text), resolve);
    if (!q.valid() || q.evaluate({}) != runtime::Value(text)) __builtin_trap();
    return 0;
}
