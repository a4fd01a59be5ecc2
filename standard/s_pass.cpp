#include "standard/s_pass.h"

#include "runtime/core/RuntimeError.h"

namespace pakomo {

void array_boundary_exceeded(long n) {
    throw runtime::RuntimeError("Array boundary exceeded at element " + std::to_string(n));
}

}  // namespace pakomo
