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

# The saver's entry in processes of their own: the real ShellStart with a stand-in
# saver procedure. shell_probe9x is the same program under another name, which the
# test gives Wine's Windows 98 version.
if(TARGET morv_settings AND TARGET morv_saver_resources)
  foreach(_probe shell_probe shell_probe9x)
    add_executable(${_probe} WIN32 ${MORV_WIN_TESTS}/fakes/saver_probe.cpp)
    target_link_libraries(${_probe} PRIVATE morv_shell morv_settings morv_saver_resources morv_warnings)
  endforeach()
  morv_add_test(shell_entry_test
    SOURCES ${MORV_WIN_TESTS}/shell_entry_test.cpp
    LIBS morv_shell_test_support morv_shell
    TIMEOUT 300)
  add_dependencies(shell_entry_test shell_probe shell_probe9x shell_test_host)
endif()
