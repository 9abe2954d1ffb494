# What the MinGW-w64 toolchain files share; each sets TESMO_MINGW_PREFIX and
# CMAKE_SYSTEM_PROCESSOR first. The posix thread model is needed by
# GoogleTest (std::mutex); everything links statically, programs and DLLs
# alike, so nothing needs a MinGW runtime DLL that no Windows has (a test
# DLL that imports libgcc's fails to load before it is tried).
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${TESMO_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TESMO_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${TESMO_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TESMO_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
