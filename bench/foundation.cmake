# Benchmarks of the platform's foundation services: the settings flags store.
sb_add_benchmark(reference SOURCES ${CMAKE_CURRENT_LIST_DIR}/ReferenceBench.cpp
    ${CMAKE_CURRENT_LIST_DIR}/BenchHome.cpp ${PROJECT_SOURCE_DIR}/Classes/Reference.cpp
    LIBS sb_foundation)
target_compile_definitions(bench_reference PRIVATE
    SOUNDBOARD_SOURCE_BUNDLE="${PROJECT_SOURCE_DIR}/Resources")
