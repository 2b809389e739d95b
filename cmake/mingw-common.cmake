# Shared part of the MinGW-w64 toolchain files (Debian's posix thread model).
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER   ${MORV_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MORV_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER  ${MORV_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${MORV_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# ctest runs the Windows test programs under Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tests/support/wine-run.sh)
