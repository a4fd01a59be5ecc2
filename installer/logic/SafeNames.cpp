#include "installer/logic/SafeNames.h"

namespace setup {

bool IsSafeRelativePath(std::string_view name) {
    if (name.empty() || name.find(':') != std::string_view::npos) return false;
    std::size_t start = 0;
    while (true) {
        std::size_t end = name.find_first_of("\\/", start);
        std::string_view part = name.substr(start, end == std::string_view::npos ? name.npos : end - start);
        if (part.empty() || part == "." || part == "..") return false;
        if (end == std::string_view::npos) return true;
        start = end + 1;
    }
}

bool IsSafeSingleName(std::string_view name) {
    return IsSafeRelativePath(name) && name.find_first_of("\\/") == std::string_view::npos;
}

}  // namespace setup
