# Benchmarks of the window host: start-up to the first frame, the idle window's
# CPU use and the window application's peak memory (the real program, as a
# child), the CPU used while the options panel animates and the CPU of the
# idle window with its menu bar (in process).
if(TARGET sb_host AND TARGET soundboard)
    sb_add_benchmark(host_process SOURCES ${CMAKE_CURRENT_LIST_DIR}/HostProcessBench.cpp
        ${CMAKE_CURRENT_LIST_DIR}/BenchHome.cpp
        LIBS sb_foundation sb_child_process)
    add_dependencies(bench_host_process soundboard)
    target_compile_definitions(bench_host_process PRIVATE
        SOUNDBOARD_PROGRAM="$<TARGET_FILE:soundboard>")
    sb_add_benchmark(host_animation SOURCES ${CMAKE_CURRENT_LIST_DIR}/HostAnimationBench.cpp
        ${CMAKE_CURRENT_LIST_DIR}/BenchHome.cpp
        LIBS sb_app sb_host)
    # The idle window with its menu bar, after every menu was opened once.
    sb_add_benchmark(menu_idle SOURCES ${CMAKE_CURRENT_LIST_DIR}/MenuBarIdleBench.cpp
        ${CMAKE_CURRENT_LIST_DIR}/BenchHome.cpp
        LIBS sb_app sb_host)
    # The pads page of a large board drawn as the window draws it.
    sb_add_benchmark(pads_frame SOURCES ${CMAKE_CURRENT_LIST_DIR}/PadsFrameBench.cpp
        ${CMAKE_CURRENT_LIST_DIR}/BenchHome.cpp
        LIBS sb_app sb_host)
    foreach(program bench_host_process bench_host_animation bench_menu_idle bench_pads_frame)
        target_compile_definitions(${program} PRIVATE
            SOUNDBOARD_SOURCE_BUNDLE="${PROJECT_SOURCE_DIR}/Resources")
    endforeach()
endif()
