#include "standard/standard_picture.h"

namespace pakomo {

std::string standard_picture(const std::string& name) { return std::string(RUX_STANDARD_RC) + "/" + name; }

}  // namespace pakomo
