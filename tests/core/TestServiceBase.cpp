// The services' base: the post-constructor hook, the one wait window and its count; the string
// array object; the parameter record's unbounded arrays.
#include "core/CoreFixture.h"

#include "authoring/core/nv_a.h"
#include "authoring/core/nv_string_array.h"
#include "runtime/core/EventQueue.h"
#include "runtime/ui/Window.h"

namespace {

using core_test::CoreFixture;
using core_test::settle;
using pakomo::nv_a;

int g_waitOpens = 0;
int g_waitCloses = 0;

class TestWaitWindow : public runtime::Window {
public:
    TestWaitWindow() : runtime::Window("w_moment_aub", runtime::WindowKind::Popup) {
        on("open", [](runtime::Args) {
            ++g_waitOpens;
            return runtime::Value();
        });
        on("close", [](runtime::Args) {
            ++g_waitCloses;
            return runtime::Value();
        });
    }
};

class ServiceBaseTest : public CoreFixture {
protected:
    void SetUp() override {
        CoreFixture::SetUp();
        runtime::registerClass<TestWaitWindow>("w_moment_aub");
    }
    bool waitWindowOpen() {
        runtime::Window* w = application().w_moment_aub.get();
        return w && w->isOpen();
    }
};

// A descendant's hook sees the service already stored by the script that created it.
class HookedService : public nv_a {
public:
    explicit HookedService(runtime::Ref<nv_a>* slot) : nv_a("hooked") {
        extend("constructor", [this](runtime::Args) {
            order.push_back("constructor");
            return runtime::Value();
        });
        on("ue_post_constructor", [this, slot](runtime::Args) {
            order.push_back(slot->get() == this ? "post-stored" : "post-not-stored");
            return runtime::Value();
        });
    }
    std::vector<std::string> order;
};

TEST_F(ServiceBaseTest, PostConstructorRunsAfterTheCreatingScriptHasStoredTheService) {
    runtime::Ref<nv_a> slot;
    runtime::Ref<HookedService> service;
    application().on("ue_test_create", [&](runtime::Args) {
        service = runtime::create<HookedService>(&slot);
        slot = service;
        return runtime::Value();
    });
    application().trigger("ue_test_create");
    EXPECT_EQ(service->order, std::vector<std::string>{"constructor"});
    settle();
    EXPECT_EQ(service->order, (std::vector<std::string>{"constructor", "post-stored"}));
    runtime::destroy(service);
}

TEST_F(ServiceBaseTest, NestedWaitsOfOneServiceShowTheWindowOnceAndUnmatchedClearsAreIgnored) {
    runtime::Ref<nv_a> a = runtime::create<nv_a>();
    a->fnv_clear_wait();  // unmatched: nothing happens
    EXPECT_EQ(a->ii_wait_open_count, 0);
    EXPECT_EQ(g_waitOpens, 0);

    a->fnv_set_wait();
    a->fnv_set_wait();
    EXPECT_EQ(g_waitOpens, 1);
    EXPECT_TRUE(waitWindowOpen());
    a->fnv_clear_wait();
    EXPECT_TRUE(waitWindowOpen());
    a->fnv_clear_wait();
    EXPECT_FALSE(waitWindowOpen());
    EXPECT_EQ(g_waitCloses, 1);
    a->fnv_clear_wait();
    EXPECT_EQ(a->ii_wait_open_count, 0);
    EXPECT_EQ(application().wait_open_count, 0);
    runtime::destroy(a);
}

TEST_F(ServiceBaseTest, TheWindowStaysWhileAnyServiceWaitsAndGoesWithTheLastOne) {
    runtime::Ref<nv_a> a = runtime::create<nv_a>();
    runtime::Ref<nv_a> b = runtime::create<nv_a>();
    a->fnv_set_wait();
    b->fnv_set_wait();
    a->fnv_clear_wait();
    EXPECT_TRUE(waitWindowOpen()) << "b still works";
    b->fnv_set_wait();
    b->fnv_clear_wait();
    EXPECT_TRUE(waitWindowOpen());
    a->fnv_clear_wait();  // a has nothing left to clear: must not take b's wait
    EXPECT_TRUE(waitWindowOpen());
    b->fnv_clear_wait();
    EXPECT_FALSE(waitWindowOpen());
    EXPECT_EQ(g_waitOpens, 1);
    runtime::destroy(a);
    runtime::destroy(b);
}

TEST_F(ServiceBaseTest, AServiceDestroyedWhileWaitingGivesItsWaitsBack) {
    runtime::Ref<nv_a> a = runtime::create<nv_a>();
    a->fnv_set_wait();
    a->fnv_set_wait();
    runtime::destroy(a);
    EXPECT_FALSE(waitWindowOpen());
    EXPECT_EQ(application().wait_open_count, 0);
}

TEST_F(ServiceBaseTest, StringArrayStartsEmpty) {
    runtime::Ref<pakomo::nv_string_array> strings = runtime::create<pakomo::nv_string_array>();
    EXPECT_TRUE(strings->ls_string.empty());
    runtime::destroy(strings);
}

TEST_F(ServiceBaseTest, ParameterRecordArraysGrowFromOneAndReadUnsetElementsAsEmpty) {
    pakomo::s_pass& pass = application().g_str_pass;
    EXPECT_EQ(pass.string.get(3), "");
    EXPECT_EQ(pass.number.get(1), 0);
    EXPECT_FALSE(pass.boolean.get(2));
    EXPECT_FALSE(pass.datastore.get(1).isValid());
    pass.string[2] = "project";
    EXPECT_EQ(pass.string.upperbound(), 2);
    EXPECT_EQ(pass.string.get(1), "");
    EXPECT_EQ(pass.string[2], "project");
    EXPECT_THROW(pass.string[0], runtime::RuntimeError);
    EXPECT_THROW(pass.number.get(-1), runtime::RuntimeError);
}

}  // namespace
