# Desktop integration and the Debian package of the application.
#
# `cmake --install` puts, besides the program and its bundle, a desktop entry
# and the icon where desktops look for them; `cpack -G DEB` in a release build
# folder packs exactly that (the application's install component, not the kit's
# development files) into a .deb with its Debian dependencies.
#
# Include this after the application's own install rules.

if(NOT SOUNDBOARD_BUILD_APP)
    return()
endif()

set(SOUNDBOARD_APPLICATION_ID "org.soundboard.Soundboard")
set(SOUNDBOARD_DISPLAY_NAME "Soundboard")

configure_file(${CMAKE_CURRENT_LIST_DIR}/${SOUNDBOARD_APPLICATION_ID}.desktop.in
               ${CMAKE_CURRENT_BINARY_DIR}/${SOUNDBOARD_APPLICATION_ID}.desktop @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${SOUNDBOARD_APPLICATION_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/Resources/soundboard.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/128x128/apps
        RENAME ${SOUNDBOARD_APPLICATION_ID}.png)

set(CPACK_PACKAGE_NAME "soundboard")
set(CPACK_PACKAGE_VENDOR "Soundboard developers")
set(CPACK_PACKAGE_CONTACT "Soundboard developers <soundboard@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Soundboard: short sound clips by category, with favourites")
set(CPACK_PACKAGE_DESCRIPTION
    "A small desktop soundboard. Browse the sound clips by category, play them, "
    "mark favourites and find them again on a page of their own.")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
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
set(CPACK_PACKAGE_FILE_NAME "soundboard_${PROJECT_VERSION}_${SOUNDBOARD_DEB_ARCHITECTURE}")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_STRIP_FILES ON)
# Only the application's component: the kit's headers and static libraries are
# installed on their own (--component SPLibrary) and stay out of the package.
set(CPACK_INSTALL_CMAKE_PROJECTS "${CMAKE_BINARY_DIR};${PROJECT_NAME};Unspecified;/")

set(CPACK_DEBIAN_PACKAGE_SECTION "sound")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE "${SOUNDBOARD_DEB_ARCHITECTURE}")
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libc6 (>= 2.36), libstdc++6 (>= 12), libgcc-s1, "
    "libqt6core6 (>= 6.4), libqt6gui6 (>= 6.4), libqt6widgets6 (>= 6.4), qt6-qpa-plugins, "
    "libsdl2-2.0-0 (>= 2.0.12), libsdl2-mixer-2.0-0 (>= 2.0.4), "
    "libexpat1, liburiparser1, libplist3 (>= 2.2), libssl3, libcairo2, libsqlite3-0, "
    "fonts-dejavu-core")
string(REPLACE ";" "" CPACK_DEBIAN_PACKAGE_DEPENDS "${CPACK_DEBIAN_PACKAGE_DEPENDS}")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
# Links open through the desktop's handler.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")

include(CPack)
