# Windows-only tests: .exe files that ctest runs under Wine on the virtual display.
set(MORV_WIN_TESTS ${CMAKE_CURRENT_LIST_DIR})

# Per-program Wine settings, under HKCU\Software\Wine\AppDefaults\<test>.exe: every
# test that needs one requires the fixture morv_wine_app_settings, which writes them
# all into the run's Wine prefix with one regedit before the first such test. So
# `ctest -R <test>` in a Wine session runs a test as the whole suite does.
#   morv_wine_app_setting(<test> <subkey or ""> <value name> <string data>)
set_property(GLOBAL PROPERTY MORV_WINE_APP_SETTINGS "")
function(morv_wine_app_setting test subkey name data)
  set(key "HKEY_CURRENT_USER\\Software\\Wine\\AppDefaults\\${test}.exe")
  if(subkey)
    string(APPEND key "\\${subkey}")
  endif()
  set_property(GLOBAL APPEND_STRING PROPERTY MORV_WINE_APP_SETTINGS
               "[${key}]\n\"${name}\"=\"${data}\"\n\n")
  set_property(TEST ${test} APPEND PROPERTY FIXTURES_REQUIRED morv_wine_app_settings)
endfunction()

include(${MORV_WIN_TESTS}/fern.cmake)
include(${MORV_WIN_TESTS}/shell.cmake)
include(${MORV_WIN_TESTS}/render.cmake)
include(${MORV_WIN_TESTS}/settings.cmake)
include(${MORV_WIN_TESTS}/installer.cmake)

# The 32-bit deliverables' import slots, linked into a test as into them.
if(TARGET morv_win9x_import_slots)
  morv_add_test(win9x_import_slots_test
    SOURCES ${MORV_WIN_TESTS}/win9x_import_slots_test.cpp
    LIBS morv_win9x_import_slots)
endif()

# Wine waits for a window manager (about 2 s for each closed captioned window on a
# bare virtual display) unless a program's windows are unmanaged. Only for tests
# whose behaviour does not depend on window-manager activation: the saver itself
# and the tests of its own window procedure keep Wine's managed windows.
foreach(_test config_dialog_test config_dialog_without_ok_bitmap_test settings_store_test
              settings_resources_test installer_test installer_exe_test progress_dialog_test
              shell_close_policy_test shell_window_test shell_start_test shell_entry_test
              shell_password9x_test)
  morv_wine_app_setting(${_test} "X11 Driver" Managed N)
endforeach()

get_property(_settings GLOBAL PROPERTY MORV_WINE_APP_SETTINGS)
set(_reg ${CMAKE_CURRENT_BINARY_DIR}/wine_app_settings.reg)
file(WRITE ${_reg} "REGEDIT4\n\n${_settings}")
add_test(NAME wine_app_settings COMMAND ${CMAKE_CROSSCOMPILING_EMULATOR} regedit /S ${_reg})
set_tests_properties(wine_app_settings PROPERTIES FIXTURES_SETUP morv_wine_app_settings TIMEOUT 60)
