# Replays the kit's fuzz targets over their committed corpus as ordinary tests: the same
# sources, built with the compiler and sanitizers of this build, driven by a small main
# that feeds every file of fuzz/corpus/<name> to the target once.
# The readers of a bundle (fuzz/platform.cmake) are replayed the same way, each target
# when the library it reads through is part of this build.
include(${PROJECT_SOURCE_DIR}/fuzz/kit.cmake)
include(${PROJECT_SOURCE_DIR}/fuzz/platform.cmake)
include(${PROJECT_SOURCE_DIR}/fuzz/remote.cmake)
foreach(name ${SB_KIT_FUZZERS})
    set(SB_FUZZ_REPLAY_${name}_SOURCES ${SB_KIT_FUZZER_${name}_SOURCES})
    set(SB_FUZZ_REPLAY_${name}_LIBS SPLibrary)
endforeach()
set(SB_FUZZ_REPLAYS ${SB_KIT_FUZZERS})
foreach(name ${SB_PLATFORM_FUZZERS})
    if(TARGET ${SB_PLATFORM_FUZZER_${name}_LIBS})
        list(APPEND SB_FUZZ_REPLAYS ${name})
        set(SB_FUZZ_REPLAY_${name}_SOURCES ${SB_PLATFORM_FUZZER_${name}_SOURCES})
        set(SB_FUZZ_REPLAY_${name}_LIBS ${SB_PLATFORM_FUZZER_${name}_LIBS})
    endif()
endforeach()
foreach(name ${SB_REMOTE_FUZZERS})
    if(TARGET ${SB_REMOTE_FUZZER_${name}_LIBS})
        list(APPEND SB_FUZZ_REPLAYS ${name})
        set(SB_FUZZ_REPLAY_${name}_SOURCES ${SB_REMOTE_FUZZER_${name}_SOURCES})
        set(SB_FUZZ_REPLAY_${name}_LIBS ${SB_REMOTE_FUZZER_${name}_LIBS})
    endif()
endforeach()
foreach(name ${SB_FUZZ_REPLAYS})
    add_executable(fuzz_replay_${name}
        ${SB_FUZZ_REPLAY_${name}_SOURCES}
        ${CMAKE_CURRENT_LIST_DIR}/FuzzReplayMain.cpp)
    target_link_libraries(fuzz_replay_${name} PRIVATE ${SB_FUZZ_REPLAY_${name}_LIBS})
    add_test(NAME FuzzReplay.${name}
        COMMAND fuzz_replay_${name} ${PROJECT_SOURCE_DIR}/fuzz/corpus/${name})
    set_tests_properties(FuzzReplay.${name} PROPERTIES
        ENVIRONMENT "${SB_TEST_ENVIRONMENT}" TIMEOUT 240)
endforeach()
