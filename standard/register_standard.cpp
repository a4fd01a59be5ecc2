#include "standard/register_standard.h"

#include "runtime/core/Object.h"
#include "standard/nv_winapi.h"

namespace pakomo {

void register_standard() {
    runtime::registerClass<nv_winapi>("nv_winapi");
}

}  // namespace pakomo
