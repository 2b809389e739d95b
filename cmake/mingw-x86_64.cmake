# 64-bit Windows build of the same sources. It exists for testing: on hosts whose
# kernel cannot run 32-bit programs (so no 32-bit Wine), the Windows tests run
# from this build under 64-bit Wine. No 64-bit Windows predates XP x64, so it keeps
# Debian's posix thread model.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(MORV_MINGW_PREFIX x86_64-w64-mingw32)
set(MORV_MINGW_THREADS posix)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
