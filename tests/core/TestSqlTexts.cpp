// The SQL statement writer's texts on each database: the literals it writes carry any text there and
// back, and its WHERE clauses find the rows again by their stored keys.
#include "core/CoreFixture.h"

#include "authoring/core/layouts/core_layouts.h"
#include "authoring/core/nv_sql.h"
#include "authoring/core/u_ds_all_products.h"

namespace {

using core_test::CoreDatabaseFixture;

class SqlTextsTest : public CoreDatabaseFixture {
protected:
    void SetUp() override {
        CoreDatabaseFixture::SetUp();
        pakomo::registerCoreLayouts();
        connectProjectDatabase();
    }
};

INSTANTIATE_DATABASE_TEST_SUITE_P(SqlTextsTest);

// Texts that a database or its driver could read as more than a text: quotes, backslashes (an
// escape character where strings are not standard), parameter markers, comments, statement ends.
const std::vector<std::string> kTexts = {
    "O'Brien",
    "C:\\Program Files\\",
    "back\\'slash",
    "''",
    "what?",
    "a -- b /* c",
    "x'; DELETE FROM PRODUCT; --",
    "",
    "M\xC3\xBCller",
    "^PROGRAMFILESDIR^\\^PRODUCTNAME^",
};

TEST_P(SqlTextsTest, WrittenTextsComeBackAndTheirRowsAreFoundAgain) {
    runtime::Transaction& sqlca = application().sqlca;
    runtime::Ref<pakomo::u_ds_all_products> products = runtime::create<pakomo::u_ds_all_products>();
    runtime::Ref<pakomo::nv_sql> writer = runtime::create<pakomo::nv_sql>();
    ASSERT_EQ(products->retrieve(), 0);
    for (size_t i = 0; i < kTexts.size(); ++i) {
        long row = products->insertRow(0);
        products->setItem(row, "id", runtime::Value(static_cast<int64_t>(i + 1)));
        ASSERT_EQ(products->setItem(row, "basepath", runtime::Value(kTexts[i])), 1) << i;
        ASSERT_EQ(products->setItem(row, "prodname", runtime::Value(kTexts[i])), 1) << i;
    }
    ASSERT_EQ(writer->fnv_update(*products), 1) << sqlca.sqlErrText;
    ASSERT_EQ(sqlca.commit(), 0);

    ASSERT_EQ(products->retrieve(), static_cast<long>(kTexts.size()));
    for (size_t i = 0; i < kTexts.size(); ++i) {
        SCOPED_TRACE(kTexts[i]);
        EXPECT_EQ(products->getItemString(static_cast<long>(i + 1), "basepath"), kTexts[i]);
        EXPECT_FALSE(products->getItem(static_cast<long>(i + 1), "basepath").isNull());
    }

    // Every row changed through the writer's WHERE clause, then looked up by its text.
    for (long row = 1; row <= products->rowCount(); ++row)
        products->setItem(row, "prodvers", runtime::Value("v" + std::to_string(row)));
    ASSERT_EQ(writer->fnv_update(*products), 1) << sqlca.sqlErrText;
    ASSERT_EQ(sqlca.commit(), 0);
    for (size_t i = 0; i < kTexts.size(); ++i) {
        SCOPED_TRACE(kTexts[i]);
        runtime::SqlRow row;
        const runtime::SqlCell name[] = {runtime::SqlCell(kTexts[i])};
        ASSERT_EQ(sqlca.selectInto("SELECT ID, PRODVERS FROM PRODUCT WHERE PRODNAME = ?", name, row), 0)
            << sqlca.sqlErrText;
        EXPECT_EQ(row, (runtime::SqlRow{runtime::SqlCell(std::to_string(i + 1)), runtime::SqlCell("v" + std::to_string(i + 1))}));
    }

    // Deleted by the writer's WHERE clause: only those rows go.
    while (products->rowCount() > 2) products->deleteRow(1);
    ASSERT_EQ(writer->fnv_update(*products), 1) << sqlca.sqlErrText;
    ASSERT_EQ(sqlca.commit(), 0);
    ASSERT_EQ(products->retrieve(), 2);
    EXPECT_EQ(products->getItemString(1, "basepath"), kTexts[kTexts.size() - 2]);
    EXPECT_EQ(products->getItemString(2, "basepath"), kTexts[kTexts.size() - 1]);
    runtime::destroy(writer);
    runtime::destroy(products);
}

}  // namespace
