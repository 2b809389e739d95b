# The installer under Wine: its dialog and copy in-process, from its real template.
morv_add_test(installer_test
  SOURCES ${MORV_WIN_TESTS}/installer_test.cpp
  LIBS morv_installer morv_installer_resources
  TIMEOUT 180)
target_include_directories(installer_test PRIVATE ${PROJECT_SOURCE_DIR}/resources)

# The built Install.exe itself, started in a scratch working directory.
morv_add_test(installer_exe_test
  SOURCES ${MORV_WIN_TESTS}/installer_exe_test.cpp
  TIMEOUT 180)
target_include_directories(installer_exe_test PRIVATE ${PROJECT_SOURCE_DIR}/resources)
target_compile_definitions(installer_exe_test PRIVATE MORV_INSTALL_EXE="$<TARGET_FILE:morv_installer_exe>")
add_dependencies(installer_exe_test morv_installer_exe)
