# What the MinGW-w64 toolchain files share; each sets TESMO_MINGW_PREFIX and
# CMAKE_SYSTEM_PROCESSOR first. The posix thread model is needed by
# GoogleTest (std::mutex). The runtime is linked statically for every
# Windows build, cross or not, in the top CMakeLists.txt.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${TESMO_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TESMO_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${TESMO_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TESMO_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
