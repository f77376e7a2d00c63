sb_add_benchmark(sqlite SOURCES ${CMAKE_CURRENT_LIST_DIR}/SqliteCursorBench.cpp
    LIBS SPLibrary SQLite::SQLite3)
