# Triggers from outside the window to the sound starting: a global hotkey (an
# XTEST key event on an Xvfb of the benchmark's own) and `soundboard --play`
# (over a private session bus), with the application in process.
if(TARGET sb_board_hotkeys AND TARGET sb_remote AND TARGET soundboard)
    pkg_check_modules(XCB_BENCH REQUIRED IMPORTED_TARGET xcb xcb-keysyms xcb-xtest)
    sb_add_benchmark(triggers
        SOURCES
            ${CMAKE_CURRENT_LIST_DIR}/TriggerBench.cpp
            ${CMAKE_CURRENT_LIST_DIR}/BenchHome.cpp
            ${PROJECT_SOURCE_DIR}/tests/Platform/Hotkeys/XDisplay.cpp
        LIBS sb_board_hotkeys sb_remote sb_bus_service sb_child_process PkgConfig::XCB_BENCH)
    add_dependencies(bench_triggers soundboard)
    target_compile_definitions(bench_triggers PRIVATE
        SOUNDBOARD_PROGRAM="$<TARGET_FILE:soundboard>"
        SOUNDBOARD_SOURCE_BUNDLE="${PROJECT_SOURCE_DIR}/Resources")
endif()
