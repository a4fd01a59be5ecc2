#include "standard/register_standard.h"

#include "runtime/core/Object.h"
#include "standard/nv_winapi.h"
#include "standard/w_about.h"
#include "standard/w_moment_aub.h"

namespace pakomo {

void register_standard() {
    runtime::registerClass<nv_winapi>("nv_winapi");
    runtime::registerClass<w_moment_aub>("w_moment_aub");
    runtime::registerClass<w_about>("w_about");
}

}  // namespace pakomo
