# Cross build for 64-bit Windows with MinGW-w64, for running the Windows
# tests on machines that cannot execute 32-bit code (and so cannot run
# 32-bit Wine). The shipped installer is always the 32-bit build; this one
# proves the same sources against the real Win32 API of 64-bit Wine.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TESMO_MINGW_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)

# ctest runs the test programs with the 64-bit Wine loader itself: Debian's
# "wine" wrapper prefers the 32-bit loader whenever it is installed.
find_program(TESMO_WINE wine64 PATHS /usr/lib/wine NO_DEFAULT_PATH)
if(NOT TESMO_WINE)
  set(TESMO_WINE /usr/lib/wine/wine64)
endif()
set(CMAKE_CROSSCOMPILING_EMULATOR ${TESMO_WINE})
