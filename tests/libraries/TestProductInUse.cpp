// The program's own chooser, frame and project window over the project database, as a second
// program on the same database meets them: while the program waits for its user it holds no lock
// and no open transaction, and a product open in the project window is not deleted under it.
#include <QMainWindow>

#include "EditingFixture.h"
#include "authoring/ChooserFixture.h"
#include "runtime/db/Transaction.h"

namespace {

using authoring_test::ChooserFixture;

class ProductInUseTest : public ChooserFixture,
                         public ::testing::WithParamInterface<testing_support::DatabaseSystem> {
protected:
    testing_support::DatabaseSystem databaseSystem() const override { return GetParam(); }
    void SetUp() override {
        ChooserFixture::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        pakomo::register_wizard_library();
        pakomo::register_project_library();
        pakomo::register_project();
        application().gnv_regobjects = runtime::createByName("nv_regobjects").as<pakomo::nv_a>();
    }
    void TearDown() override {
        if (application().gnv_regobjects) runtime::destroy(application().gnv_regobjects);
        ChooserFixture::TearDown();
    }

    // A second program writes to the database and commits at once; answers what stood in its way
    // (nothing: an empty text). On the server it also looks for a transaction left open.
    std::string secondProgramWrites() {
        runtime::Transaction other;
        other.dbms = "ODBC";
        other.dbParm = application().sqlca.dbParm;
        other.autoCommit = true;
        if (other.connect() != 0) return "connect: " + other.sqlErrText;
        std::string held;
        if (GetParam() == testing_support::DatabaseSystem::PostgreSQL) {
            other.executeImmediate("SET lock_timeout = '300ms'");
            runtime::SqlRow row;
            other.selectInto(
                "SELECT COUNT(*) FROM pg_stat_activity WHERE datname = current_database() "
                "AND state LIKE 'idle in transaction%'",
                {}, row);
            if (row.empty() || row[0] != "0")
                held = "open transactions: " + (row.empty() ? "?" : row[0].value_or(""));
        }
        for (const char* sql :
             {"INSERT INTO STRINGS VALUES (1, 999, 'OTHER', 'x')", "DELETE FROM STRINGS WHERE PRODID = 999"})
            if (other.executeImmediate(sql) != 0) held += std::string(sql) + ": " + other.sqlErrText;
        other.disconnect();
        return held;
    }

    pakomo::w_project& project() { return *frame->w_project.as<pakomo::w_project>(); }

    // A second program that changes the rows of products 3 and 4 and has not committed yet: it
    // holds the lock that the program's writes need.
    void secondProgramHoldsTheLock(runtime::Transaction& other) {
        other.dbms = "ODBC";
        other.dbParm = application().sqlca.dbParm;
        ASSERT_EQ(other.connect(), 0) << other.sqlErrText;
        ASSERT_EQ(other.executeImmediate("UPDATE PRODUCT SET README = 1 WHERE ID IN (3, 4)"), 0)
            << other.sqlErrText;
    }
};

INSTANTIATE_DATABASE_TEST_SUITE_P(ProductInUseTest);

TEST_P(ProductInUseTest, TheDatabaseIsFreeWhileTheProgramWaitsForItsUser) {
    executeSql(everyTable(3));
    openChooser();
    EXPECT_EQ(secondProgramWrites(), "") << "the chooser is open";
    click("clicked", 2);
    EXPECT_EQ(secondProgramWrites(), "") << "a product is chosen";
    click("doubleclicked", 2);
    ASSERT_TRUE(frame->w_project.isValid());
    EXPECT_EQ(secondProgramWrites(), "") << "the project window is open";
    project().sle_prodvers->setText("2.0");
    EXPECT_EQ(secondProgramWrites(), "") << "an edit waits to be saved";
    EXPECT_TRUE(project().fw_save());
    EXPECT_EQ(secondProgramWrites(), "") << "the edit is saved";
    EXPECT_EQ(count("PRODUCT WHERE PRODVERS = '2.0'"), 1);
    project().cb_close->click();
    core_test::settle();
    ASSERT_TRUE(frame->w_choose_product.isValid());
    EXPECT_EQ(secondProgramWrites(), "") << "the chooser is back";
    EXPECT_TRUE(boxes.shown().empty());
}

TEST_P(ProductInUseTest, AProductOpenInTheProjectWindowIsNotDeletedUnderIt) {
    executeSql(everyTable(3));
    executeSql({productRow(4, "Delta", "1", "Old")});
    openChooser();
    click("doubleclicked", 2);
    ASSERT_TRUE(frame->w_project.isValid());
    // The chooser again beside the project window (File > Open).
    application().g_str_pass.string[1] = "choose_product";
    frame->post("ue_fileopen");
    core_test::settle();
    ASSERT_TRUE(frame->w_choose_product.isValid());

    click("clicked", 2);
    boxes.answer(1);  // yes, delete it
    boxes.answer(1);  // OK to the refusal
    list().post("ue_popup_delete");
    core_test::settle();
    ASSERT_EQ(boxes.shown().size(), 2u);
    EXPECT_EQ(boxes.shown()[1].title, "Delete product");
    EXPECT_NE(boxes.shown()[1].text.find("\"Product 3 1.00.00 Empty\" is open in the project window"),
              std::string::npos)
        << boxes.shown()[1].text;
    EXPECT_EQ(count("PRODUCT WHERE ID = 3"), 1);
    EXPECT_EQ(count("FILE WHERE PRODID = 3"), 1);
    EXPECT_EQ(labels(), (std::vector<std::string>{"New product", "Product 3 1.00.00 Empty", "Delta 1 Old"}));
    // The window's work is still saved.
    project().sle_label->setText("Kept");
    EXPECT_TRUE(project().fw_save());
    EXPECT_EQ(count("PRODUCT WHERE ID = 3 AND LABEL = 'Kept'"), 1);

    // Another product goes as before, and so does this one once its window is closed.
    click("clicked", 3);
    boxes.answer(1);
    list().post("ue_popup_delete");
    core_test::settle();
    EXPECT_EQ(count("PRODUCT WHERE ID = 4"), 0);
    project().cb_close->click();
    core_test::settle();
    click("clicked", 2);
    boxes.answer(1);
    list().post("ue_popup_delete");
    core_test::settle();
    EXPECT_EQ(count("PRODUCT WHERE ID = 3"), 0);
    EXPECT_EQ(boxes.shown().size(), 4u);
}

// Another program holds the lock: the program's work is refused after the driver's retries, with
// a message that says what to do, and nothing of the user's is lost; once the other program has
// finished, the same command succeeds.
TEST_P(ProductInUseTest, WorkThatMeetsAnotherProgramsLockIsExplainedAndKept) {
    executeSql(everyTable(3));
    executeSql({productRow(4, "Delta", "1", "Old")});
    openChooser();
    click("doubleclicked", 2);
    ASSERT_TRUE(frame->w_project.isValid());
    application().g_str_pass.string[1] = "choose_product";
    frame->post("ue_fileopen");
    core_test::settle();
    project().sle_label->setText("Edited");
    {
        runtime::Transaction other;
        secondProgramHoldsTheLock(other);
        // One message, the window's, which says what to do.
        boxes.answer(1);
        EXPECT_FALSE(project().fw_save());
        ASSERT_EQ(boxes.shown().size(), 1u);
        EXPECT_EQ(boxes.shown()[0].title, "Project");
        EXPECT_NE(boxes.shown()[0].text.find(runtime::Transaction::busyAdvice), std::string::npos)
            << boxes.shown()[0].text;
        EXPECT_EQ(project().sle_label->text(), "Edited");
        EXPECT_TRUE(project().fw_is_modified());

        // Deleting another product meets the same lock: it is said, and the product stays.
        click("clicked", 3);
        boxes.answer(1);  // yes, delete it
        boxes.answer(1);  // OK to the message
        list().post("ue_popup_delete");
        core_test::settle();
        ASSERT_EQ(boxes.shown().size(), 3u);
        EXPECT_NE(boxes.shown()[2].text.find("\"Delta 1 Old\" could not be deleted"), std::string::npos)
            << boxes.shown()[2].text;
        other.rollback();
        other.disconnect();
    }
    EXPECT_EQ(count("PRODUCT WHERE ID = 4"), 1);
    EXPECT_TRUE(project().fw_save());
    EXPECT_EQ(count("PRODUCT WHERE ID = 3 AND LABEL = 'Edited'"), 1);
}

}  // namespace
