// Entry point of every end-to-end test program. They are GUI programs (a console program would
// already own a console under Wine), so main is given here rather than taken from gtest_main.
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
