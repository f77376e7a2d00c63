# The remote's request handler, which anyone on the network may send anything.
# Under SOUNDBOARD_FUZZ a libFuzzer program; the test suite replays fuzz/corpus/remote_request.
set(SB_REMOTE_FUZZERS remote_request)
set(SB_REMOTE_FUZZER_remote_request_SOURCES ${CMAKE_CURRENT_LIST_DIR}/RemoteRequestFuzzer.cpp)
set(SB_REMOTE_FUZZER_remote_request_LIBS sb_remote)

if(SOUNDBOARD_FUZZ)
    foreach(name ${SB_REMOTE_FUZZERS})
        sb_add_fuzzer(${name} SOURCES ${SB_REMOTE_FUZZER_${name}_SOURCES}
                      LIBS ${SB_REMOTE_FUZZER_${name}_LIBS})
    endforeach()
endif()
