# Cross build for 32-bit Windows with MinGW-w64. The posix thread model is
# needed by GoogleTest (std::mutex); everything links statically so the
# programs need no runtime DLL beside them.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(TESMO_MINGW_PREFIX i686-w64-mingw32)
set(CMAKE_C_COMPILER ${TESMO_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TESMO_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${TESMO_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TESMO_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# ctest runs the Windows test programs under Wine.
find_program(TESMO_WINE wine)
if(NOT TESMO_WINE)
  set(TESMO_WINE wine)
endif()
set(CMAKE_CROSSCOMPILING_EMULATOR ${TESMO_WINE})
