# Installs Corvane the way a Linux desktop expects it and describes the Debian
# package built from the same rules. Included at the very end of the top-level
# CMakeLists.txt, so every target (in particular the archiver) exists by now.
#
#   <prefix>/lib/corvane/corvane       the program
#   <prefix>/lib/corvane/zip.exe       the archiver it starts from its own folder
#   <prefix>/bin/corvane               -> ../lib/corvane/corvane
#   <prefix>/share/applications/corvane.desktop
#   <prefix>/share/icons/hicolor/<size>/apps/corvane.png (+ scalable svg)

set(CORVANE_PRIVATE_DIR lib/corvane)
set(CORVANE_DIST_DIR ${CMAKE_CURRENT_LIST_DIR})

install(TARGETS corvane RUNTIME DESTINATION ${CORVANE_PRIVATE_DIR})

# Links are made in the build tree and installed as links: file(INSTALL) keeps
# a symbolic link as it is, with DESTDIR and under CPack alike. The launcher in
# bin/ may be a link because Qt finds the program's folder through
# /proc/self/exe, which names the real file in lib/corvane.
set(CORVANE_LINK_DIR ${CMAKE_CURRENT_BINARY_DIR}/dist-links)
file(MAKE_DIRECTORY ${CORVANE_LINK_DIR})
file(CREATE_LINK ../${CORVANE_PRIVATE_DIR}/corvane ${CORVANE_LINK_DIR}/corvane SYMBOLIC)
install(FILES ${CORVANE_LINK_DIR}/corvane DESTINATION bin)

install(TARGETS corvane_zip RUNTIME DESTINATION ${CORVANE_PRIVATE_DIR})

install(FILES ${CORVANE_DIST_DIR}/corvane.desktop DESTINATION share/applications)
install(FILES ${PROJECT_SOURCE_DIR}/widgets/icon.png
  DESTINATION share/icons/hicolor/32x32/apps RENAME corvane.png)
foreach(size 48 64 128 256)
  install(FILES ${CORVANE_DIST_DIR}/icons/corvane-${size}.png
    DESTINATION share/icons/hicolor/${size}x${size}/apps RENAME corvane.png)
endforeach()
install(FILES ${CORVANE_DIST_DIR}/icons/corvane.svg DESTINATION share/icons/hicolor/scalable/apps)

# Debian package: cpack -G DEB in the build folder.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME corvane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Corvane developers")
set(CPACK_PACKAGE_CONTACT "Corvane developers <dev@corvane.example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Packager for Quake 3 map authors")
set(CPACK_PACKAGE_DESCRIPTION
  "Corvane turns the files of a Quake 3 map (bsp, arena, levelshot, readme and\n"
  "more) into a .pk3 package laid out the way the game expects, optionally\n"
  "wrapped in a .zip, estimates its size and download time, and remembers\n"
  "five map profiles.")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Corvane developers <dev@corvane.example.org>")
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
# dpkg-shlibdeps finds the Qt and C++ libraries the program links against.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
include(CPack)

if(BUILD_TESTING AND NOT install_test IN_LIST CORVANE_NOT_ON_WINDOWS)
  add_test(NAME install_test
    COMMAND sh ${PROJECT_SOURCE_DIR}/tests/install_test.sh
      ${CMAKE_BINARY_DIR} ${CMAKE_COMMAND} ${CMAKE_CPACK_COMMAND})
  set_tests_properties(install_test PROPERTIES TIMEOUT 180 SKIP_RETURN_CODE 77)
endif()
