#pragma once
// The shared fixture of the authoring program's tests. Each test runs in its own process with its
// own machine folder (the test support's main); the fixture adds the Qt application with the
// runtime bound to it, a fresh application object `pakomo`, and the seams of the message box,
// file dialog, run and help, which fail the test on any question it did not expect.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "authoring/core/nv_a.h"
#include "authoring/core/pakomo.h"
#include "runtime/services/MessageBox.h"
#include "runtime/services/System.h"
#include "runtime/ui/Services.h"
#include "support/runtime/UiDoubles.h"
#include "support/ProjectDatabase.h"

class QApplication;

namespace core_test {

QApplication& qtApplication();
// Runs Qt's and the runtime's pending events until none is left.
void settle();

// The schema script of the project database.
std::string schemaScriptPath();
// The statements of a SQL script, in order (comments dropped, split at the semicolons that end a
// line).
std::vector<std::string> scriptStatements(std::string_view script);

// Makes a fresh project database from the schema script on that database system under an ODBC
// data source of its own; answers the source (without a name when the system is not at hand).
// This is the one place that makes the tests' data source.
testing_support::ProjectDataSource createProjectDataSource(
    testing_support::DatabaseSystem system = testing_support::DatabaseSystem::SQLite);

// Stands in for the project service where a test needs one: it answers the calls this subsystem
// raises on it by name and records them. Register it as "nv_create_setup" to have the start-up
// create it.
class StandInProjectService : public pakomo::nv_a {
public:
    StandInProjectService();
    std::string fullprodname;             // what fnv_get_fullprodname answers
    std::vector<runtime::Value> compiled;  // the arguments of each fnv_set_compiled
};

class CoreFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Connects the application's sqlca to a fresh project database (automatic commit off) on the
    // test's database system; skips the test when that system is not at hand (a caller's SetUp
    // returns when IsSkipped()).
    void connectProjectDatabase();
    virtual testing_support::DatabaseSystem databaseSystem() const { return testing_support::DatabaseSystem::SQLite; }
    // Runs statements over sqlca and commits; fails the test on the first error.
    void executeSql(const std::vector<std::string>& statements);

    // What went through the seams since the last call; whatever a test did not take fails it at
    // its end.
    std::vector<std::string> takeRuns();
    std::vector<runtime::HelpRequest> takeHelp();

    pakomo::pakomo& application() { return *app_; }

    // The Qt runtime installs its own seams: it comes first, so that the test's replace them.
    bool qtReady_ = (qtApplication(), true);
    runtime::ScriptedMessageBoxes boxes;
    runtime::ScriptedFileDialog fileDialogs;

private:
    runtime::RecordedRuns runs_;
    runtime::RecordedHelp help_;
    std::unique_ptr<pakomo::pakomo> app_;
    size_t runsTaken_ = 0;
    size_t helpTaken_ = 0;
};

// The fixture of tests that use the project database: each runs on SQLite and on PostgreSQL.
//   class MyTest : public CoreDatabaseFixture { ... };
//   INSTANTIATE_DATABASE_TEST_SUITE_P(MyTest);
//   TEST_P(MyTest, ...) { ... }
class CoreDatabaseFixture : public CoreFixture,
                            public ::testing::WithParamInterface<testing_support::DatabaseSystem> {
protected:
    testing_support::DatabaseSystem databaseSystem() const override { return GetParam(); }
};

}  // namespace core_test
