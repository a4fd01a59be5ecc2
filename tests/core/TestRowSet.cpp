// The row-set ancestors: the filter stack, the trimming of text columns after a retrieve, the
// test for unsaved changes, and a project row set's save marking the product as not built.
#include "core/CoreFixture.h"

#include "authoring/core/layouts/core_layouts.h"
#include "authoring/core/u_ds_all_products.h"
#include "authoring/core/u_ds_create_setup_a.h"

namespace {

using core_test::CoreDatabaseFixture;
using core_test::StandInProjectService;

class RowSetTest : public CoreDatabaseFixture {
protected:
    void SetUp() override {
        CoreDatabaseFixture::SetUp();
        pakomo::registerCoreLayouts();
        connectProjectDatabase();
        if (IsSkipped()) return;
        executeSql({
            "INSERT INTO PRODUCT (ID, PRODNAME, PRODVERS, LABEL) VALUES (1, 'Abcd                            ', '1', NULL)",
            "INSERT INTO PRODUCT (ID, PRODNAME, PRODVERS, LABEL) VALUES (2, '  Beta  ', '2', 'Lbl')",
            "INSERT INTO PRODUCT (ID, PRODNAME, PRODVERS, LABEL) VALUES (3, 'Gamma', '3', 'Lbl')",
        });
    }
    std::vector<long> ids(runtime::DataStore& ds, runtime::Buffer buffer = runtime::Buffer::Primary) {
        std::vector<long> out;
        for (long r = 1; r <= ds.rowCount(buffer); ++r) out.push_back(static_cast<long>(ds.getItemNumber(r, 1, buffer)));
        return out;
    }
};

INSTANTIATE_DATABASE_TEST_SUITE_P(RowSetTest);

TEST_P(RowSetTest, FilterStackPushesRestoresAndIgnoresAnUnmatchedRestore) {
    runtime::Ref<pakomo::u_ds_all_products> ds = runtime::create<pakomo::u_ds_all_products>();
    ASSERT_EQ(ds->retrieve(), 3);
    EXPECT_EQ(ds->fu_get_filter(), "");
    ds->fu_restore_filter();
    EXPECT_EQ(ids(*ds), (std::vector<long>{1, 2, 3}));
    EXPECT_FALSE(ds->fu_is_modified());

    struct Step {
        const char* push;  // nullptr: restore
        std::string current;
        std::vector<long> visible;
    } steps[] = {
        {"id > 1", "id > 1", {2, 3}},
        {"label = 'Lbl' and id < 3", "label = 'Lbl' and id < 3", {2}},
        {nullptr, "id > 1", {2, 3}},
        {nullptr, "", {1, 2, 3}},
        {nullptr, "", {1, 2, 3}},
        {"id = 1", "id = 1", {1}},
        {nullptr, "", {1, 2, 3}},
        {"id = 3", "id = 3", {3}},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.push ? s.push : "restore");
        if (s.push)
            ds->fu_set_filter(s.push);
        else
            ds->fu_restore_filter();
        EXPECT_EQ(ds->fu_get_filter(), s.current);
        EXPECT_EQ(ids(*ds), s.visible);
    }
    // Push A, restore, push C: the stack holds the empty filter and C.
    EXPECT_EQ(ds->ii_filter_index, 2);
    EXPECT_EQ(ds->is_filter.get(1), "");
    EXPECT_EQ(ds->is_filter.get(2), "id = 3");
    runtime::destroy(ds);
}

TEST_P(RowSetTest, TextColumnsComeBackTrimmedInEveryBufferAndTheRowsStayUnmodified) {
    runtime::Ref<pakomo::u_ds_all_products> ds = runtime::create<pakomo::u_ds_all_products>();
    ds->setFilter("id <> 2");
    ASSERT_EQ(ds->retrieve(), 2);
    EXPECT_EQ(ds->getItemString(1, "prodname"), "Abcd");
    EXPECT_FALSE(ds->getItem(1, "label").isNull());
    EXPECT_EQ(ds->getItemString(1, "label"), "");
    ASSERT_EQ(ds->rowCount(runtime::Buffer::Filter), 1);
    EXPECT_EQ(ds->getItemString(1, "prodname", runtime::Buffer::Filter), "Beta");
    EXPECT_FALSE(ds->fu_is_modified());
    EXPECT_EQ(ds->getItemStatus(1, 0), runtime::ItemStatus::NotModified);
    // A filtered-out row found by its trimmed name once it is let through.
    ds->setFilter("");
    ds->filter();
    EXPECT_GT(ds->find("prodname = 'Beta'", 1, ds->rowCount()), 0);
    runtime::destroy(ds);
}

