# sb_glob_sources(<var>): the .cpp files of the current folder. While a folder
# has none yet, an empty translation unit keeps its library target valid.
function(sb_glob_sources out)
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
    if(NOT sources)
        set(empty ${CMAKE_CURRENT_BINARY_DIR}/empty.cpp)
        if(NOT EXISTS ${empty})
            file(WRITE ${empty} "namespace {}\n")
        endif()
        set(sources ${empty})
    endif()
    set(${out} ${sources} PARENT_SCOPE)
endfunction()
