# The application's settings flags class, compiled in directly so its tests do
# not need the whole application library and its window toolkit.
sb_add_test_suite(reference_tests
    SOURCES ReferenceFlags.cpp ${PROJECT_SOURCE_DIR}/Classes/Reference.cpp
    LIBS sb_foundation)
