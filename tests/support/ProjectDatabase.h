#pragma once
// A test's project database on each database system the program supports: a fresh, empty database
// under a data source of its own in this process's odbc.ini.
//
// SQLite: a file in the process's test folder. PostgreSQL: a database of its own in the server that
// RUX_TEST_POSTGRES names (its data source attributes separated by ';', as
// `scripts/test-postgres.sh env` prints them for the throwaway cluster of scripts/test.sh), dropped
// when the process ends. Without that server the PostgreSQL runs are skipped, never failed.
//
//   class MyTest : public ::testing::TestWithParam<testing_support::DatabaseSystem> {
//       void SetUp() override {
//           source = testing_support::addProjectDataSource(GetParam());
//           if (!source) GTEST_SKIP() << source.unavailable;
//           ...
//   INSTANTIATE_DATABASE_TEST_SUITE_P(MyTest);
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <string_view>

namespace testing_support {

enum class DatabaseSystem { SQLite, PostgreSQL };

std::string_view databaseSystemName(DatabaseSystem system);
inline void PrintTo(DatabaseSystem system, std::ostream* out) { *out << databaseSystemName(system); }

struct ProjectDataSource {
    DatabaseSystem system = DatabaseSystem::SQLite;
    std::string dsn;          // empty when the system is not at hand
    std::string unavailable;  // why not, for GTEST_SKIP

    explicit operator bool() const { return !dsn.empty(); }
    std::string dbParm() const { return "Connectstring='DSN=" + dsn + "'"; }
};

// Throws when the PostgreSQL server is named but cannot make the database: that is a failure.
ProjectDataSource addProjectDataSource(DatabaseSystem system);

}  // namespace testing_support

// One instance of a suite per database system, named after it (Suite/Test/SQLite, .../PostgreSQL).
#define INSTANTIATE_DATABASE_TEST_SUITE_P(suite)                                                      \
    INSTANTIATE_TEST_SUITE_P(                                                                         \
        , suite,                                                                                      \
        ::testing::Values(::testing_support::DatabaseSystem::SQLite,                                  \
                          ::testing_support::DatabaseSystem::PostgreSQL),                             \
        [](const ::testing::TestParamInfo<::testing_support::DatabaseSystem>& info) {                 \
            return std::string(::testing_support::databaseSystemName(info.param));                    \
        })
