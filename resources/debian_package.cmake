# The Debian package of TREMALU, written by CPack's DEB generator:
# scripts/package configures a Release build with -DTREMALU_DEBIAN_PACKAGE=ON
# and -DCMAKE_INSTALL_PREFIX=/usr, builds it and runs `cpack`, which leaves
# tremalu_<version>_amd64.deb in the build folder.
#
# The package holds what `cmake --install` installs, under /usr, and the two
# files Debian wants of every package in /usr/share/doc/tremalu: the
# copyright and the changelog.
option(TREMALU_DEBIAN_PACKAGE "Configure the Debian package (cpack -G DEB)" OFF)
if(NOT TREMALU_DEBIAN_PACKAGE)
  return()
endif()
if(NOT TREMALU_GUI)
  message(FATAL_ERROR "The Debian package holds the program with windows: configure with -DTREMALU_GUI=ON")
endif()
# The menu entry names the help page's folder by its full path, made from the
# prefix when installing: the package installs at /usr through DESTDIR, so
# that prefix is the one the entry names.
if(NOT CMAKE_INSTALL_PREFIX STREQUAL "/usr")
  message(FATAL_ERROR "The Debian package installs under /usr: configure with -DCMAKE_INSTALL_PREFIX=/usr")
endif()

# Folders as Debian makes them, whatever the umask of whoever packages (this
# file is included before the install rules, which take it when made).
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(TREMALU_MAINTAINER "TREMALU maintainers <maintainers@users.noreply.c-seed-118c52c0.example>")

# /usr/share/doc/tremalu: the copyright as it is, the changelog with this
# version and its date, compressed like the manual pages.
set(TREMALU_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/tremalu)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/debian/copyright DESTINATION ${TREMALU_DOC_DIR})
execute_process(COMMAND date -u -R -d "${TREMALU_RELEASE_DATE} 12:00"
                OUTPUT_VARIABLE TREMALU_CHANGELOG_DATE OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
set(TREMALU_CHANGELOG ${PROJECT_BINARY_DIR}/debian/changelog)
configure_file(${CMAKE_CURRENT_LIST_DIR}/debian/changelog.in ${TREMALU_CHANGELOG} @ONLY)
add_custom_command(OUTPUT ${TREMALU_CHANGELOG}.gz
                   COMMAND ${GZIP_PROGRAM} -9nkf ${TREMALU_CHANGELOG}
                   DEPENDS ${TREMALU_CHANGELOG}
                   VERBATIM)
add_custom_target(debian_changelog ALL DEPENDS ${TREMALU_CHANGELOG}.gz)
install(FILES ${TREMALU_CHANGELOG}.gz DESTINATION ${TREMALU_DOC_DIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tremalu)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The TREMALU developers")
set(CPACK_SET_DESTDIR ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE amd64)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${TREMALU_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "stereo pair to red/cyan anaglyph converter")
string(CONCAT CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "TREMALU loads a left and a right picture of a stereo pair, shows each in a\n"
    "preview and composes their anaglyph: the red of the left picture with the\n"
    "green and blue of the right one, seen in depth through red/cyan glasses.\n"
    "It reads BMP, JPEG, GIF, icons, WMF and EMF metafiles and the MPO and JPS\n"
    "files of stereo cameras, and saves JPEG or BMP. Other methods (half colour,\n"
    "grey, Dubois) and other glasses (green/magenta, amber/blue) are offered.\n"
    "The batch tool tremalu-cli does the same without windows, for whole\n"
    "folders. The interface is in French.")
# The libraries the programs link, as dpkg-shlibdeps finds them, and what
# they load at run time without linking it: the display's platform plugin of
# Qt, and the fonts the metafile player and the windows ask fontconfig for.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-liberation2, fonts-dejavu-core")
# The standard dialogs speak French with Qt's own translations.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
