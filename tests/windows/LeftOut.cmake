# What of the test suite does not run on Windows, each with its reason: the
# one place to look.

# Whole test programs.
set(CORVANE_NOT_ON_WINDOWS
  # It starts the Linux build of the game's dedicated server.
  tst_game_load
  # It checks its archives with Info-ZIP's unzip and stands in for the
  # archiver with shell scripts; neither runs inside Wine. The Windows
  # build's end to end cases are in tst_windows, checked with unzip from the
  # Linux side by check_archives.sh.
  tst_builder_e2e
  # zip.exe's command-line cases lean on POSIX links, permissions and users;
  # check_archives.sh runs the Windows ones.
  zip_cli
  # It installs into a Linux tree and builds the Debian package; Windows gets
  # the portable folder that scripts/windows.sh lays out and starts.
  install_test
  # It reads what zip.exe wrote with Info-ZIP's unzip and makes a zip64
  # archive with Info-ZIP's zip; neither runs inside Wine. The readers are
  # the same code on Windows; their Windows file access is exercised by
  # tst_windows (packages updated and checked) and check_archives.sh.
  tst_damaged_archives)

# Single test functions, as "program:function".
set(CORVANE_LEFT_OUT_ON_WINDOWS
  # Its stand-in program is a shell script; tst_windows sees the launcher
  # hand relative paths to the real zip.exe.
  tst_platform:launcherHandsRelativePathsAndWorkingFolder
  # The file size limit it writes against is POSIX's.
  tst_platform:copyFailureSaysWhatTheSystemSaid)

# Test programs that measure text: Qt's offscreen platform has no fonts on
# Windows, so they run with the windows platform on a virtual display.
set(CORVANE_WINDOWS_DISPLAY_TESTS tst_mainwindow tst_about)
# Qt gives Windows 11 its "windows11" style and older Windows (and Wine)
# "windowsvista": these run once more in the Windows 11 style, so that what a
# Windows 11 user sees is checked too.
set(CORVANE_WINDOWS11_STYLE_TESTS tst_mainwindow tst_about)

# Qt Test programs learn here what to leave out and where to run.
function(corvane_windows_test_environment test)
  if(NOT test MATCHES "^tst_")
    return()
  endif()
  # A second run of a program (in the Windows 11 style) is named after it.
  string(REGEX REPLACE "_windows11$" "" program ${test})
  set(left_out "")
  foreach(entry ${CORVANE_LEFT_OUT_ON_WINDOWS})
    if(entry MATCHES "^${program}:(.+)$")
      string(APPEND left_out " ${CMAKE_MATCH_1}")
    endif()
  endforeach()
  set_property(TEST ${test} APPEND PROPERTY ENVIRONMENT CORVANE_QTEST=1 "CORVANE_LEFT_OUT=${left_out}")
  if(program IN_LIST CORVANE_WINDOWS_DISPLAY_TESTS)
    set_property(TEST ${test} APPEND PROPERTY ENVIRONMENT CORVANE_WINE_DISPLAY=1)
  endif()
  if(NOT program STREQUAL test)
    set_property(TEST ${test} APPEND PROPERTY ENVIRONMENT WINEQT_STYLE_OVERRIDE=windows11)
  endif()
endfunction()
