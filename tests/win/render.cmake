# The saver's window procedure on real windows under Wine: OpenGL through Wine's
# opengl32, the real settings store, the shell's real close policy, and the
# saver's resources for the progress dialog.
morv_add_test(saver_proc_test
  SOURCES ${MORV_WIN_TESTS}/saver_proc_test.cpp
  LIBS morv_saver_window morv_settings morv_saver_resources opengl32
  TIMEOUT 300)
target_include_directories(saver_proc_test PRIVATE ${PROJECT_SOURCE_DIR}/resources
                                                   ${MORV_WIN_TESTS}/support
                                                   ${PROJECT_SOURCE_DIR}/shell)
