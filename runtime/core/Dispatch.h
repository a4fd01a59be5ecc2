#pragma once
// Dispatch boundaries: where control enters scripts from the event loop (a posted event, a
// window's or control's event raised by the toolkit, the application's start). A runtime error
// that reaches a boundary is handed to the application's `systemerror`; the hourglass pointer set
// by a script lasts until the outermost boundary returns.
#include <functional>
#include <type_traits>

#include "runtime/Value.h"

namespace runtime {

Value runGuardedScript(const std::function<Value()>& script);

// Runs `script` as its own dispatch: nested triggers inside it let errors unwind to here. Answers
// the script's value, or null when it failed.
template <class F>
Value runGuarded(F&& script) {
    if constexpr (std::is_void_v<std::invoke_result_t<F&>>) {
        return runGuardedScript([&]() -> Value {
            script();
            return {};
        });
    } else {
        return runGuardedScript([&]() -> Value { return script(); });
    }
}

// How many events are running since the innermost boundary (0: control is at a boundary).
int dispatchDepth();

enum class PointerShape { Arrow, HourGlass };

// The mouse pointer scripts set; the ui layer shows it through the listener.
class Pointer {
public:
    // Sets the shape for the rest of the running event.
    static void set(PointerShape shape);
    static PointerShape current();
    // How many times the hourglass was set in this process (for tests).
    static int hourglassCount();
    static void setListener(std::function<void(PointerShape)> listener);
};

}  // namespace runtime
