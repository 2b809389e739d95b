# 64-bit Windows build of the same sources. It exists for testing: on hosts whose
# kernel cannot run 32-bit programs (so no 32-bit Wine), the Windows tests run
# from this build under 64-bit Wine.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(MORV_MINGW_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
