# Fuzz targets of the readers of a bundle, which may come from anyone: the Info.plist
# values, the banner page, the pictures, the layout files, and the sound files through SDL_mixer's real decoders.
# Under SOUNDBOARD_FUZZ each becomes a libFuzzer program; the test suite builds the same
# sources as replay programs over fuzz/corpus/<name> (tests/Classes/SPLibrary/FuzzReplay.cmake).
set(SB_PLATFORM_FUZZERS banner_page board_picture info_plist layout_loader sound_file)
set(SB_PLATFORM_FUZZER_banner_page_SOURCES ${CMAKE_CURRENT_LIST_DIR}/BannerPageFuzzer.cpp)
set(SB_PLATFORM_FUZZER_banner_page_LIBS sb_ui)
set(SB_PLATFORM_FUZZER_board_picture_SOURCES ${CMAKE_CURRENT_LIST_DIR}/BoardPictureFuzzer.cpp)
set(SB_PLATFORM_FUZZER_board_picture_LIBS sb_graphics)
set(SB_PLATFORM_FUZZER_info_plist_SOURCES ${CMAKE_CURRENT_LIST_DIR}/InfoPlistFuzzer.cpp)
set(SB_PLATFORM_FUZZER_info_plist_LIBS sb_foundation)
set(SB_PLATFORM_FUZZER_layout_loader_SOURCES ${CMAKE_CURRENT_LIST_DIR}/LayoutLoaderFuzzer.cpp)
set(SB_PLATFORM_FUZZER_layout_loader_LIBS sb_ui)
set(SB_PLATFORM_FUZZER_sound_file_SOURCES ${CMAKE_CURRENT_LIST_DIR}/SoundFileFuzzer.cpp)
set(SB_PLATFORM_FUZZER_sound_file_LIBS sb_audio)

if(SOUNDBOARD_FUZZ)
    foreach(name ${SB_PLATFORM_FUZZERS})
        sb_add_fuzzer(${name} SOURCES ${SB_PLATFORM_FUZZER_${name}_SOURCES}
                      LIBS ${SB_PLATFORM_FUZZER_${name}_LIBS})
    endforeach()
endif()
