#pragma once
// Where the framework's own pictures are (standard/rc).
#include <string>

namespace pakomo {

std::string standard_picture(const std::string& name);

}  // namespace pakomo
