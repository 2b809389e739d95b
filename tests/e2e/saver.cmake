# The saver driven from outside under Wine with the X keyboard, mouse and
# screenshots (Windows presets, inside a Wine session with a display). Label e2e.
if(NOT MORV_WINDOWS)
  return()
endif()
set(_morv_saver_e2e
  "fullscreen\;$<TARGET_FILE:Morvessantique>"
  "mouse\;$<TARGET_FILE:Morvessantique>"
  "preview\;$<TARGET_FILE:Morvessantique>\;$<TARGET_FILE:shell_test_host>\;$<TARGET_FILE:saver_outside_probe>"
  "bad_switches\;$<TARGET_FILE:Morvessantique>\;$<TARGET_FILE:shell_test_host>"
  "fast_madness\;$<TARGET_FILE:Morvessantique>"
  "no_opengl\;$<TARGET_FILE:Morvessantique>")
foreach(_case IN LISTS _morv_saver_e2e)
  list(GET _case 0 _name)
  list(SUBLIST _case 1 -1 _args)
  add_test(NAME saver_${_name}_e2e COMMAND bash ${MORV_E2E_TESTS}/saver_${_name}.sh ${_args})
  # Each script bounds its own waits; the limit only guards against the unforeseen.
  set_tests_properties(saver_${_name}_e2e PROPERTIES TIMEOUT 180 SKIP_RETURN_CODE 77
                       RESOURCE_LOCK morv_display LABELS e2e)
endforeach()
add_test(NAME saver_missing_helper_e2e
         COMMAND bash ${PROJECT_SOURCE_DIR}/tests/support/missing_helper_test.sh saver)
set_tests_properties(saver_missing_helper_e2e PROPERTIES TIMEOUT 60 SKIP_RETURN_CODE 77
                     RESOURCE_LOCK morv_display LABELS e2e)

# Scripts that look at or drive the saver through the outside probe: a 2-minute
# soak, command lines that no control panel sends, and the configuration dialog
# over a setting's key that cannot be written.
add_test(NAME saver_soak_e2e COMMAND bash ${MORV_E2E_TESTS}/saver_soak.sh
         $<TARGET_FILE:Morvessantique> $<TARGET_FILE:saver_outside_probe> 120)
set_tests_properties(saver_soak_e2e PROPERTIES TIMEOUT 300 SKIP_RETURN_CODE 77
                     RESOURCE_LOCK morv_display LABELS e2e)
add_test(NAME saver_hostile_e2e COMMAND bash ${MORV_E2E_TESTS}/saver_hostile.sh
         $<TARGET_FILE:Morvessantique> $<TARGET_FILE:shell_test_host>
         $<TARGET_FILE:saver_outside_probe>)
set_tests_properties(saver_hostile_e2e PROPERTIES TIMEOUT 300 SKIP_RETURN_CODE 77
                     RESOURCE_LOCK morv_display LABELS e2e)
add_test(NAME saver_locked_setting_e2e COMMAND bash ${MORV_E2E_TESTS}/saver_locked_setting.sh
         $<TARGET_FILE:Morvessantique> $<TARGET_FILE:saver_outside_probe>)
set_tests_properties(saver_locked_setting_e2e PROPERTIES TIMEOUT 180 SKIP_RETURN_CODE 77
                     RESOURCE_LOCK morv_display LABELS e2e)

# Two monitors of different sizes on a nested Xephyr, each against the host
# tool's picture for its size.
if(MORV_HOST_TOOL)
  add_test(NAME saver_monitors_e2e COMMAND bash ${MORV_E2E_TESTS}/saver_monitors.sh
           $<TARGET_FILE:Morvessantique> ${MORV_HOST_TOOL} $<TARGET_FILE:saver_outside_probe>)
  set_tests_properties(saver_monitors_e2e PROPERTIES TIMEOUT 300 SKIP_RETURN_CODE 77
                       RESOURCE_LOCK morv_display LABELS e2e)
  # A display change under the running saver: another program sets 800x600 on
  # a resizeable Xephyr of 1024x768, and the saver follows it.
  add_test(NAME saver_display_change_e2e COMMAND bash ${MORV_E2E_TESTS}/saver_display_change.sh
           $<TARGET_FILE:Morvessantique> ${MORV_HOST_TOOL} $<TARGET_FILE:saver_outside_probe>)
  set_tests_properties(saver_display_change_e2e PROPERTIES TIMEOUT 300 SKIP_RETURN_CODE 77
                       RESOURCE_LOCK morv_display LABELS e2e)
endif()
