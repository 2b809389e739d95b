# 32-bit Windows: the build that ships. The win32 thread model keeps winpthreads out
# of the programs: its imports (GetTickCount64, AddVectoredExceptionHandler,
# TryEnterCriticalSection, ...) do not exist on Windows 98/Me or NT 4.0, and a program
# that imports them does not start there. The code starts its threads with CreateThread.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(MORV_MINGW_PREFIX i686-w64-mingw32)
set(MORV_MINGW_THREADS win32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
