# Windows-only tests: .exe files that ctest runs under Wine on the virtual display.
set(MORV_WIN_TESTS ${CMAKE_CURRENT_LIST_DIR})
include(${MORV_WIN_TESTS}/fern.cmake)
include(${MORV_WIN_TESTS}/shell.cmake)
include(${MORV_WIN_TESTS}/render.cmake)
include(${MORV_WIN_TESTS}/settings.cmake)
include(${MORV_WIN_TESTS}/installer.cmake)
