#include <gtest/gtest.h>

#include "support/TestEnvironment.h"

namespace {
class ProcessEnvironment : public ::testing::Environment {
public:
    void TearDown() override { testing_support::tearDownProcessEnvironment(); }
};
}  // namespace

int main(int argc, char** argv) {
    // Before anything reads the environment: the machine folder, ODBC files and Qt platform.
    testing_support::setUpProcessEnvironment();
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new ProcessEnvironment);
    return RUN_ALL_TESTS();
}
