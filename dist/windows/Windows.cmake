# What Windows shows of the two programs: corvane.exe is a GUI program with
# Corvane's icon; both carry version information and a manifest. Included at
# the end of the top-level CMakeLists.txt on Windows, once both targets exist.

set(WINDOWS_VERSION ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.0.0)
string(REPLACE "." "," WINDOWS_VERSION_COMMAS ${WINDOWS_VERSION})
set(WINDOWS_PUBLISHER "${CPACK_PACKAGE_VENDOR}")
set(CORVANE_WINDOWS_DIR ${CMAKE_CURRENT_LIST_DIR})

# The icon's images are the Linux icons' own: 16, 32, 48 and 256 pixels.
find_program(IMAGEMAGICK_CONVERT convert REQUIRED)
set(CORVANE_ICO ${CMAKE_BINARY_DIR}/windows/corvane.ico)
set(CORVANE_ICON_IMAGES ${CORVANE_DIST_DIR}/icons/corvane-16.png ${PROJECT_SOURCE_DIR}/widgets/icon.png
  ${CORVANE_DIST_DIR}/icons/corvane-48.png ${CORVANE_DIST_DIR}/icons/corvane-256.png)
add_custom_command(OUTPUT ${CORVANE_ICO}
  COMMAND ${IMAGEMAGICK_CONVERT} ${CORVANE_ICON_IMAGES} -depth 8 ${CORVANE_ICO}
  DEPENDS ${CORVANE_ICON_IMAGES}
  COMMENT "Making corvane.ico")

# One resource script per program, from the same template.
function(corvane_windows_resources target file_name description manifest)
  set(WINDOWS_FILE_NAME ${file_name})
  get_filename_component(WINDOWS_INTERNAL_NAME ${file_name} NAME_WE)
  set(WINDOWS_DESCRIPTION "${description}")
  set(WINDOWS_MANIFEST ${CMAKE_BINARY_DIR}/windows/${manifest})
  set(WINDOWS_ICON_LINE "${ARGN}")
  configure_file(${CORVANE_WINDOWS_DIR}/${manifest}.in ${WINDOWS_MANIFEST} @ONLY)
  set(script ${CMAKE_BINARY_DIR}/windows/${WINDOWS_INTERNAL_NAME}.rc)
  configure_file(${CORVANE_WINDOWS_DIR}/version.rc.in ${script} @ONLY)
  target_sources(${target} PRIVATE ${script})
  set_property(SOURCE ${script} DIRECTORY ${CMAKE_SOURCE_DIR} APPEND PROPERTY OBJECT_DEPENDS ${WINDOWS_MANIFEST})
endfunction()

corvane_windows_resources(corvane corvane.exe "Corvane, the Quake 3 map packager" corvane.manifest
  "// Qt takes IDI_ICON1 for the program's windows as well.\nIDI_ICON1 ICON \"${CORVANE_ICO}\"")
set_property(SOURCE ${CMAKE_BINARY_DIR}/windows/corvane.rc DIRECTORY ${CMAKE_SOURCE_DIR}
  APPEND PROPERTY OBJECT_DEPENDS ${CORVANE_ICO})
corvane_windows_resources(corvane_zip zip.exe "Corvane's zip archiver" zip.manifest)

# No console window opens beside the main window; Qt supplies WinMain.
set_target_properties(corvane PROPERTIES WIN32_EXECUTABLE ON)

# The installer's facts, for scripts/windows.sh to hand to makensis.
file(WRITE ${CMAKE_BINARY_DIR}/windows/facts.nsh
  "!define VERSION \"${PROJECT_VERSION}\"\n"
  "!define FILE_VERSION \"${WINDOWS_VERSION}\"\n"
  "!define PUBLISHER \"${WINDOWS_PUBLISHER}\"\n"
  "!define ICON \"${CORVANE_ICO}\"\n")
