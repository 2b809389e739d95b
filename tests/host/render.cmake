# The renderer's portable tests (every preset), the OpenGL rendering test on the
# Linux host's offscreen EGL surface, and the tool's command-line test.
morv_add_test(render_color_test SOURCES ${MORV_HOST_TESTS}/color_test.cpp LIBS morv_render)
morv_add_test(render_animation_test SOURCES ${MORV_HOST_TESTS}/animation_test.cpp
              LIBS morv_render)
morv_add_test(render_recording_sink_test SOURCES ${MORV_HOST_TESTS}/recording_sink_test.cpp
              LIBS morv_render)

if(NOT MORV_WINDOWS)
  morv_add_test(render_gl_sink_test SOURCES ${MORV_HOST_TESTS}/gl_sink_test.cpp
                LIBS morv_gl_sink morv_headless_gl)
  if(MORV_SANITIZE)
    # Mesa's software rasteriser leaks a few bytes of its own when its display
    # is terminated after drawing; our code's leaks are caught by the other tests.
    set_tests_properties(render_gl_sink_test PROPERTIES ENVIRONMENT "ASAN_OPTIONS=detect_leaks=0")
  endif()
endif()

# The tool from outside, as a user runs it: natively here, under Wine for the
# Windows presets (whose tool has no `png`).
if(MORV_WINDOWS)
  add_test(NAME tool_command_line_test
           COMMAND bash ${MORV_HOST_TESTS}/tool_test.sh --windows
                   "${PROJECT_SOURCE_DIR}/tests/support/wine-run.sh $<TARGET_FILE:morvessantique-tool>")
else()
  add_test(NAME tool_command_line_test
           COMMAND bash ${MORV_HOST_TESTS}/tool_test.sh --host $<TARGET_FILE:morvessantique-tool>)
endif()
set_tests_properties(tool_command_line_test PROPERTIES TIMEOUT 300)
