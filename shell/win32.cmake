# Win32 part of the shell and the saver executable.

# morv_shell: start-up, saver window, close policy and password hooks. It calls
# FernSaverProc (morv_render_win) and ConfigDialogProc (morv_settings) but does not
# link them: the saver links the real ones, the shell's tests may link doubles.
add_library(morv_shell STATIC
  shell_state.cpp
  shell_start.cpp
  saver_window.cpp
  close_policy.cpp
  password_hooks.cpp
)
target_include_directories(morv_shell PUBLIC
  ${CMAKE_CURRENT_SOURCE_DIR}
  ${PROJECT_SOURCE_DIR}/render/win32  # fern_saver_proc.h
  ${PROJECT_SOURCE_DIR}/settings      # config_dialog.h
  ${PROJECT_SOURCE_DIR}/resources     # resource_ids.h
)
target_link_libraries(morv_shell PUBLIC morv_cmdline morv_saver_states morv_displays user32 gdi32 advapi32
                      PRIVATE morv_warnings)

# The shell with the saver's real window procedure. The two call each other
# (ShellWindowProc -> FernSaverProc -> ShellDefaultProc); this target states that
# dependency once, as a link group, for every program that runs the real saver.
add_library(morv_saver_window INTERFACE)
target_link_libraries(morv_saver_window INTERFACE
  "$<LINK_GROUP:RESCAN,morv_shell,morv_render_win>" morv_cmdline morv_saver_states)

# The saver: Morvessantique.scr.
add_executable(Morvessantique WIN32 main.cpp)
set_target_properties(Morvessantique PROPERTIES OUTPUT_NAME Morvessantique SUFFIX ".scr")
target_link_libraries(Morvessantique PRIVATE morv_warnings morv_saver_window morv_settings
                      morv_fern morv_render morv_gl_sink morv_saver_resources morv_saver_identity
                      opengl32 gdi32 user32 advapi32)
if(TARGET morv_win9x_import_slots)
  target_link_libraries(Morvessantique PRIVATE morv_win9x_import_slots)
endif()
