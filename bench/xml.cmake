# The XML tree reader against bare expat and pugixml over a generated catalogue.
find_package(pugixml REQUIRED)
sb_add_benchmark(xml SOURCES ${CMAKE_CURRENT_LIST_DIR}/XmlParseBench.cpp
    LIBS SPLibrary EXPAT::EXPAT pugixml::pugixml)
