# The page tests share a harness that drives the application's pages by hand.
if(TARGET app_tests)
    target_sources(app_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/PageHarness.cpp)
    # Where the bundled content lives when the test environment does not say.
    target_compile_definitions(app_tests PRIVATE
        SB_PAGES_SOURCE_BUNDLE="${PROJECT_SOURCE_DIR}/Resources")
endif()
