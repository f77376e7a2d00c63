# cmake -DBUILD_DIR=... -DEXAMPLE_DIR=... -DWORK_DIR=... -DGENERATOR=... -DCXX_COMPILER=...
#       -DCXX_FLAGS=... -P CheckInstalledKit.cmake
# Fails (FATAL_ERROR) at the first step that does not give what a user of the kit expects.
cmake_minimum_required(VERSION 3.25)

function(run what)
    execute_process(COMMAND ${ARGN}
        RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE errors)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "${what} failed (${status}):\n${output}\n${errors}")
    endif()
    set(RUN_OUTPUT "${output}" PARENT_SCOPE)
endfunction()

set(prefix ${WORK_DIR}/prefix)
file(REMOVE_RECURSE ${WORK_DIR})

run("installing the kit"
    ${CMAKE_COMMAND} --install ${BUILD_DIR} --component SPLibrary --prefix ${prefix})

# The headers keep the include paths they use among themselves; SQLite's header stays private.
foreach(header
        Classes/SPLibrary/SPSqlite3.h Classes/SPLibrary/SPSqlite3Cursur.h
        Classes/SPLibrary/SPSqlStatement.h Classes/SPLibrary/SPXML.h
        Platform/Foundation/XMLParser.h Platform/Graphics/Image.h)
    if(NOT EXISTS ${prefix}/include/soundboard/${header})
        message(FATAL_ERROR "missing installed header ${header}")
    endif()
endforeach()
file(GLOB_RECURSE installedHeaders ${prefix}/include/*.h)
foreach(header ${installedHeaders})
    file(STRINGS ${header} sqliteIncludes REGEX "#include[ \t]*[<\"]sqlite3\\.h[>\"]")
    if(sqliteIncludes)
        message(FATAL_ERROR "${header} includes sqlite3.h")
    endif()
endforeach()
file(GLOB_RECURSE configs ${prefix}/*/SPLibraryConfig.cmake)
if(NOT configs)
    message(FATAL_ERROR "no SPLibraryConfig.cmake installed")
endif()

run("configuring the example"
    ${CMAKE_COMMAND} -S ${EXAMPLE_DIR} -B ${WORK_DIR}/example -G ${GENERATOR}
    -DCMAKE_PREFIX_PATH=${prefix}
    -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF
    -DCMAKE_CXX_COMPILER=${CXX_COMPILER}
    "-DCMAKE_CXX_FLAGS=${CXX_FLAGS}"
    "-DCMAKE_EXE_LINKER_FLAGS=${CXX_FLAGS}")
run("building the example" ${CMAKE_COMMAND} --build ${WORK_DIR}/example)
run("running the example" ${WORK_DIR}/example/kit_example)

set(expected "7 Applause\n31 Bell\n12 Thunder\n")
if(NOT RUN_OUTPUT STREQUAL expected)
    message(FATAL_ERROR "the example printed:\n${RUN_OUTPUT}\nexpected:\n${expected}")
endif()
