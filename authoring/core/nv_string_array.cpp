#include "authoring/core/nv_string_array.h"

namespace pakomo {

nv_string_array::nv_string_array() : runtime::Object("nv_string_array") {}

nv_string_array::~nv_string_array() = default;

}  // namespace pakomo
