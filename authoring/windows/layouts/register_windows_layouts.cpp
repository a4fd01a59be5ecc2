#include "authoring/windows/layouts/windows_layouts.h"

namespace pakomo {

void register_windows_layouts() {
    for (auto make : {d_summary, d_registry_values}) runtime::registerLayout(make());
}

}  // namespace pakomo
