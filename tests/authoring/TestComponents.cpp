// The component service: deleting a component tree while every reference to it is cleared,
// new ids, and the move check with its question.
#include "authoring/FilesFixture.h"
#include "authoring/project/nv_proggrp.h"

#include <optional>
#include <string>
#include <vector>

namespace {

using runtime::Value;

class ComponentsTest : public authoring_test::FilesFixture {
protected:
    void SetUp() override {
        FilesFixture::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        application().gi_prod_id = 1;
        for (auto [ds, layout] : {std::pair{&proggrp, "d_proggrps"}, {&regkeys, "d_regkeys"}, {&filegrp, "d_filegrps"}}) {
            *ds = runtime::create<pakomo::u_ds_create_setup_a>();
            (*ds)->setDataObject(layout);
        }
        service = runtime::create<pakomo::nv_proggrp>();
    }
    void TearDown() override {
        for (auto* ds : {&proggrp, &regkeys, &filegrp})
            if (*ds) runtime::destroy(*ds);
        if (service) runtime::destroy(service);
        FilesFixture::TearDown();
    }
    // A component: id, name, parent, required (-1: no value).
    void component(long id, const std::string& name, long parent = 0, long required = 0) {
        long row = proggrp->insertRow(0);
        if (id >= 0) proggrp->setItem(row, "id", Value(id));
        proggrp->setItem(row, "prodid", Value(1));
        proggrp->setItem(row, "name", Value(name));
        proggrp->setItem(row, "proggrpid", Value(parent));
        proggrp->setItem(row, "reqprogid", required < 0 ? Value() : Value(required));
    }
    void owned(pakomo::u_ds_create_setup_a& ds, long id, long component) {
        long row = ds.insertRow(0);
        ds.setItem(row, "id", Value(id));
        ds.setItem(row, "prodid", Value(1));
        ds.setItem(row, "proggrpid", Value(component));
    }
    // Column values of the rows a buffer holds, in order.
    static std::vector<long> column(runtime::DataStore& ds, const char* name,
                                    runtime::Buffer buffer = runtime::Buffer::Primary) {
        std::vector<long> out;
        for (long r = 1; r <= ds.rowCount(buffer); ++r) {
            Value v = ds.getItem(r, name, buffer);
            out.push_back(v.isNull() ? -1 : static_cast<long>(v.toInt()));
        }
        return out;
    }
    runtime::Ref<pakomo::u_ds_create_setup_a> proggrp, regkeys, filegrp;
    runtime::Ref<pakomo::nv_proggrp> service;
};

TEST_F(ComponentsTest, DeletingATreeRemovesItDeepestFirstAndClearsEveryReference) {
    component(1, "C");
    component(2, "D1", 1);
    component(3, "D2", 1);
    component(4, "E", 2);
    component(5, "Other", 0, 4);  // requires E
    component(6, "Needs C", 0, 1);
    component(7, "Loose", 0, -1);  // no requirement at all
    owned(*regkeys, 1, 4);
    owned(*regkeys, 2, 1);
    owned(*regkeys, 3, 4);  // hidden by the caller's filter below: it keeps its component
    owned(*filegrp, 1, 2);
    owned(*filegrp, 2, 5);
    for (auto* ds : {&proggrp, &regkeys, &filegrp}) (*ds)->resetUpdate();  // as retrieved
    regkeys->fu_set_filter("id < 3");
    proggrp->fu_set_filter("id <> 7");

    EXPECT_TRUE(service->fnv_delete_proggrp(Value(1), *proggrp, *regkeys, *filegrp));
    EXPECT_EQ(column(*proggrp, "id", runtime::Buffer::Delete), (std::vector<long>{4, 2, 3, 1}));
    EXPECT_EQ(column(*proggrp, "id"), (std::vector<long>{5, 6}));  // the caller's filter again
    EXPECT_EQ(column(*proggrp, "reqprogid"), (std::vector<long>{0, 0}));
    EXPECT_EQ(column(*regkeys, "proggrpid"), (std::vector<long>{0, 0}));
    regkeys->fu_restore_filter();
    EXPECT_EQ(column(*regkeys, "proggrpid"), (std::vector<long>{0, 0, 4}));
    EXPECT_EQ(column(*filegrp, "proggrpid"), (std::vector<long>{0, 5}));
    proggrp->fu_restore_filter();
    EXPECT_EQ(column(*proggrp, "reqprogid"), (std::vector<long>{0, 0, -1}));
}

TEST_F(ComponentsTest, NothingOrOnlyDetachingForIdsThatNameNoComponent) {
    component(1, "Top");
    component(0, "Zero child", 1);
    component(-1, "No id child", 1);
    proggrp->resetUpdate();
    EXPECT_FALSE(service->fnv_delete_proggrp(Value(0), *proggrp, *regkeys, *filegrp));
    EXPECT_FALSE(service->fnv_delete_proggrp(Value(), *proggrp, *regkeys, *filegrp));
    EXPECT_EQ(proggrp->deletedCount(), 0);
    EXPECT_TRUE(service->fnv_delete_proggrp(Value(1), *proggrp, *regkeys, *filegrp));
    EXPECT_EQ(column(*proggrp, "id", runtime::Buffer::Delete), (std::vector<long>{1}));
    EXPECT_EQ(column(*proggrp, "proggrpid"), (std::vector<long>{0, 0}));
    // A loop of parents ends, and no other component's row is taken for a missing one.
    proggrp->reset();
    component(1, "A", 2);
    component(2, "B", 1);
    component(3, "Bystander");
    EXPECT_TRUE(service->fnv_delete_proggrp(Value(1), *proggrp, *regkeys, *filegrp));
    EXPECT_EQ(column(*proggrp, "id"), (std::vector<long>{3}));
    EXPECT_TRUE(service->fnv_delete_proggrp(Value(9), *proggrp, *regkeys, *filegrp));
    EXPECT_EQ(column(*proggrp, "id"), (std::vector<long>{3}));
}

TEST_F(ComponentsTest, NewComponentsTakeTheNextIdAndTheProduct) {
    EXPECT_EQ(service->fnv_insert_proggrp("First", *proggrp), 1);
    EXPECT_EQ(column(*proggrp, "id"), (std::vector<long>{1}));
    proggrp->reset();
    component(3, "Three");
    component(7, "Seven");
    EXPECT_EQ(service->fnv_insert_proggrp("New", *proggrp), 3);
    EXPECT_EQ(column(*proggrp, "id"), (std::vector<long>{3, 7, 8}));
    EXPECT_EQ(proggrp->getItem(3, "prodid").toInt(), 1);
    EXPECT_EQ(proggrp->getItemString(3, "name"), "New");
    EXPECT_EQ(proggrp->getItem(3, "reqprogid").toInt(), 0);  // the layout's initial value
    EXPECT_TRUE(service->fnv_delete_proggrp(Value(8), *proggrp, *regkeys, *filegrp));
    service->fnv_insert_proggrp("Again", *proggrp);
    EXPECT_EQ(column(*proggrp, "id"), (std::vector<long>{3, 7, 8}));
}

TEST_F(ComponentsTest, MovingAsksOnlyWhenRequirementsLinkTheComponentAndClearsThemOnOk) {
    struct Case {
        const char* name;
        long moved;
        int answer;  // 0: no question expected
        const char* text;
        std::optional<bool> result;
        std::vector<long> requirementsAfter;
    };
    const std::string cr = "\r";
    const std::string both = "The following programgroups require Base:" + cr + "Help" + cr + "Tools" + cr + cr +
                             "Base requires Runtime" + cr;
    const std::string only = cr + "Help requires Base" + cr;
    const std::string self = "The following programgroups require Self:" + cr + "Self" + cr + cr +
                             "Self requires Self" + cr;
    const Case cases[] = {
        {"free", 4, 0, "", true, {3, 1, 0, 0, 1, 6, -1}},
        {"both ways, OK", 1, 1, both.c_str(), true, {0, 0, 0, 0, 0, 6, -1}},
        {"both ways, Cancel", 1, 2, both.c_str(), false, {3, 1, 0, 0, 1, 6, -1}},
        {"only requires", 2, 1, only.c_str(), true, {3, 0, 0, 0, 1, 6, -1}},
        {"requires itself", 6, 1, self.c_str(), true, {3, 1, 0, 0, 1, 0, -1}},
        {"requirement without a value", 7, 0, "", std::nullopt, {3, 1, 0, 0, 1, 6, -1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        proggrp->reset();
        component(1, "Base", 0, 3);
        component(2, "Help", 0, 1);
        component(3, "Runtime");
        component(4, "Free");
        component(5, "Tools", 0, 1);
        component(6, "Self", 0, 6);
        component(7, "Unknown", 0, -1);
        const size_t before = boxes.shown().size();
        if (c.answer) boxes.answer(c.answer);
        EXPECT_EQ(service->fnv_is_proggrp_move_ok(c.moved, *proggrp), c.result);
        ASSERT_EQ(boxes.shown().size() - before, c.answer ? 1u : 0u);
        if (c.answer) {
            EXPECT_NE(boxes.shown().back().text.find(c.text), std::string::npos) << boxes.shown().back().text;
        }
        EXPECT_EQ(column(*proggrp, "reqprogid"), c.requirementsAfter);
    }
}

}  // namespace
