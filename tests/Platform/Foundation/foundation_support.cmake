# Wiring for this folder's tests: the settings writer helper program run by the
# multi-process settings tests, and where the source tree's bundle is.
add_executable(settings_writer SettingsWriter.cpp)
target_link_libraries(settings_writer PRIVATE sb_foundation)
if(TARGET foundation_tests)
    add_dependencies(foundation_tests settings_writer)
    target_compile_definitions(foundation_tests PRIVATE
        SB_SETTINGS_WRITER="$<TARGET_FILE:settings_writer>"
        SB_SOURCE_RESOURCES="${PROJECT_SOURCE_DIR}/Resources")
endif()
