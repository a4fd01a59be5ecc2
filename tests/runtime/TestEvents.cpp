// Objects, events, the posted-event queue, runtime errors and the application object.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/core/Application.h"
#include "runtime/core/Dispatch.h"
#include "runtime/core/EventQueue.h"
#include "runtime/core/Object.h"

using namespace runtime;

namespace {

std::vector<std::string> g_log;

Value logged(const std::string& entry, Value result = {}) {
    g_log.push_back(entry);
    return result;
}

// A non-visual service ancestor: its constructor posts ue_post_constructor.
class Service : public Object {
public:
    explicit Service(std::string name = "nv_a") : Object(std::move(name)) {
        on("constructor", [this](Args) {
            post("ue_post_constructor");
            return logged(className() + ".constructor");
        });
        on("destructor", [this](Args) { return logged(className() + ".destructor"); });
    }
};

// A descendant that extends the ancestor's constructor.
class Settings : public Service {
public:
    Settings() : Service("nv_registry") {
        extend("constructor", [this](Args) {
            root = "HKEY_CURRENT_USER\\Software\\RUX";
            return logged("nv_registry.constructor");
        });
        on("ue_post_constructor", [this](Args) { return logged("post_constructor root=" + root); });
    }
    std::string root;
};

class App : public Application {
public:
    App() : Application("pakomo") {
        on("systemerror", [this](Args) {
            const ErrorInfo& e = error();
            logged("systemerror " + e.object + "." + e.event + ": " + e.text);
            haltClose();
            return logged("after halt");  // never reached
        });
        on("close", [](Args) { return logged("close"); });
    }
};

class EventsTest : public ::testing::Test {
protected:
    void SetUp() override { g_log.clear(); }
};

TEST_F(EventsTest, ConstructorExtendsAncestorAndPostRunsAfterTheCreatingScript) {
    Ref<Settings> settings;
    Object creator("w_a");
    creator.on("ue_create", [&](Args) {
        settings = create<Settings>();
        return logged("creator stored the service");
    });
    creator.trigger("ue_create");
    EXPECT_EQ(g_log, (std::vector<std::string>{"nv_registry.constructor", "nv_registry.constructor",
                                               "creator stored the service"}));
    // Without an event loop the posted event waits; it runs when the loop drains the queue.
    EXPECT_EQ(EventQueue::pendingCount(), 1u);
    EventQueue::runPending();
    EXPECT_EQ(g_log.back(), "post_constructor root=HKEY_CURRENT_USER\\Software\\RUX");
    destroy(settings);
    EXPECT_EQ(g_log.back(), "nv_registry.destructor");
    EXPECT_FALSE(settings.isValid());
}

TEST_F(EventsTest, PostedEventsRunFirstInFirstOutWithArgumentsTakenWhenPosted) {
    Object w("w_a");
    std::string text = "first";
    w.on("ue_show", [](Args a) { return logged("show " + a[0].toText() + " " + a[1].toText()); });
    w.on("ue_chain", [&](Args) {
        w.post("ue_show", {Value("posted-inside"), Value(3)});
        return logged("chain");
    });
    w.on("ue_click", [&](Args) {
        w.post("ue_show", {Value(text), Value(1)});
        text = "changed";
        w.post("ue_chain");
        w.post("ue_show", {Value(text), Value(2)});
        return logged("click ends");
    });
    w.trigger("ue_click");
    EventQueue::runPending();
    EXPECT_EQ(g_log, (std::vector<std::string>{"click ends", "show first 1", "chain", "show changed 2",
                                               "show posted-inside 3"}));
}

// Objects travel as event arguments, triggered and posted, held weakly: one destroyed before a
// posted event runs arrives there invalid. A data-window object is a snapshot.
TEST_F(EventsTest, ObjectsAsArgumentsOfTriggeredAndPostedEvents) {
    Object w("w_a");
    std::vector<std::string> seen;
    w.on("ue_take", [&](Args a) {
        std::string line;
        for (const Value& v : a) {
            if (Service* s = objectArg<Service>(v).get()) line += "service " + s->className();
            else if (const DwObject* d = v.toDwObject()) line += "dwo " + d->name + "/" + d->band;
            else if (v.isObject()) line += v.toObject() ? "object" : "invalid";
            else line += "value " + v.toText();
            line += v.toBool() ? "+; " : "-; ";
        }
        seen.push_back(line);
        return Value();
    });
    Ref<Service> kept = create<Service>("nv_kept");
    Ref<Service> gone = create<Service>("nv_gone");
    Object plain("w_plain");
    DwObject hit;
    hit.type = "column";
    hit.name = "path";
    hit.band = "detail";
    hit.column = 4;
    hit.row = 2;
    w.trigger("ue_take", {kept.get(), Value(gone), &plain});
    w.post("ue_take", {kept.get(), gone.get(), Value(hit), Value(7)});
    hit.name = "exe";  // the posted snapshot does not follow
    destroy(gone);
    EventQueue::runPending();
    EXPECT_EQ(seen, (std::vector<std::string>{"service nv_kept+; service nv_gone+; object+; ",
                                              "service nv_kept+; invalid-; dwo path/detail+; value 7+; "}));
    // Equality: the same live object; every destroyed one reads as no object.
    EXPECT_EQ(Value(kept.get()), Value(kept));
    EXPECT_NE(Value(kept.get()), Value(&plain));
    EXPECT_EQ(Value(gone), Value(ObjectRef()));
    EXPECT_EQ(Value(hit).toText(), "exe");
    EXPECT_FALSE(objectArg<Service>(Value(&plain)).isValid());
    destroy(kept);
}

TEST_F(EventsTest, PostInsideAModalLoopRunsThere) {
    Object dialog("w_response");
    bool open = false;
    dialog.on("open", [&](Args) {
        dialog.post("ue_init");
        return logged("open");
    });
    dialog.on("ue_init", [&](Args) {
        open = false;  // closes the dialog from its posted event
        return logged("ue_init");
    });
    Object caller("w_choose_product");
    caller.on("clicked", [&](Args) {
        open = true;
        dialog.trigger("open");
        EventLoop::runModal([&] { return !open; });
        return logged(open ? "returned while open" : "returned after close");
    });
    caller.trigger("clicked");
    EXPECT_EQ(g_log, (std::vector<std::string>{"open", "ue_init", "returned after close"}));
}

TEST_F(EventsTest, EventsWithoutScriptDoNothingAndNamesIgnoreLetterCase) {
    Object o("w_a");
    o.on("ue_ok", [](Args) { return Value(1); });
    o.on("UE_Cancel", [](Args) { return Value(2); });
    struct Case {
        std::string name;
        Value expected;
    };
    const Case cases[] = {{"ue_ok", Value(1)},     {"UE_OK", Value(1)}, {"Ue_Ok", Value(1)},
                          {"ue_cancel", Value(2)}, {"ue_print", Value()}, {"ue_ok ", Value()},
                          {"", Value()}};
    for (const Case& c : cases) EXPECT_EQ(o.trigger(c.name), c.expected) << c.name;
    EXPECT_TRUE(o.hasEvent("UE_CANCEL"));
    // A later declaration in another case replaces the script; extend() finds it as well.
    o.on("UE_OK", [](Args) { return Value(3); });
    o.extend("Ue_oK", [](Args) { return logged("extended"); });
    EXPECT_EQ(o.trigger("ue_ok"), Value());
    EXPECT_EQ(g_log, (std::vector<std::string>{"extended"}));
    o.post("UE_CANCEL");
    o.post("ue_ok");
    EXPECT_TRUE(EventQueue::runPending());
    EXPECT_EQ(g_log.size(), 2u);
    o.post("ue_menu_clipboard");
    EXPECT_TRUE(EventQueue::runPending());
    EXPECT_EQ(Application::unhandledErrors().size(), 0u);
}

TEST_F(EventsTest, RuntimeErrorUnwindsToTheBoundaryAndHaltsThroughSystemError) {
    App app;
    Object window("w_product");
    Ref<Object> nothing;
    window.on("ue_inner", [&](Args) {
        nothing->trigger("x");  // null object reference
        return logged("inner continued");
    });
    window.on("ue_outer", [&](Args) {
        window.trigger("ue_inner");
        return logged("outer continued");
    });
    window.post("ue_outer");
    window.post("ue_never");
    window.on("ue_never", [](Args) { return logged("ran after halt"); });
    EventQueue::runPending();
    EXPECT_EQ(g_log,
              (std::vector<std::string>{"systemerror w_product.ue_inner: Null object reference", "close"}));
    EXPECT_TRUE(app.halted());
    EXPECT_EQ(app.errorCount(), 1);
    EXPECT_GT(app.error().line, 0);
    // A halted program queues nothing more.
    window.post("ue_never");
    EXPECT_EQ(EventQueue::pendingCount(), 0u);
}

TEST_F(EventsTest, ErrorDuringCloseDoesNotEnterCloseAgain) {
    App app;
    int closes = 0;
    app.on("close", [&](Args) {
        ++closes;
        throw RuntimeError("Row 9 is out of range");
        return Value();
    });
    app.on("open", [](Args) { return logged("open"); });
    app.exec("");
    EXPECT_EQ(closes, 1);
    EXPECT_EQ(app.errorCount(), 1);
    EXPECT_EQ(app.error().object, "pakomo");
    EXPECT_EQ(app.error().event, "close");
    EXPECT_EQ(app.error().text, "Row 9 is out of range");
    EXPECT_TRUE(app.closed());
}

TEST_F(EventsTest, MissingClassIsARuntimeErrorAndRegisteredClassesCreateByName) {
    App app;
    registerClass<Settings>("nv_registry");
    Object script("nv_build");
    Ref<Object> made;
    script.on("ue_run", [&](Args) {
        made = createByName("NV_Registry");
        createByName("nv_missing");
        return logged("continued");
    });
    script.trigger("ue_run");
    ASSERT_TRUE(made.isValid());
    EXPECT_EQ(made->className(), "nv_registry");
    EXPECT_TRUE(made.as<Settings>().isValid());
    EXPECT_FALSE(made.as<App>().isValid());
    EXPECT_NE(app.error().text.find("nv_missing"), std::string::npos);
    EXPECT_EQ(app.error().event, "ue_run");
}

TEST_F(EventsTest, ReferencesReadInvalidAfterDestroyEvenFromTheObjectsOwnEvent) {
    Ref<Service> service = create<Service>();
    Ref<Object> asObject = service;
    Ref<Service> child = createChild<Service>(*service, "nv_child");
    service->on("ue_close", [&](Args) {
        destroy(service);
        // Still inside its own event: the object is gone for every reference.
        return logged(std::string("valid inside=") + (service.isValid() ? "yes" : "no"));
    });
    service->trigger("ue_close");
    EXPECT_EQ(g_log, (std::vector<std::string>{"nv_a.constructor", "nv_child.constructor", "nv_a.destructor",
                                               "nv_child.destructor", "valid inside=no"}));
    EXPECT_FALSE(service.isValid());
    EXPECT_FALSE(asObject.isValid());
    EXPECT_FALSE(child.isValid());
    EXPECT_EQ(service.get(), nullptr);
    destroy(service);          // again: nothing
    EventQueue::runPending();  // the posted ue_post_constructor of destroyed objects are skipped
    EXPECT_EQ(g_log.size(), 5u);
}

TEST_F(EventsTest, HourglassLastsForTheRestOfTheRunningEvent) {
    Object w("w_a");
    PointerShape inner = PointerShape::Arrow;
    std::vector<PointerShape> seen;
    Pointer::setListener([&](PointerShape s) { seen.push_back(s); });
    w.on("ue_work", [&](Args) {
        Pointer::set(PointerShape::HourGlass);
        return Value();
    });
    w.on("ue_save", [&](Args) {
        w.trigger("ue_work");
        inner = Pointer::current();
        return Value();
    });
    w.trigger("ue_save");
    EXPECT_EQ(inner, PointerShape::HourGlass);
    EXPECT_EQ(Pointer::current(), PointerShape::Arrow);
    EXPECT_EQ(Pointer::hourglassCount(), 1);
    EXPECT_EQ(seen, (std::vector<PointerShape>{PointerShape::HourGlass, PointerShape::Arrow}));
}

}  // namespace

