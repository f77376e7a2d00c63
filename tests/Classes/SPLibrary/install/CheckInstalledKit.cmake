# cmake -DBUILD_DIR=... -DEXAMPLE_DIR=... -DWORK_DIR=... -DGENERATOR=... -DCXX_COMPILER=...
#       -DCXX_FLAGS=... -DPKG_CONFIG=... -P CheckInstalledKit.cmake
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

# Users include the kit as <SPLibrary/X.h>; the platform headers the kit's headers name
# come along, the kit's internal headers do not, and SQLite's header stays private.
foreach(header
        SPSqlite3.h SPSqlite3Cursur.h SPSqliteResultCode.h SPSqlStatement.h SPXML.h
        SPUtility.h Platform/Foundation/XMLParser.h Platform/Graphics/Image.h)
    if(NOT EXISTS ${prefix}/include/SPLibrary/${header})
        message(FATAL_ERROR "missing installed header SPLibrary/${header}")
    endif()
endforeach()
foreach(internal SPXMLWhitespace.h Platform/Graphics/ImageRedraw.h Platform/Foundation/DurableFile.h
        Platform/Foundation/BinaryPlistScreen.h)
    if(EXISTS ${prefix}/include/SPLibrary/${internal})
        message(FATAL_ERROR "internal header ${internal} was installed")
    endif()
endforeach()
file(GLOB_RECURSE installedHeaders ${prefix}/include/*.h)
foreach(header ${installedHeaders})
    if(NOT header MATCHES "^${prefix}/include/SPLibrary/")
        message(FATAL_ERROR "${header} is outside include/SPLibrary")
    endif()
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

# The same program built by hand with what pkg-config says, and every installed kit
# header compiled on its own, so none leans on a header that was not installed.
file(GLOB_RECURSE pcFiles ${prefix}/*/splibrary.pc)
if(NOT pcFiles)
    message(FATAL_ERROR "no splibrary.pc installed")
endif()
list(GET pcFiles 0 pcFile)
get_filename_component(pcDir ${pcFile} DIRECTORY)
run("asking pkg-config"
    ${CMAKE_COMMAND} -E env PKG_CONFIG_PATH=${pcDir} ${PKG_CONFIG} --cflags --libs splibrary)
string(STRIP "${RUN_OUTPUT}" pkgFlags)
separate_arguments(pkgFlags UNIX_COMMAND "${pkgFlags}")
separate_arguments(extraFlags UNIX_COMMAND "${CXX_FLAGS}")
run("building the example with pkg-config"
    ${CXX_COMPILER} -std=c++20 ${extraFlags} ${EXAMPLE_DIR}/KitExample.cpp ${pkgFlags}
    -o ${WORK_DIR}/kit_example_pkgconfig)
run("running the pkg-config example" ${WORK_DIR}/kit_example_pkgconfig)
if(NOT RUN_OUTPUT STREQUAL expected)
    message(FATAL_ERROR "the pkg-config example printed:\n${RUN_OUTPUT}\nexpected:\n${expected}")
endif()
file(GLOB kitHeaders RELATIVE ${prefix}/include ${prefix}/include/SPLibrary/*.h)
foreach(header ${kitHeaders})
    string(MAKE_C_IDENTIFIER ${header} unit)
    file(WRITE ${WORK_DIR}/${unit}.cpp "#include <${header}>\n")
    run("compiling ${header} alone"
        ${CXX_COMPILER} -std=c++20 -fsyntax-only ${pkgFlags} ${WORK_DIR}/${unit}.cpp)
endforeach()
