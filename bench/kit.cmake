# Benchmarks of the kit's utility functions.
sb_add_benchmark(digest SOURCES ${CMAKE_CURRENT_LIST_DIR}/DigestBench.cpp LIBS SPLibrary OpenSSL::Crypto)
