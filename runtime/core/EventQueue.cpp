#include "runtime/core/EventQueue.h"

#include <deque>

#include "runtime/core/Application.h"
#include "runtime/core/Dispatch.h"

namespace runtime {
namespace {

struct Posted {
    Ref<Object> target;
    std::string event;
    std::vector<Value> args;
};

struct QueueState {
    std::deque<Posted> events;
    bool scheduled = false;
    int holds = 0;
};

QueueState& queue() {
    static QueueState q;
    return q;
}

// The loop without a toolkit: runs the queue until it is empty.
class BuiltInDriver : public EventLoop::Driver {
public:
    void schedule() override {}
    void run() override {
        quit_ = false;
        while (!quit_ && EventQueue::runPending()) {
        }
    }
    void quit() override { quit_ = true; }
    void runModal(const std::function<bool()>& done) override {
        while (!done() && !quit_) {
            if (!EventQueue::runPending()) break;
        }
    }

private:
    bool quit_ = false;
};

EventLoop::Driver* g_driver = nullptr;

}  // namespace

void EventQueue::post(Ref<Object> target, std::string event, std::vector<Value> args) {
    if (Application* app = Application::instance(); app && app->halted()) return;
    QueueState& q = queue();
    q.events.push_back({std::move(target), std::move(event), std::move(args)});
    if (!q.scheduled) {
        q.scheduled = true;
        EventLoop::driver().schedule();
    }
}

bool EventQueue::runPending() {
    QueueState& q = queue();
    q.scheduled = false;
    if (q.holds > 0) return false;
    bool ran = false;
    while (!q.events.empty()) {
        Posted next = std::move(q.events.front());
        q.events.pop_front();
        ran = true;
        Object* target = next.target.get();
        if (!target) continue;
        runGuarded([&] { return target->trigger(next.event, std::move(next.args)); });
    }
    return ran;
}

size_t EventQueue::pendingCount() { return queue().events.size(); }

EventQueue::Hold::Hold() { ++queue().holds; }

EventQueue::Hold::~Hold() {
    QueueState& q = queue();
    if (--q.holds == 0 && !q.events.empty() && !q.scheduled) {
        q.scheduled = true;
        EventLoop::driver().schedule();
    }
}

void EventQueue::clear() { queue().events.clear(); }

void EventLoop::setDriver(Driver* driver) { g_driver = driver; }

EventLoop::Driver& EventLoop::driver() {
    static BuiltInDriver builtIn;
    return g_driver ? *g_driver : builtIn;
}

}  // namespace runtime
