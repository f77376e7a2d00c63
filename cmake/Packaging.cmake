# Desktop integration and the Debian packages.
#
# `cmake --install` puts, besides the program and its bundle, a desktop entry, the
# AppStream metainfo, the icons, the manual page and the Debian documents where a
# desktop and dpkg look for them. `cpack` in a release build folder (the "package"
# preset) makes one .deb per install component from the same call:
#
#   soundboard         the program (everything installed without a component)
#   libsplibrary-dev   the kit: whatever the kit's rules install as component SPLibrary
#
# Include this after the application's own install rules.

set(SOUNDBOARD_APPLICATION_ID "org.soundboard.Soundboard")
set(SOUNDBOARD_DISPLAY_NAME "Soundboard")
set(SOUNDBOARD_HOMEPAGE "https://soundboard.example.org")
set(SOUNDBOARD_SCREENSHOTS_URL "${SOUNDBOARD_HOMEPAGE}/screenshots")
# As in docs/copyright, in SPDX spelling.
set(SOUNDBOARD_LICENSE "MIT")
# The day of this version's release: the changelog, the manual page and the metainfo.
set(SOUNDBOARD_RELEASE_DATE "2026-12-08")
set(SOUNDBOARD_RELEASE_CHANGELOG_DATE "Tue, 08 Dec 2026 12:00:00 +0000")
set(CPACK_PACKAGE_CONTACT "Soundboard developers <soundboard@example.org>")

set(SOUNDBOARD_APP_COMPONENT "Unspecified")
set(SOUNDBOARD_KIT_COMPONENT "SPLibrary")
set(SOUNDBOARD_APP_PACKAGE "soundboard")
set(SOUNDBOARD_KIT_PACKAGE "libsplibrary-dev")
set(SOUNDBOARD_GENERATED_DIR "${PROJECT_BINARY_DIR}/packaging")

find_program(SOUNDBOARD_GZIP gzip REQUIRED)

# A gzip-compressed copy of `source` as Debian wants documentation: best
# compression, no name or time inside, so equal input gives an equal package.
function(soundboard_gzip source output)
    add_custom_command(OUTPUT ${output}
        COMMAND ${SOUNDBOARD_GZIP} -9nc ${source} > ${output}
        DEPENDS ${source}
        VERBATIM)
endfunction()

# The changelog and copyright each Debian package carries under its own name.
configure_file(${CMAKE_CURRENT_LIST_DIR}/changelog.in ${SOUNDBOARD_GENERATED_DIR}/changelog @ONLY)
soundboard_gzip(${SOUNDBOARD_GENERATED_DIR}/changelog ${SOUNDBOARD_GENERATED_DIR}/changelog.gz)
set(SOUNDBOARD_PACKAGE_FILES ${SOUNDBOARD_GENERATED_DIR}/changelog.gz)
install(FILES ${SOUNDBOARD_GENERATED_DIR}/changelog.gz ${PROJECT_SOURCE_DIR}/docs/copyright
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${SOUNDBOARD_KIT_PACKAGE}
        COMPONENT ${SOUNDBOARD_KIT_COMPONENT})

