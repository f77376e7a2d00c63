# Finding a sound per keystroke on a board of 100,000 sounds.
if(TARGET soundboard_search)
    sb_add_benchmark(search SOURCES ${CMAKE_CURRENT_LIST_DIR}/SearchBench.cpp
        LIBS soundboard_search)
endif()
