# Benchmarks of the headless UI model: table scrolling and hit testing.
if(TARGET sb_ui)
    sb_add_benchmark(table_scroll SOURCES ${CMAKE_CURRENT_LIST_DIR}/TableScrollBench.cpp LIBS sb_ui)
endif()
