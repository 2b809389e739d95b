# The Windows side of the fern engine: the segment store's blocks from the
# virtual memory manager, and the progress dialog beside the precomputation,
# whose template, IDD_PROGRESS, comes with the program's resources.
add_library(morv_segment_blocks_win32 STATIC ${CMAKE_CURRENT_LIST_DIR}/segment_blocks_win32.cpp)
target_include_directories(morv_segment_blocks_win32 PRIVATE ${PROJECT_SOURCE_DIR}/fern)
target_link_libraries(morv_segment_blocks_win32 PRIVATE morv_warnings kernel32)

add_library(morv_progress_dialog STATIC ${CMAKE_CURRENT_LIST_DIR}/progress_dialog_win32.cpp)
target_include_directories(morv_progress_dialog
  PUBLIC ${CMAKE_CURRENT_LIST_DIR}
  PRIVATE ${PROJECT_SOURCE_DIR}/resources)
target_link_libraries(morv_progress_dialog PUBLIC morv_fern user32 kernel32 PRIVATE morv_warnings)

# The displays as the saver window sees them (screen, monitors, clock): the
# seam the shell and the window procedure share, and tests replace.
add_library(morv_displays_win32 STATIC ${CMAKE_CURRENT_LIST_DIR}/displays_win32.cpp)
target_include_directories(morv_displays_win32 PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(morv_displays_win32 PUBLIC user32 gdi32 kernel32 PRIVATE morv_warnings)

# The saver's own window procedure with its OpenGL surface (Windows only).
# ShellDefaultProc comes from the shell: programs link the two through
# morv_saver_window (shell/win32.cmake), never this library alone.
add_library(morv_render_win STATIC ${CMAKE_CURRENT_LIST_DIR}/fern_saver_proc.cpp)
target_include_directories(morv_render_win PUBLIC ${CMAKE_CURRENT_LIST_DIR}
                                           PRIVATE ${PROJECT_SOURCE_DIR}/shell)
target_link_libraries(morv_render_win
  PUBLIC morv_render morv_gl_sink morv_fern morv_progress_dialog morv_displays_win32 morv_settings
         opengl32 gdi32 user32
  PRIVATE morv_warnings)
