#include "libraries/build/RegistryNames.h"

namespace pakomo {
namespace {

// The limits of the Windows registry: a key's name up to 255 characters, a value's up to 16,383.
constexpr size_t KeyNameMax = 255;
constexpr size_t ValueNameMax = 16383;

bool has_line_break(std::string_view s) {
    return s.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

}  // namespace

std::string registry_key_problem(std::string_view key) {
    while (!key.empty() && key.front() == '\\') key.remove_prefix(1);
    while (!key.empty() && key.back() == '\\') key.remove_suffix(1);
    if (key.empty()) return "is empty: a value cannot be written to a root key itself";
    if (has_line_break(key)) return "holds a line break";
    size_t start = 0;
    for (;;) {
        size_t sep = key.find('\\', start);
        std::string_view part =
            key.substr(start, sep == std::string_view::npos ? std::string_view::npos : sep - start);
        if (part.empty()) return "holds an empty key name (two backslashes in a row)";
        if (part.size() > KeyNameMax) return "holds a key name longer than 255 characters";
        if (sep == std::string_view::npos) break;
        start = sep + 1;
    }
    return {};
}

std::string registry_value_name_problem(std::string_view name) {
    if (has_line_break(name)) return "holds a line break";
    if (name.size() > ValueNameMax) return "is longer than 16,383 characters";
    return {};
}

}  // namespace pakomo
