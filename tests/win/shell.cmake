# The shell under Wine: real windows, real messages, the real registry.
if(NOT TARGET morv_shell)
  return()
endif()

# Test support: a recording stand-in for FernSaverProc and the scripted-run harness.
add_library(morv_shell_test_support STATIC
  ${MORV_WIN_TESTS}/fakes/fern_saver_double.cpp
  ${MORV_WIN_TESTS}/fakes/saver_script.cpp)
target_include_directories(morv_shell_test_support PUBLIC ${MORV_WIN_TESTS}/fakes)
target_link_libraries(morv_shell_test_support PUBLIC morv_shell PRIVATE morv_warnings)

morv_add_test(shell_close_policy_test
  SOURCES ${MORV_WIN_TESTS}/shell_close_policy_test.cpp
  LIBS morv_shell_test_support morv_shell
  TIMEOUT 180)

# A plain window in a process of its own: preview parent, or a saver that already runs.
add_executable(shell_test_host ${MORV_WIN_TESTS}/fakes/window_host.cpp)
target_link_libraries(shell_test_host PRIVATE morv_warnings user32 gdi32)

morv_add_test(shell_window_test
  SOURCES ${MORV_WIN_TESTS}/shell_window_test.cpp
  LIBS morv_shell_test_support morv_shell
  TIMEOUT 240)
if(TARGET morv_saver_resources)
  target_link_libraries(shell_window_test PRIVATE morv_saver_resources)
endif()
add_dependencies(shell_window_test shell_test_host)

if(TARGET morv_settings AND TARGET morv_saver_resources)
  morv_add_test(shell_start_test
    SOURCES ${MORV_WIN_TESTS}/shell_start_test.cpp
    LIBS morv_shell_test_support morv_shell morv_settings morv_saver_resources
    TIMEOUT 300)
endif()
