# The fern engine's Windows side: the progress dialog (with the saver's resources,
# for dialog 110), and the Windows tool's ferns against the host build's.
morv_add_test(progress_dialog_test
  SOURCES ${MORV_WIN_TESTS}/progress_dialog_test.cpp
  LIBS morv_progress_dialog morv_saver_resources
  TIMEOUT 180)
target_include_directories(progress_dialog_test PRIVATE ${PROJECT_SOURCE_DIR}/resources)

# The dump of the Windows build must equal the host build's byte for byte: same
# generator, different compiler, floating-point unit and C runtime.
set(MORV_HOST_TOOL "" CACHE FILEPATH "morvessantique-tool of a host build, to compare the Windows tool with")
if(MORV_HOST_TOOL)
  add_test(NAME fern_dump_matches_host_tool
           COMMAND bash ${PROJECT_SOURCE_DIR}/tests/support/same-output.sh
                   "${PROJECT_SOURCE_DIR}/tests/support/wine-run.sh $<TARGET_FILE:morvessantique-tool> dump"
                   "${MORV_HOST_TOOL} dump"
                   640x480 333x157 1920x1080 7x9 4000x37)
  set_tests_properties(fern_dump_matches_host_tool PROPERTIES TIMEOUT 600)
endif()