TEST_P(RowSetTest, AnOracleDatabaseInAnyLetterCaseLeavesTheValuesAsTheyCame) {
    application().g_str_pass.dbms_type = "oRaClE";
    runtime::Ref<pakomo::u_ds_all_products> ds = runtime::create<pakomo::u_ds_all_products>();
    EXPECT_FALSE(ds->ib_trim_char_columns);
    ASSERT_EQ(ds->retrieve(), 3);
    EXPECT_EQ(ds->getItemString(2, "prodname"), "  Beta  ");
    EXPECT_TRUE(ds->getItem(1, "label").isNull());
    runtime::destroy(ds);
}

TEST_P(RowSetTest, ModifiedCountsChangedAndDeletedRows) {
    runtime::Ref<pakomo::u_ds_all_products> ds = runtime::create<pakomo::u_ds_all_products>();
    ASSERT_EQ(ds->retrieve(), 3);
    ds->setItem(2, "label", runtime::Value("New"));
    EXPECT_TRUE(ds->fu_is_modified());
    ASSERT_EQ(ds->retrieve(), 3);
    ds->deleteRow(1);
    EXPECT_TRUE(ds->fu_is_modified());
    runtime::destroy(ds);
}

TEST_P(RowSetTest, TheLargestIdCountsRowsFilteredOutAndDeletedSoANewIdNeverRepeatsOne) {
    runtime::Ref<pakomo::u_ds_all_products> ds = runtime::create<pakomo::u_ds_all_products>();
    ASSERT_EQ(ds->retrieve(), 3);
    ds->fu_set_filter("id < 3");
    ds->deleteRow(2);
    ASSERT_EQ(ds->rowCount(), 1);
    EXPECT_EQ(ds->getItem(1, "c_max_id").toInt(), 3);
    runtime::destroy(ds);
}

// A project row set over STRINGS that its caller saves.
class StringsRowSet : public pakomo::u_ds_create_setup_a {
public:
    StringsRowSet() {
        runtime::DataLayout l = pakomo::d_stringtabel_z();
        l.updateTable = "STRINGS";
        for (auto& c : l.columns) c.updatable = true;
        l.columns[0].key = l.columns[1].key = true;
        setLayout(std::make_shared<const runtime::DataLayout>(std::move(l)));
    }
};

TEST_P(RowSetTest, ASaveThatChangedRowsMarksTheProductNotBuiltAndAnEmptySaveDoesNot) {
    runtime::Ref<StandInProjectService> project = runtime::create<StandInProjectService>();
    application().gnv_create_setup = project;
    executeSql({"INSERT INTO STRINGS (ID, PRODID, NAME, VALUE) VALUES (1, 1, 'A', 'x')"});
    runtime::Ref<StringsRowSet> strings = runtime::create<StringsRowSet>();
    EXPECT_EQ(strings->transObject(), &application().sqlca);
    const runtime::Value product[] = {runtime::Value(1)};
    ASSERT_EQ(strings->retrieve(product), 1);

    ASSERT_EQ(strings->update(), 1);
    EXPECT_TRUE(project->compiled.empty()) << "nothing was written";

    strings->setItem(1, "value", runtime::Value("y"));
    ASSERT_EQ(strings->update(), 1) << strings->lastError();
    ASSERT_EQ(project->compiled.size(), 1u);
    EXPECT_EQ(project->compiled[0], runtime::Value(false));

    // Deleting every row is a change too.
    strings->deleteRow(1);
    ASSERT_EQ(strings->update(), 1) << strings->lastError();
    EXPECT_EQ(project->compiled.size(), 2u);

    // A descendant that turned the hook off hears nothing.
    strings->ib_do_post_updateend = false;
    strings->insertRow(0);
    strings->setItem(1, "id", runtime::Value(2));
    strings->setItem(1, "prodid", runtime::Value(1));
    ASSERT_EQ(strings->update(), 1) << strings->lastError();
    EXPECT_EQ(project->compiled.size(), 2u);
    runtime::destroy(strings);
    runtime::destroy(project);
}

}  // namespace
