# Benchmarks of the application's pages: the favourites page's rebuild on large
# generated catalogues, and the peak memory of the headless application.
if(TARGET sb_app)
    sb_add_benchmark(favourites_page SOURCES ${CMAKE_CURRENT_LIST_DIR}/FavouritesPageBench.cpp
        ${CMAKE_CURRENT_LIST_DIR}/BenchHome.cpp
        LIBS sb_app EXPAT::EXPAT)
    sb_add_benchmark(app_memory SOURCES ${CMAKE_CURRENT_LIST_DIR}/AppMemoryBench.cpp
        ${CMAKE_CURRENT_LIST_DIR}/BenchHome.cpp
        LIBS sb_app)
    sb_add_benchmark(pads_page SOURCES ${CMAKE_CURRENT_LIST_DIR}/PadsPageBench.cpp
        ${CMAKE_CURRENT_LIST_DIR}/BenchHome.cpp
        LIBS sb_app)
    foreach(program bench_favourites_page bench_app_memory bench_pads_page)
        target_compile_definitions(${program} PRIVATE
            SOUNDBOARD_SOURCE_BUNDLE="${PROJECT_SOURCE_DIR}/Resources")
    endforeach()
endif()
