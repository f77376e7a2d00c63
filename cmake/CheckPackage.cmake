# Builds the Debian packages in an optimised tree of their own and checks them as
# a distribution would: lintian (no errors, no warnings), desktop-file-validate,
# appstreamcli and man, each when installed; then unpacks the program's package
# into a scratch root and runs the program from there.
#
#   cmake -DSOURCE_DIR=<source> -DTREE=<build folder> -P cmake/CheckPackage.cmake
#
# Fails (non-zero exit) on the first problem, with the tool's own words.

if(NOT SOURCE_DIR OR NOT TREE)
    message(FATAL_ERROR "CheckPackage: give -DSOURCE_DIR=<source> -DTREE=<build folder>")
endif()

function(run)
    cmake_parse_arguments(ARG "" "WORKING_DIRECTORY;OUTPUT;STATUS" "COMMAND" ${ARGN})
    if(NOT ARG_WORKING_DIRECTORY)
        set(ARG_WORKING_DIRECTORY ${TREE})
    endif()
    execute_process(COMMAND ${ARG_COMMAND}
                    WORKING_DIRECTORY ${ARG_WORKING_DIRECTORY}
                    OUTPUT_VARIABLE output ERROR_VARIABLE output
                    RESULT_VARIABLE status)
    if(ARG_OUTPUT)
        set(${ARG_OUTPUT} "${output}" PARENT_SCOPE)
    endif()
    if(ARG_STATUS)
        set(${ARG_STATUS} "${status}" PARENT_SCOPE)
    elseif(NOT status EQUAL 0)
        list(JOIN ARG_COMMAND " " shown)
        message(FATAL_ERROR "CheckPackage: '${shown}' failed (${status}):\n${output}")
    endif()
endfunction()

# The packages' tree: optimised, no tests or benchmarks, installed under /usr. The
# commands run inside it, so it must exist before the first one (a fresh clone has none).
file(MAKE_DIRECTORY ${TREE})
run(COMMAND ${CMAKE_COMMAND} -S ${SOURCE_DIR} -B ${TREE} -G Ninja
            -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr
            -DSOUNDBOARD_TESTS=OFF -DSOUNDBOARD_BENCHMARKS=OFF -DSOUNDBOARD_BUILD_APP=ON)
