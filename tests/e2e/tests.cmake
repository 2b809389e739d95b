# End-to-end scripts: drive the built programs from outside, as Windows would.
set(MORV_E2E_TESTS ${CMAKE_CURRENT_LIST_DIR})
include(${MORV_E2E_TESTS}/saver.cmake)
include(${MORV_E2E_TESTS}/dialogs.cmake)
include(${MORV_E2E_TESTS}/x11.cmake)
