#include <gtest/gtest.h>

#include <cstdlib>

namespace sbtest {
void installTempHomeListener();
}

// Sanitizer defaults for every test program (and the children it starts with
// the same options in their environment).
extern "C" const char* __asan_default_options() {
    return "detect_leaks=1";
}
extern "C" const char* __lsan_default_options() {
    return "suppressions=" SB_LSAN_SUPPRESSIONS ":print_suppressions=0";
}
extern "C" const char* __ubsan_default_options() {
    return "print_stacktrace=1:halt_on_error=1";
}

int main(int argc, char** argv) {
    // Headless defaults; an explicit setting in the environment wins.
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("SOUNDBOARD_BUNDLE", SB_SOURCE_BUNDLE, 0);
    setenv("SOUNDBOARD_TEST_DATA", SB_TEST_DATA, 0);
    setenv("SOUNDBOARD_BUILD_DIR", SB_BUILD_DIR, 0);
    ::testing::InitGoogleTest(&argc, argv);
    sbtest::installTempHomeListener();
    return RUN_ALL_TESTS();
}
