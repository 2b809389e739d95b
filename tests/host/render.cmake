# The renderer's portable tests (every preset), the OpenGL rendering test on the
# Linux host's offscreen EGL surface, and the tool's command-line test.
morv_add_test(render_color_test SOURCES ${MORV_HOST_TESTS}/color_test.cpp LIBS morv_render)
morv_add_test(render_animation_test SOURCES ${MORV_HOST_TESTS}/animation_test.cpp
              LIBS morv_render)
morv_add_test(render_recording_sink_test SOURCES ${MORV_HOST_TESTS}/recording_sink_test.cpp
              LIBS morv_render)
morv_add_test(render_line_batch_test SOURCES ${MORV_HOST_TESTS}/line_batch_test.cpp
              LIBS morv_render)
morv_add_test(render_level_stats_test SOURCES ${MORV_HOST_TESTS}/level_stats_test.cpp
              LIBS morv_render)
morv_add_test(render_fern_start_test SOURCES ${MORV_HOST_TESTS}/fern_start_test.cpp
              LIBS morv_render)
morv_add_test(render_monitor_ferns_test SOURCES ${MORV_HOST_TESTS}/monitor_ferns_test.cpp
              LIBS morv_render)

if(NOT MORV_WINDOWS)
  morv_add_test(render_gl_sink_test SOURCES ${MORV_HOST_TESTS}/gl_sink_test.cpp
                LIBS morv_gl_sink morv_headless_gl)
  # Per-segment and batched drawing give the same pictures; the batch buffer.
  morv_add_test(render_gl_batch_test SOURCES ${MORV_HOST_TESTS}/gl_batch_test.cpp
                LIBS morv_gl_sink morv_headless_gl)
  if(MORV_SANITIZE)
    # Mesa's software rasteriser leaks a few bytes of its own when its display
    # is terminated after drawing; our code's leaks are caught by the other tests.
    set_tests_properties(render_gl_sink_test render_gl_batch_test
                         PROPERTIES ENVIRONMENT "ASAN_OPTIONS=detect_leaks=0")
  endif()
endif()

# The tool from outside, as a user runs it: natively here, under Wine for the
# Windows presets (whose tool has no `png`).
if(MORV_WINDOWS)
  add_test(NAME tool_command_line_test
           COMMAND bash ${MORV_HOST_TESTS}/tool_test.sh --windows
                   "${PROJECT_SOURCE_DIR}/tests/support/wine-run.sh $<TARGET_FILE:morvessantique-tool>"
                   ${PROJECT_VERSION})
else()
  add_test(NAME tool_command_line_test
           COMMAND bash ${MORV_HOST_TESTS}/tool_test.sh --host $<TARGET_FILE:morvessantique-tool>
                   ${PROJECT_VERSION})
endif()
set_tests_properties(tool_command_line_test PROPERTIES TIMEOUT 300)

# The shipping 32-bit build computes doubles on the x87 unit. The device
# coordinates must not depend on that: the same sources built with x87 arithmetic
# on an x86-64 GCC host must trace exactly the same lines.
if(TARGET morv_fern_x87)
  set(MORV_RENDER_DIR ${PROJECT_SOURCE_DIR}/render)
  add_library(morv_render_x87 STATIC ${MORV_RENDER_DIR}/color.cpp ${MORV_RENDER_DIR}/animation.cpp
                                     ${MORV_RENDER_DIR}/recording_sink.cpp)
  target_include_directories(morv_render_x87 PUBLIC ${MORV_RENDER_DIR})
  target_compile_options(morv_render_x87 PRIVATE -mfpmath=387 -O3)
  target_link_libraries(morv_render_x87 PUBLIC morv_fern_x87 PRIVATE morv_warnings)
  add_executable(render_trace_sse ${MORV_HOST_TESTS}/render_trace_main.cpp)
  target_link_libraries(render_trace_sse PRIVATE morv_render morv_warnings)
  add_executable(render_trace_x87 ${MORV_HOST_TESTS}/render_trace_main.cpp)
  target_link_libraries(render_trace_x87 PRIVATE morv_render_x87 morv_warnings)
  add_test(NAME render_x87_matches_sse
           COMMAND ${PROJECT_SOURCE_DIR}/tests/support/same-output.sh
                   $<TARGET_FILE:render_trace_sse> $<TARGET_FILE:render_trace_x87>
                   640x480 1366x768 333x157 13x2999)
  set_tests_properties(render_x87_matches_sse PROPERTIES TIMEOUT 300)
endif()
