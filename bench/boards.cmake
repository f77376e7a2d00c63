# Boards: import throughput and peak memory of `soundboard --make-board` on
# generated clips against the same work done by hand with sox, the main
# page of a board of 10,000 sounds, and the time and peak memory of
# `--check-board` and `--screenshot` on hostile boards.
if(TARGET soundboard)
    sb_add_benchmark(board_import SOURCES ${CMAKE_CURRENT_LIST_DIR}/BoardImportBench.cpp
        ${CMAKE_CURRENT_LIST_DIR}/BenchHome.cpp
        LIBS PkgConfig::SNDFILE)
    add_dependencies(bench_board_import soundboard)
    target_compile_definitions(bench_board_import PRIVATE
        SOUNDBOARD_PROGRAM="$<TARGET_FILE:soundboard>"
        SOUNDBOARD_SOURCE_BUNDLE="${PROJECT_SOURCE_DIR}/Resources")
    find_package(ZLIB REQUIRED)
    sb_add_benchmark(hostile_boards SOURCES ${CMAKE_CURRENT_LIST_DIR}/HostileBoardBench.cpp
        ${CMAKE_CURRENT_LIST_DIR}/BenchHome.cpp
        ${PROJECT_SOURCE_DIR}/tests/Classes/Boards/HostileBoards.cpp
        LIBS sb_child_process ZLIB::ZLIB)
    add_dependencies(bench_hostile_boards soundboard)
    target_compile_definitions(bench_hostile_boards PRIVATE
        SOUNDBOARD_PROGRAM="$<TARGET_FILE:soundboard>"
        SOUNDBOARD_SOURCE_BUNDLE="${PROJECT_SOURCE_DIR}/Resources")
endif()
if(TARGET sb_app)
    sb_add_benchmark(board_open SOURCES ${CMAKE_CURRENT_LIST_DIR}/BoardOpenBench.cpp
        ${CMAKE_CURRENT_LIST_DIR}/BenchHome.cpp
        LIBS sb_app)
    target_compile_definitions(bench_board_open PRIVATE
        SOUNDBOARD_SOURCE_BUNDLE="${PROJECT_SOURCE_DIR}/Resources")
endif()