namespace {

// A toolkit's loop as the ui layer binds it: schedule() arranges one later drain.
class FakeToolkitLoop : public EventLoop::Driver {
public:
    int schedules = 0;
    bool quitCalled = false;
    void schedule() override { ++schedules; }
    void run() override {
        while (!quitCalled && EventQueue::pendingCount() > 0) EventQueue::runPending();
    }
    void quit() override { quitCalled = true; }
    void runModal(const std::function<bool()>& done) override {
        while (!done() && EventQueue::runPending()) {
        }
    }
};

TEST_F(EventsTest, ToolkitDriverIsAskedOnceToDrainWhenTheQueueTurnsNonEmpty) {
    FakeToolkitLoop loop;
    EventLoop::setDriver(&loop);
    Object w("w_mdi_frame");
    w.on("ue_init", [](Args) { return logged("ue_init"); });
    w.on("ue_fileopen", [&](Args) {
        w.post("ue_init");  // posted while draining: the running drain takes it
        return logged("ue_fileopen");
    });
    w.post("ue_fileopen");
    w.post("ue_init");
    EXPECT_EQ(loop.schedules, 1);
    EventQueue::runPending();
    EXPECT_EQ(g_log, (std::vector<std::string>{"ue_fileopen", "ue_init", "ue_init"}));
    w.post("ue_init");
    EXPECT_EQ(loop.schedules, 2);

    // The application's run: open, the loop, then close; halt ends the loop.
    App app;
    app.on("open", [&](Args a) {
        w.post("ue_fileopen");
        return logged("open " + a[0].toText());
    });
    g_log.clear();
    EventQueue::clear();
    app.exec("-x");
    EXPECT_EQ(g_log, (std::vector<std::string>{"open -x", "ue_fileopen", "ue_init", "close"}));
    EXPECT_FALSE(app.halted());
    EXPECT_TRUE(app.closed());
    EventLoop::setDriver(nullptr);
}

}  // namespace

namespace {

TEST_F(EventsTest, ErrorNamesTheObjectByItsOwnNameAndNonRuntimeExceptionsAreCaughtToo) {
    struct Button : Object {
        Button() : Object("u_cb_a") {}
        std::string objectName() const override { return "cb_ok"; }
    };
    App app;
    Button b;
    b.on("clicked", [](Args) -> Value { throw std::out_of_range("vector index"); });
    b.trigger("clicked");
    EXPECT_EQ(app.error().object, "cb_ok");
    EXPECT_EQ(app.error().event, "clicked");
    EXPECT_EQ(app.error().text, "vector index");
    EXPECT_TRUE(app.halted());
}

}  // namespace
