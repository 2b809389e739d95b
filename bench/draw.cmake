# Drawing time of one depth level through the OpenGL sink, line by line against
# batched, on an offscreen EGL surface of the screen's size.
add_executable(morv_bench_draw ${CMAKE_CURRENT_SOURCE_DIR}/draw_bench.cpp)
target_link_libraries(morv_bench_draw PRIVATE morv_gl_sink morv_headless_gl morv_warnings
                                              benchmark::benchmark)
target_include_directories(morv_bench_draw PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
