# The installer under Wine: its dialog and copy in-process, from its real template.
morv_add_test(installer_test
  SOURCES ${MORV_WIN_TESTS}/installer_test.cpp
  LIBS morv_installer morv_installer_resources
  TIMEOUT 180)
target_include_directories(installer_test PRIVATE ${PROJECT_SOURCE_DIR}/resources)
