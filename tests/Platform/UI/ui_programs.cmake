# The application the headless host tests start as a child process, and the
# source bundle the layout tests copy pictures from.
add_executable(ui_headless_probe ${CMAKE_CURRENT_SOURCE_DIR}/HeadlessProbeProgram.cpp)
target_link_libraries(ui_headless_probe PRIVATE sb_ui)
if(TARGET ui_tests)
    add_dependencies(ui_tests ui_headless_probe)
    target_compile_definitions(ui_tests PRIVATE
        SB_HEADLESS_PROBE="$<TARGET_FILE:ui_headless_probe>"
        SB_UI_SOURCE_BUNDLE="${PROJECT_SOURCE_DIR}/Resources")
endif()
