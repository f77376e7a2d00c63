# Finding a sound per keystroke on a board of 100,000 sounds: the matcher
# alone, and the search page as a keystroke reaches it.
if(TARGET sb_search)
    sb_add_benchmark(search SOURCES ${CMAKE_CURRENT_LIST_DIR}/SearchBench.cpp
        LIBS sb_search)
endif()
if(TARGET sb_app)
    sb_add_benchmark(search_page SOURCES ${CMAKE_CURRENT_LIST_DIR}/SearchPageBench.cpp
        ${CMAKE_CURRENT_LIST_DIR}/BenchHome.cpp
        LIBS sb_app)
    target_compile_definitions(bench_search_page PRIVATE
        SOUNDBOARD_SOURCE_BUNDLE="${PROJECT_SOURCE_DIR}/Resources")
endif()
