# Tap to sound: from AudioServicesPlaySystemSound to the mixer's first mix of
# that play, over the dummy audio driver.
if(TARGET sb_audio)
    sb_add_benchmark(audio SOURCES ${CMAKE_CURRENT_LIST_DIR}/TapToSoundBench.cpp LIBS sb_audio)
    target_compile_definitions(bench_audio PRIVATE
        SOUNDBOARD_SOURCE_BUNDLE_DIR="${PROJECT_SOURCE_DIR}/Resources")
endif()

# The same path against a real (private) PulseAudio daemon: tap to the sink's
# monitor, underruns with both cores busy and the idle cost.
if(TARGET sb_audio AND TARGET sb_test_sound_server)
    sb_add_benchmark(sound_server SOURCES ${CMAKE_CURRENT_LIST_DIR}/SoundServerBench.cpp
        LIBS sb_audio sb_test_sound_server)
endif()

# A ten-minute sound: memory held and the CPU of mixing it, over the dummy driver.
if(TARGET sb_audio)
    sb_add_benchmark(long_sound SOURCES ${CMAKE_CURRENT_LIST_DIR}/LongSoundBench.cpp LIBS sb_audio)
endif()

# Play into Voice Chat on a private server: a play to the virtual
# microphone beside the speakers, the microphone's added delay, and the CPU.
if(TARGET sb_audio AND TARGET sb_test_sound_server)
    sb_add_benchmark(voice_chat SOURCES ${CMAKE_CURRENT_LIST_DIR}/VoiceChatBench.cpp
        LIBS sb_audio sb_test_sound_server)
endif()
