#include "authoring/core/pakomo.h"

#include "runtime/core/RuntimeError.h"

namespace pakomo {

pakomo::pakomo() : runtime::Application("pakomo") {}

pakomo::~pakomo() = default;

pakomo& app() {
    auto* application = dynamic_cast<pakomo*>(runtime::Application::instance());
    if (!application) throw runtime::RuntimeError("Null object reference: no application object");
    return *application;
}

}  // namespace pakomo
