#include "runtime/core/Dispatch.h"

#include "runtime/core/Application.h"
#include "runtime/core/DispatchState.h"
#include "runtime/core/RuntimeError.h"

namespace runtime {
namespace {

struct PointerState {
    PointerShape shape = PointerShape::Arrow;
    int hourglassCount = 0;
    std::function<void(PointerShape)> listener;
};

PointerState& pointer() {
    static PointerState state;
    return state;
}

int g_depth = 0;
int g_boundaries = 0;

}  // namespace

int& detail::depth() { return g_depth; }

int dispatchDepth() { return g_depth; }

Value runGuardedScript(const std::function<Value()>& script) {
    int savedDepth = g_depth;
    g_depth = 0;
    ++g_boundaries;
    Value result;
    try {
        result = script();
    } catch (const detail::HaltUnwind&) {
    } catch (const RuntimeError& e) {
        g_depth = 0;
        Application::routeError(e);
    } catch (const std::exception& e) {
        g_depth = 0;
        Application::routeError(RuntimeError({}, {}, 0, e.what()));
    }
    --g_boundaries;
    g_depth = savedDepth;
    // The hourglass lasts until control is back in the event loop.
    if (g_boundaries == 0 && pointer().shape != PointerShape::Arrow) Pointer::set(PointerShape::Arrow);
    return result;
}

void Pointer::set(PointerShape shape) {
    PointerState& p = pointer();
    if (shape == PointerShape::HourGlass) ++p.hourglassCount;
    if (p.shape == shape) return;
    p.shape = shape;
    if (p.listener) p.listener(shape);
}

PointerShape Pointer::current() { return pointer().shape; }

int Pointer::hourglassCount() { return pointer().hourglassCount; }

void Pointer::setListener(std::function<void(PointerShape)> listener) {
    pointer().listener = std::move(listener);
}

}  // namespace runtime
