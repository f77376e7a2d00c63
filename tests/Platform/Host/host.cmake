# The window host's tests drive real Qt widgets (offscreen) over the real
# application, and start the real program as a child for the process-level checks.
if(TARGET host_tests)
    find_package(Qt6 REQUIRED COMPONENTS Test)
    target_sources(host_tests PRIVATE
        ${CMAKE_CURRENT_LIST_DIR}/HostSession.cpp
        ${CMAKE_CURRENT_LIST_DIR}/ProgramRun.cpp)
    target_link_libraries(host_tests PRIVATE Qt6::Test)
    add_dependencies(host_tests soundboard)
    target_compile_definitions(host_tests PRIVATE
        SB_SOUNDBOARD_PROGRAM="$<TARGET_FILE:soundboard>"
        SB_HOST_SOURCE_BUNDLE="${PROJECT_SOURCE_DIR}/Resources"
        SB_HOST_LSAN_SUPPRESSIONS="${PROJECT_SOURCE_DIR}/tests/lsan.supp")
endif()