run(COMMAND ${CMAKE_COMMAND} --build ${TREE})
file(GLOB stale ${TREE}/*.deb)
if(stale)
    file(REMOVE ${stale})
endif()
run(COMMAND ${CMAKE_CPACK_COMMAND} -G DEB)
file(GLOB packages ${TREE}/*.deb)
list(LENGTH packages count)
if(NOT count EQUAL 2)
    message(FATAL_ERROR "CheckPackage: expected the program's and the kit's packages, got: ${packages}")
endif()

find_program(LINTIAN lintian)
if(LINTIAN)
    # Errors and warnings fail; the pedantic and informational tags are shown.
    run(COMMAND ${LINTIAN} --fail-on error,warning --display-info --pedantic --tag-display-limit 0
                ${packages}
        OUTPUT lintianOutput)
    message(STATUS "lintian:\n${lintianOutput}")
else()
    message(STATUS "lintian is not installed: not run")
endif()

set(root ${TREE}/package-root)
file(REMOVE_RECURSE ${root})
foreach(package ${packages})
    run(COMMAND dpkg-deb -x ${package} ${root})
endforeach()

# The program's desktop files.
find_program(DESKTOP_FILE_VALIDATE desktop-file-validate)
file(GLOB desktopEntries ${root}/usr/share/applications/*.desktop)
if(NOT desktopEntries)
    message(FATAL_ERROR "CheckPackage: no desktop entry in the package")
endif()
if(DESKTOP_FILE_VALIDATE)
    run(COMMAND ${DESKTOP_FILE_VALIDATE} ${desktopEntries} OUTPUT validation)
    if(validation)
        message(FATAL_ERROR "CheckPackage: desktop-file-validate:\n${validation}")
    endif()
endif()
find_program(APPSTREAMCLI appstreamcli)
file(GLOB metainfo ${root}/usr/share/metainfo/*.metainfo.xml)
if(NOT metainfo)
    message(FATAL_ERROR "CheckPackage: no AppStream metainfo in the package")
endif()
if(APPSTREAMCLI)
    run(COMMAND ${APPSTREAMCLI} validate --no-net --explain ${metainfo})
endif()
find_program(MAN man)
file(GLOB manPages ${root}/usr/share/man/man1/*.1.gz)
if(NOT manPages)
    message(FATAL_ERROR "CheckPackage: no manual page in the package")
endif()
if(MAN)
    foreach(page ${manPages})
        execute_process(COMMAND ${MAN} --warnings -E UTF-8 -l ${page}
                        OUTPUT_QUIET ERROR_VARIABLE warnings RESULT_VARIABLE status
                        COMMAND_ECHO NONE)
        if(NOT status EQUAL 0 OR warnings)
            message(FATAL_ERROR "CheckPackage: man --warnings ${page}:\n${warnings}")
        endif()
    endforeach()
endif()
foreach(icon scalable/apps/org.soundboard.Soundboard.svg 16x16/apps/org.soundboard.Soundboard.png
             512x512/apps/org.soundboard.Soundboard.png)
    if(NOT EXISTS ${root}/usr/share/icons/hicolor/${icon})
        message(FATAL_ERROR "CheckPackage: the icon ${icon} is not in the package")
    endif()
endforeach()

# The bundle's pictures come at 1x and 2x (the window picks by its scale).
foreach(picture Play.png Play@2x.png Banner@2x.png)
    if(NOT EXISTS ${root}/usr/share/soundboard/Resources/${picture})
        message(FATAL_ERROR "CheckPackage: the bundle picture ${picture} is not in the package")
    endif()
endforeach()

# The kit's files.
file(GLOB_RECURSE kitConfig ${root}/usr/lib/*/SPLibraryConfig.cmake ${root}/usr/lib/SPLibraryConfig.cmake)
file(GLOB_RECURSE kitArchive ${root}/usr/lib/*libSPLibrary.a)
file(GLOB_RECURSE kitHeaders ${root}/usr/include/*SPXML.h)
if(NOT kitConfig OR NOT kitArchive OR NOT kitHeaders)
    message(FATAL_ERROR "CheckPackage: the kit's package lacks its CMake package, library or headers")
endif()
file(GLOB_RECURSE kitPkgConfig ${root}/usr/lib/*.pc ${root}/usr/share/pkgconfig/*.pc)
if(kitPkgConfig)
    message(STATUS "pkg-config file: ${kitPkgConfig}")
else()
    message(STATUS "the kit installs no pkg-config file")
endif()

# A program built against the packaged kit, found through its CMake package.
set(example ${TREE}/package-example)
file(REMOVE_RECURSE ${example})
run(COMMAND ${CMAKE_COMMAND} -S ${SOURCE_DIR}/examples -B ${example} -G Ninja
            -DCMAKE_BUILD_TYPE=Release -DCMAKE_PREFIX_PATH=${root}/usr)
run(COMMAND ${CMAKE_COMMAND} --build ${example})
run(COMMAND ${example}/kit_example WORKING_DIRECTORY ${example})

# The installed program, run from the scratch root with its installed bundle.
set(program ${root}/usr/bin/soundboard)
file(STRINGS ${SOURCE_DIR}/CMakeLists.txt projectLine REGEX "^project\\(")
string(REGEX MATCH "VERSION ([0-9.]+)" ignored "${projectLine}")
run(COMMAND ${program} --version OUTPUT versionText)
if(NOT versionText STREQUAL "soundboard ${CMAKE_MATCH_1}\n")
    message(FATAL_ERROR "CheckPackage: --version says '${versionText}', the project ${CMAKE_MATCH_1}")
endif()
run(COMMAND ${program} --hedless STATUS status OUTPUT mistake)
if(NOT status EQUAL 2 OR NOT mistake MATCHES "--headless")
    message(FATAL_ERROR "CheckPackage: a mistyped option gave ${status}:\n${mistake}")
endif()
set(shots ${TREE}/package-screenshots)
file(REMOVE_RECURSE ${shots})
run(COMMAND ${CMAKE_COMMAND} -E env --unset=SOUNDBOARD_BUNDLE HOME=${TREE}/package-home
            XDG_CONFIG_HOME=${TREE}/package-home/.config SDL_AUDIODRIVER=dummy
            ${program} --screenshot ${shots})
if(NOT EXISTS ${shots}/main.png)
    message(FATAL_ERROR "CheckPackage: the installed program drew no screens")
endif()
message(STATUS "CheckPackage: ${packages} pass")
