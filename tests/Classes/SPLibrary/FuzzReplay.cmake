# Replays the kit's fuzz targets over their committed corpus as ordinary tests: the same
# sources, built with the compiler and sanitizers of this build, driven by a small main
# that feeds every file of fuzz/corpus/<name> to the target once.
include(${PROJECT_SOURCE_DIR}/fuzz/kit.cmake)
foreach(name ${SB_KIT_FUZZERS})
    add_executable(fuzz_replay_${name}
        ${SB_KIT_FUZZER_${name}_SOURCES}
        ${CMAKE_CURRENT_LIST_DIR}/FuzzReplayMain.cpp)
    target_link_libraries(fuzz_replay_${name} PRIVATE SPLibrary)
    add_test(NAME FuzzReplay.${name}
        COMMAND fuzz_replay_${name} ${PROJECT_SOURCE_DIR}/fuzz/corpus/${name})
    set_tests_properties(FuzzReplay.${name} PROPERTIES
        ENVIRONMENT "${SB_TEST_ENVIRONMENT}" TIMEOUT 240)
endforeach()
