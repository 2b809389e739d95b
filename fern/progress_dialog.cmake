# The progress dialog beside the precomputation (Windows only). Its dialog
# template, IDD_PROGRESS, comes with the program's resources.
add_library(morv_progress_dialog STATIC ${CMAKE_CURRENT_LIST_DIR}/progress_dialog_win32.cpp)
target_include_directories(morv_progress_dialog
  PUBLIC ${CMAKE_CURRENT_LIST_DIR}
  PRIVATE ${PROJECT_SOURCE_DIR}/resources)
target_link_libraries(morv_progress_dialog PUBLIC morv_fern user32 kernel32 PRIVATE morv_warnings)
