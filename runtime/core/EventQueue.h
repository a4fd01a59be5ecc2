#pragma once
// The queue of posted events and the event loop it runs in.
//
// Posted events run first in, first out, each as its own dispatch boundary, once control is back
// in an event loop: the main loop or a modal loop. The ui layer installs a driver whose
// schedule() arranges a call of EventQueue::runPending() from its loop (for Qt: a zero-time
// timer, which nested modal loops process too); without a driver, runPending() is called by
// EventLoop::run()/runModal() or by the test itself.
#include <functional>
#include <string>
#include <vector>

#include "runtime/Value.h"
#include "runtime/core/Object.h"

namespace runtime {

class EventQueue {
public:
    static void post(Ref<Object> target, std::string event, std::vector<Value> args);
    // Runs every queued event, also those posted meanwhile; answers whether any ran. Events of
    // objects destroyed since they were posted are skipped.
    static bool runPending();
    static size_t pendingCount();
    static void clear();

    // While one lives, runPending() runs nothing: the toolkit's events may be processed (a
    // progress dialog's), but the program's queued events wait until the last hold ends.
    class Hold {
    public:
        Hold();
        ~Hold();
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;
    };
};

class EventLoop {
public:
    class Driver {
    public:
        virtual ~Driver() = default;
        // The queue turned non-empty: arrange a call of EventQueue::runPending() soon.
        virtual void schedule() = 0;
        // Runs the main loop until quit().
        virtual void run() = 0;
        virtual void quit() = 0;
        // Runs a nested (modal) loop until `done` answers true.
        virtual void runModal(const std::function<bool()>& done) = 0;
        // Lets pending events run before the running script goes on (the toolkit's own events
        // too, in the ui layer's driver).
        virtual void yield() { EventQueue::runPending(); }
    };

    // Installs the toolkit's driver (nullptr: the built-in one). The caller keeps it alive.
    static void setDriver(Driver* driver);
    static Driver& driver();

    static void run() { driver().run(); }
    static void quit() { driver().quit(); }
    static void runModal(const std::function<bool()>& done) { driver().runModal(done); }
};

}  // namespace runtime
