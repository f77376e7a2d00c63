# Fuzz targets of the kit. This file only lists them; under SOUNDBOARD_FUZZ each becomes a
# libFuzzer program, and the test suite builds the same sources as replay programs over
# fuzz/corpus/<name> (tests/Classes/SPLibrary/FuzzReplay.cmake), so every committed seed
# is run on each test run.
set(SB_KIT_FUZZERS utility_parsers preference_loader)
set(SB_KIT_FUZZER_utility_parsers_SOURCES ${CMAKE_CURRENT_LIST_DIR}/UtilityParsersFuzzer.cpp)
set(SB_KIT_FUZZER_preference_loader_SOURCES ${CMAKE_CURRENT_LIST_DIR}/PreferenceLoaderFuzzer.cpp)
if(EXISTS ${PROJECT_SOURCE_DIR}/Classes/SPLibrary/SPXML.h)
    list(APPEND SB_KIT_FUZZERS xml_tree)
    set(SB_KIT_FUZZER_xml_tree_SOURCES ${CMAKE_CURRENT_LIST_DIR}/XmlTreeFuzzer.cpp)
endif()

if(SOUNDBOARD_FUZZ)
    foreach(name ${SB_KIT_FUZZERS})
        sb_add_fuzzer(${name} SOURCES ${SB_KIT_FUZZER_${name}_SOURCES} LIBS SPLibrary)
    endforeach()
endif()
