#include "authoring/core/nv_a.h"

#include <algorithm>

#include "authoring/core/pakomo.h"
#include "runtime/ui/Window.h"

namespace pakomo {

nv_a::nv_a(std::string className) : runtime::Object(std::move(className)) {
    on("constructor", [this](runtime::Args) {
        post("ue_post_constructor");
        return runtime::Value();
    });
    // A service that goes away with waits still counted gives them back, so that the wait
    // window never outlives every service that asked for it.
    on("destructor", [this](runtime::Args) {
        release_waits(ii_wait_open_count);
        return runtime::Value();
    });
}

nv_a::~nv_a() = default;

// The count of each service only guards against unmatched clears; the program's one count
// decides when the one wait window opens and closes.
void nv_a::fnv_set_wait() {
    pakomo& application = app();
    if (application.wait_open_count == 0) {
        runtime::Ref<runtime::Window> window = runtime::createByName("w_moment_aub").as<runtime::Window>();
        if (!window) throw runtime::RuntimeError("w_moment_aub is not a window");
        window->open();
        application.w_moment_aub = window;
    }
    ++application.wait_open_count;
    ++ii_wait_open_count;
}

void nv_a::fnv_clear_wait() {
    if (ii_wait_open_count <= 0) return;
    release_waits(1);
}

void nv_a::release_waits(int16_t count) {
    if (count <= 0) return;
    ii_wait_open_count = static_cast<int16_t>(ii_wait_open_count - count);
    pakomo& application = app();
    application.wait_open_count = std::max(0, application.wait_open_count - count);
    if (application.wait_open_count == 0) {
        if (runtime::Window* window = application.w_moment_aub.get()) window->close();
        application.w_moment_aub.reset();
    }
}

}  // namespace pakomo
