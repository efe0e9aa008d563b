// The window size is chosen before the program has an application object, so these tests
// run without one: each test makes (and ends) its own where it needs one.
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