if(SOUNDBOARD_BUILD_APP)
    configure_file(${CMAKE_CURRENT_LIST_DIR}/${SOUNDBOARD_APPLICATION_ID}.desktop.in
                   ${SOUNDBOARD_GENERATED_DIR}/${SOUNDBOARD_APPLICATION_ID}.desktop @ONLY)
    configure_file(${CMAKE_CURRENT_LIST_DIR}/${SOUNDBOARD_APPLICATION_ID}.metainfo.xml.in
                   ${SOUNDBOARD_GENERATED_DIR}/${SOUNDBOARD_APPLICATION_ID}.metainfo.xml @ONLY)
    configure_file(${PROJECT_SOURCE_DIR}/docs/soundboard.1.in
                   ${SOUNDBOARD_GENERATED_DIR}/soundboard.1 @ONLY)
    soundboard_gzip(${SOUNDBOARD_GENERATED_DIR}/soundboard.1 ${SOUNDBOARD_GENERATED_DIR}/soundboard.1.gz)
    list(APPEND SOUNDBOARD_PACKAGE_FILES ${SOUNDBOARD_GENERATED_DIR}/soundboard.1.gz)

    install(FILES ${SOUNDBOARD_GENERATED_DIR}/changelog.gz ${PROJECT_SOURCE_DIR}/docs/copyright
            DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${SOUNDBOARD_APP_PACKAGE})
    install(FILES ${CMAKE_CURRENT_LIST_DIR}/lintian/soundboard
            DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/lintian/overrides)
    install(FILES ${SOUNDBOARD_GENERATED_DIR}/${SOUNDBOARD_APPLICATION_ID}.desktop
            DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    install(FILES ${SOUNDBOARD_GENERATED_DIR}/${SOUNDBOARD_APPLICATION_ID}.metainfo.xml
            DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
    install(DIRECTORY ${CMAKE_CURRENT_LIST_DIR}/icons/
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
    install(FILES ${SOUNDBOARD_GENERATED_DIR}/soundboard.1.gz
            DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    # A stripped install (cpack, `cmake --install --strip`) drops the compilers'
    # .comment and .note sections too, as Debian's own packages do.
    install(CODE "
        if(CMAKE_INSTALL_DO_STRIP)
            foreach(program ${CMAKE_INSTALL_BINDIR}/soundboard ${CMAKE_INSTALL_LIBEXECDIR}/soundboard)
                execute_process(COMMAND \"${CMAKE_OBJCOPY}\" --remove-section=.comment
                                        --remove-section=.note
                                        \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/\${program}\"
                                COMMAND_ERROR_IS_FATAL ANY)
            endforeach()
        endif()")
endif()
# Likewise for the kit's static libraries, whatever its rules install: debugging
# symbols and .comment go; the archives get fixed times and owners.
install(CODE "
    if(CMAKE_INSTALL_DO_STRIP)
        file(GLOB archives \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBDIR}/*.a\")
        foreach(archive \${archives})
            execute_process(COMMAND \"${CMAKE_STRIP}\" --strip-debug --remove-section=.comment
                                    --enable-deterministic-archives \${archive}
                            COMMAND_ERROR_IS_FATAL ANY)
        endforeach()
    endif()" COMPONENT ${SOUNDBOARD_KIT_COMPONENT})
# Made with the program so that `cmake --install` finds them.
add_custom_target(soundboard_package_files ALL DEPENDS ${SOUNDBOARD_PACKAGE_FILES})

# The package is for the machine that builds it.
set(SOUNDBOARD_DEB_ARCHITECTURE "amd64")
find_program(SOUNDBOARD_DPKG dpkg)
if(SOUNDBOARD_DPKG)
    execute_process(COMMAND ${SOUNDBOARD_DPKG} --print-architecture
                    OUTPUT_VARIABLE SOUNDBOARD_DPKG_ARCHITECTURE
                    OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET RESULT_VARIABLE SOUNDBOARD_DPKG_RESULT)
    if(SOUNDBOARD_DPKG_RESULT EQUAL 0 AND SOUNDBOARD_DPKG_ARCHITECTURE)
        set(SOUNDBOARD_DEB_ARCHITECTURE "${SOUNDBOARD_DPKG_ARCHITECTURE}")
    endif()
endif()

set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME "soundboard")
set(CPACK_PACKAGE_VENDOR "Soundboard developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_HOMEPAGE_URL "${SOUNDBOARD_HOMEPAGE}")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_GROUPING IGNORE)
if(SOUNDBOARD_BUILD_APP)
    set(CPACK_COMPONENTS_ALL ${SOUNDBOARD_APP_COMPONENT} ${SOUNDBOARD_KIT_COMPONENT})
else()
    set(CPACK_COMPONENTS_ALL ${SOUNDBOARD_KIT_COMPONENT})
endif()

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE "${SOUNDBOARD_DEB_ARCHITECTURE}")
set(CPACK_DEBIAN_PACKAGE_SOURCE "soundboard")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")

# The program: its libraries' packages come from the binary (dpkg-shlibdeps);
# what it loads or starts at run time is named here. xdg-open opens the links.
set(CPACK_DEBIAN_UNSPECIFIED_PACKAGE_NAME "${SOUNDBOARD_APP_PACKAGE}")
set(CPACK_DEBIAN_UNSPECIFIED_PACKAGE_SECTION "sound")
set(CPACK_DEBIAN_UNSPECIFIED_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_UNSPECIFIED_PACKAGE_DEPENDS "fonts-dejavu-core, qt6-qpa-plugins, xdg-utils")
set(CPACK_DEBIAN_UNSPECIFIED_DESCRIPTION
"play short sound clips by category, with favourites
A small soundboard for the desktop. Browse short sound clips by category,
click one to hear it and play several at once. Favourites are kept on a page
of their own, grouped by category, and every change is saved at once.")

# The kit: static libraries, headers, CMake package and pkg-config file. What
# they link is named for the linker of the programs built against them.
set(CPACK_DEBIAN_SPLIBRARY_PACKAGE_NAME "${SOUNDBOARD_KIT_PACKAGE}")
set(CPACK_DEBIAN_SPLIBRARY_PACKAGE_SECTION "libdevel")
set(CPACK_DEBIAN_SPLIBRARY_PACKAGE_DEPENDS
    "libcairo2-dev, libexpat1-dev, libplist-dev, libsqlite3-dev, libssl-dev, liburiparser-dev")
set(CPACK_DEBIAN_SPLIBRARY_DESCRIPTION
"general kit of the soundboard: XML, SQLite, preferences
The SPLibrary kit as static libraries with headers, a CMake package
(find_package(SPLibrary)) and a pkg-config file: an XML tree reader on expat,
a SQLite connection with cursor and SQL text builder, property-list
preferences, and utilities for colours, digests, paths and timers.")

include(CPack)

# `make test` builds and checks the packages too, in the tree of `make package`
# (build/package), so either one reuses the other's objects. It starts first and
# takes both cores (its own build runs in parallel).
if(SOUNDBOARD_TESTS AND SOUNDBOARD_BUILD_APP AND NOT SOUNDBOARD_FUZZ)
    add_test(NAME package_checks
             COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${PROJECT_SOURCE_DIR}
                     -DTREE=${PROJECT_SOURCE_DIR}/build/package
                     -P ${CMAKE_CURRENT_LIST_DIR}/CheckPackage.cmake)
    set_tests_properties(package_checks PROPERTIES
        LABELS package TIMEOUT 1500 COST 100000 PROCESSORS 2)
endif()
