# Fuzz targets of the boards. Under SOUNDBOARD_FUZZ each becomes a libFuzzer
# program; the test suite replays fuzz/corpus/<name> with the same sources
# (tests/Classes/Boards/CMakeLists.txt).
set(SB_BOARD_FUZZERS catalogue_check terminal_text)
set(SB_BOARD_FUZZER_catalogue_check_SOURCES ${CMAKE_CURRENT_LIST_DIR}/CatalogueCheckFuzzer.cpp)
set(SB_BOARD_FUZZER_terminal_text_SOURCES ${CMAKE_CURRENT_LIST_DIR}/TerminalTextFuzzer.cpp)

if(SOUNDBOARD_FUZZ)
    foreach(name ${SB_BOARD_FUZZERS})
        sb_add_fuzzer(${name} SOURCES ${SB_BOARD_FUZZER_${name}_SOURCES} LIBS sb_boards sb_command_line)
    endforeach()
endif()
