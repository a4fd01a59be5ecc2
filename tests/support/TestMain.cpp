#include <gtest/gtest.h>

#include <cstdlib>

#include "support/TestEnvironment.h"

int main(int argc, char** argv) {
    // Before anything reads the environment: the machine folder, ODBC files and Qt platform.
    testing_support::setUpProcessEnvironment();
    // atexit also covers --gtest_list_tests, which runs no environment tear-down.
    std::atexit(testing_support::tearDownProcessEnvironment);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
