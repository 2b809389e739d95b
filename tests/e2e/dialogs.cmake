# The installer's dialog driven from outside with the X keyboard and mouse (Windows build,
# inside a Wine session with a display).
if(MORV_WINDOWS)
  add_test(NAME dialogs_install_e2e
           COMMAND bash ${MORV_E2E_TESTS}/dialogs_install.sh $<TARGET_FILE:morv_installer_exe>)
  set_tests_properties(dialogs_install_e2e PROPERTIES TIMEOUT 180 SKIP_RETURN_CODE 77
                       RESOURCE_LOCK morv_display LABELS e2e)
endif()
