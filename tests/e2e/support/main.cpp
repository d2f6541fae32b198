// Entry point of every end-to-end test program. The programs are GUI executables (a console
// program would already own a console under Wine); mingw's start-up code calls main for them too.
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
