#pragma once
// The walk every control ancestor makes once, in its constructor: parent after parent, passing
// composite controls, up to the first window.
#include "runtime/core/Object.h"
#include "runtime/ui/VisualObject.h"
#include "standard/w_a.h"

namespace pakomo {

// The first window above `control`, as a w_a; none when there is no window, or it is no w_a.
inline runtime::Ref<w_a> find_parent_window(const runtime::Object& control) {
    for (runtime::Object* o = runtime::getParent(&control); o; o = runtime::getParent(o))
        if (runtime::typeOf(o) == "window") return runtime::Ref<w_a>(dynamic_cast<w_a*>(o));
    return {};
}

// Focus report of a control to its window (a runtime error when it has none).
inline void report_focus(const runtime::Ref<w_a>& window, runtime::Object& control) {
    window->fw_set_focus_object(runtime::Ref<runtime::Object>(&control));
}

}  // namespace pakomo
