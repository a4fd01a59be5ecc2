#include "runtime/core/RuntimeError.h"

namespace runtime {

RuntimeError::RuntimeError(std::string text, int line)
    : std::runtime_error(text), info_{{}, {}, line, std::move(text)} {}

RuntimeError::RuntimeError(std::string object, std::string event, int line, std::string text)
    : std::runtime_error(text), info_{std::move(object), std::move(event), line, std::move(text)} {}

void RuntimeError::locate(const std::string& object, const std::string& event) {
    if (info_.object.empty() && info_.event.empty()) {
        info_.object = object;
        info_.event = event;
    }
}

}  // namespace runtime
