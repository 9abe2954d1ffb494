# Cross build for 32-bit Windows with MinGW-w64: the shipped installer.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(TESMO_MINGW_PREFIX i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)

# ctest runs the Windows test programs under Wine.
find_program(TESMO_WINE wine)
if(NOT TESMO_WINE)
  set(TESMO_WINE wine)
endif()
set(CMAKE_CROSSCOMPILING_EMULATOR ${TESMO_WINE})
