# The shell under Wine: real windows, real messages, the real registry.

# Test support: the scripted-run harness with the stand-in's record, and the
# recording stand-in for FernSaverProc in a library of its own.
add_library(morv_shell_script STATIC
  ${MORV_WIN_TESTS}/support/fern_saver_double.cpp
  ${MORV_WIN_TESTS}/support/saver_script.cpp)
target_include_directories(morv_shell_script PUBLIC ${MORV_WIN_TESTS}/support)
target_link_libraries(morv_shell_script PUBLIC morv_shell morv_gtest PRIVATE morv_warnings)
# Compiled into each test that uses it: an object that the shell's archive needs
# must be on the link line itself, not in an archive ahead of the shell's.
add_library(morv_shell_test_support INTERFACE)
target_sources(morv_shell_test_support INTERFACE ${MORV_WIN_TESTS}/support/fern_saver_proc_double.cpp)
target_link_libraries(morv_shell_test_support INTERFACE morv_shell_script)

morv_add_test(shell_close_policy_test
  SOURCES ${MORV_WIN_TESTS}/shell_close_policy_test.cpp
  LIBS morv_shell_test_support morv_shell
  TIMEOUT 180)

# A plain window in a process of its own: preview parent, or a saver that already runs.
add_executable(shell_test_host ${MORV_WIN_TESTS}/support/window_host.cpp)
target_link_libraries(shell_test_host PRIVATE morv_warnings user32 gdi32)

morv_add_test(shell_window_test
  SOURCES ${MORV_WIN_TESTS}/shell_window_test.cpp
  LIBS morv_shell_test_support morv_shell
  TIMEOUT 240)
target_link_libraries(shell_window_test PRIVATE morv_saver_resources)
add_dependencies(shell_window_test shell_test_host)

# Looks at and drives the real saver from another process: its GUI resources,
# exact command lines, the configuration dialog's controls, a locked setting.
add_executable(saver_outside_probe ${MORV_WIN_TESTS}/support/outside_probe.cpp)
target_link_libraries(saver_outside_probe PRIVATE morv_warnings user32 advapi32)

morv_add_test(shell_start_test
  SOURCES ${MORV_WIN_TESTS}/shell_start_test.cpp
  LIBS morv_shell_test_support morv_shell morv_settings morv_saver_resources
  TIMEOUT 300)

# The saver's entry in processes of their own: the real ShellStart with a stand-in
# saver procedure. shell_probe9x is the same program under another name, which the
# test gives Wine's Windows 98 version.
foreach(_probe shell_probe shell_probe9x)
  add_executable(${_probe} WIN32 ${MORV_WIN_TESTS}/support/saver_probe.cpp)
  target_link_libraries(${_probe} PRIVATE morv_shell morv_settings morv_saver_resources morv_warnings)
endforeach()
morv_add_test(shell_entry_test
  SOURCES ${MORV_WIN_TESTS}/shell_entry_test.cpp
  LIBS morv_shell_test_support morv_shell
  TIMEOUT 300)
add_dependencies(shell_entry_test shell_probe shell_probe9x shell_test_host)

# The password hooks, with stand-ins for PASSWORD.CPL and MPR.DLL beside the test
# programs. Wine gives the *9x* programs the Windows 98 version and lets every one
# of them load our MPR.DLL instead of its own (per-program Wine settings, which
# the fixture of tests/win/tests.cmake writes into the run's prefix first).
set(MORV_PASSWORD_DIR ${CMAKE_CURRENT_BINARY_DIR}/password)
set(MORV_PASSWORD_BARE_DIR ${CMAKE_CURRENT_BINARY_DIR}/password-bare)

function(morv_fake_component target source output_name suffix dir)
  add_library(${target} SHARED ${source})
  target_include_directories(${target} PRIVATE ${MORV_WIN_TESTS}/support)
  target_link_libraries(${target} PRIVATE morv_warnings user32)
  # Undecorated names for GetProcAddress also in the 32-bit build (stdcall exports).
  target_link_options(${target} PRIVATE -Wl,--kill-at)
  set_target_properties(${target} PROPERTIES PREFIX "" OUTPUT_NAME ${output_name} SUFFIX ${suffix}
                        RUNTIME_OUTPUT_DIRECTORY ${dir} ARCHIVE_OUTPUT_DIRECTORY ${dir}/lib)
endfunction()
morv_fake_component(morv_fake_password ${MORV_WIN_TESTS}/support/password_cpl.cpp PASSWORD .CPL ${MORV_PASSWORD_DIR})
morv_fake_component(morv_fake_mpr ${MORV_WIN_TESTS}/support/mpr_dll.cpp MPR .DLL ${MORV_PASSWORD_DIR})
morv_fake_component(morv_fake_password_bare ${MORV_WIN_TESTS}/support/password_cpl.cpp PASSWORD .CPL ${MORV_PASSWORD_BARE_DIR})
target_compile_definitions(morv_fake_password_bare PRIVATE MORV_FAKE_WITHOUT_VERIFY)

function(morv_password_test name source dir)
  morv_add_test(${name} SOURCES ${MORV_WIN_TESTS}/${source}
                LIBS morv_shell_test_support morv_shell ${ARGN} TIMEOUT 240)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${dir})
endfunction()
morv_password_test(shell_password9x_test password_hooks_test.cpp ${MORV_PASSWORD_DIR} morv_settings)
morv_password_test(shell_password_nt_test password_nt_family_test.cpp ${MORV_PASSWORD_DIR} morv_settings)
# The window host, beside these programs too.
add_executable(shell_test_host_password ${MORV_WIN_TESTS}/support/window_host.cpp)
target_link_libraries(shell_test_host_password PRIVATE morv_warnings user32 gdi32)
set_target_properties(shell_test_host_password PROPERTIES OUTPUT_NAME shell_test_host
                      RUNTIME_OUTPUT_DIRECTORY ${MORV_PASSWORD_DIR})
add_dependencies(shell_password9x_test morv_fake_password morv_fake_mpr shell_test_host_password)
add_dependencies(shell_password_nt_test morv_fake_password morv_fake_mpr)
morv_password_test(shell_password9x_bare_test password_missing_test.cpp ${MORV_PASSWORD_BARE_DIR})
add_dependencies(shell_password9x_bare_test morv_fake_password_bare)

morv_wine_app_setting(shell_password9x_test "" Version win98)
morv_wine_app_setting(shell_password9x_bare_test "" Version win98)
morv_wine_app_setting(shell_password9x_test DllOverrides mpr native)
morv_wine_app_setting(shell_password_nt_test DllOverrides mpr native)

# With the saver's real window procedure: OpenGL, precomputation and ticks.
morv_add_test(shell_real_saver_test
  SOURCES ${MORV_WIN_TESTS}/shell_real_saver_test.cpp
  LIBS morv_shell_script morv_saver_window morv_settings morv_saver_resources
  TIMEOUT 300)

# The full-screen saver while the displays change under it, on a desktop of the
# test's own (late reports, a frozen clock, a new monitor, a new colour depth).
morv_add_test(saver_display_follow_test
  SOURCES ${MORV_WIN_TESTS}/saver_display_follow_test.cpp
  LIBS morv_shell_script morv_saver_window morv_settings morv_saver_resources
  TIMEOUT 300)
