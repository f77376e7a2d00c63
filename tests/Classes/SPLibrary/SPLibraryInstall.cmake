# Installs the kit of this build tree into a scratch prefix, then configures, builds and runs
# the example program against it through find_package(SPLibrary), and once more by hand
# with the flags pkg-config gives. The libraries are the ones already built here, so the
# example gets the same sanitizer flags to link against them.
set(SB_KIT_EXAMPLE_FLAGS "")
if(SOUNDBOARD_SANITIZE)
    set(SB_KIT_EXAMPLE_FLAGS "-fsanitize=address,undefined -fno-omit-frame-pointer")
endif()
add_test(NAME SPLibraryInstall.ExampleBuildsAndRunsAgainstTheInstalledKit
    COMMAND ${CMAKE_COMMAND}
        "-DBUILD_DIR=${PROJECT_BINARY_DIR}"
        "-DEXAMPLE_DIR=${PROJECT_SOURCE_DIR}/examples"
        "-DWORK_DIR=${CMAKE_CURRENT_BINARY_DIR}/installed-kit"
        "-DGENERATOR=${CMAKE_GENERATOR}"
        "-DCXX_COMPILER=${CMAKE_CXX_COMPILER}"
        "-DCXX_FLAGS=${SB_KIT_EXAMPLE_FLAGS}"
        "-DPKG_CONFIG=${PKG_CONFIG_EXECUTABLE}"
        -P ${CMAKE_CURRENT_LIST_DIR}/install/CheckInstalledKit.cmake)
set_tests_properties(SPLibraryInstall.ExampleBuildsAndRunsAgainstTheInstalledKit PROPERTIES
    ENVIRONMENT "${SB_TEST_ENVIRONMENT}"
    TIMEOUT 240)
