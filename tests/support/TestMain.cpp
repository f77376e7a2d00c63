#include <gtest/gtest.h>

namespace sbtest {
void installTempHomeListener();
}

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    sbtest::installTempHomeListener();
    return RUN_ALL_TESTS();
}
