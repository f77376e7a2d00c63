# The remote on the loopback: tap to sound, the page's weight and first load,
# fifty idle pages.
if(TARGET sb_remote AND TARGET sb_audio)
    sb_add_benchmark(remote SOURCES ${CMAKE_CURRENT_LIST_DIR}/RemoteBench.cpp
                     LIBS sb_remote sb_audio sb_foundation)
    target_compile_definitions(bench_remote PRIVATE
        SOUNDBOARD_SOURCE_BUNDLE_DIR="${PROJECT_SOURCE_DIR}/Resources")
endif()
