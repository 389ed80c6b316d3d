# Cross-builds for 64-bit Windows with Debian's MinGW-w64 (POSIX threads).
# CORVANE_WINDOWS_SDK names the folder with the Windows builds of Qt,
# libdeflate, zlib and libzip that scripts/windows-sdk.sh makes.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(triple x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${triple}-g++-posix)
set(CMAKE_RC_COMPILER ${triple}-windres)

if(NOT CORVANE_WINDOWS_SDK AND DEFINED ENV{CORVANE_WINDOWS_SDK})
  set(CORVANE_WINDOWS_SDK $ENV{CORVANE_WINDOWS_SDK})
endif()
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES CORVANE_WINDOWS_SDK)

set(CMAKE_FIND_ROOT_PATH /usr/${triple} ${CORVANE_WINDOWS_SDK} ${CORVANE_WINDOWS_SDK}/qt)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# pkg-config finds only the SDK's own .pc files.
if(CORVANE_WINDOWS_SDK)
  set(ENV{PKG_CONFIG_LIBDIR} ${CORVANE_WINDOWS_SDK}/lib/pkgconfig)
  set(ENV{PKG_CONFIG_SYSROOT_DIR} "")
endif()
