#pragma once
// What the registry can hold as a key path or a value name. The build refuses a registry entry
// that breaks these rules, and the windows where a publisher types one refuse it there.
#include <string>
#include <string_view>

namespace pakomo {

// Empty when the key path can be created under a root; otherwise why not ("holds a line break").
std::string registry_key_problem(std::string_view key);
// Empty when the value name can be written; otherwise why not. An empty name is the default value.
std::string registry_value_name_problem(std::string_view name);

}  // namespace pakomo
