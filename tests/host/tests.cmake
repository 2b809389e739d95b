# Portable tests: built by every preset (natively, under the sanitizers, and as .exe under Wine).
set(MORV_HOST_TESTS ${CMAKE_CURRENT_LIST_DIR})
morv_add_test(fern_store_test SOURCES ${MORV_HOST_TESTS}/segment_store_test.cpp LIBS morv_fern)
morv_add_test(fern_generator_test SOURCES ${MORV_HOST_TESTS}/generator_test.cpp LIBS morv_fern)
morv_add_test(fern_precompute_test SOURCES ${MORV_HOST_TESTS}/precompute_test.cpp LIBS morv_fern)
morv_add_test(fern_directions_test SOURCES ${MORV_HOST_TESTS}/directions_test.cpp LIBS morv_fern)
include(${MORV_HOST_TESTS}/shell.cmake)
include(${MORV_HOST_TESTS}/render.cmake)

# The ferns must not depend on x87 excess precision (the shipping 32-bit build's arithmetic).
if(TARGET morv_fern_x87)
  add_executable(fern_dump_sse ${MORV_HOST_TESTS}/fern_dump_main.cpp)
  target_link_libraries(fern_dump_sse PRIVATE morv_fern)
  add_executable(fern_dump_x87 ${MORV_HOST_TESTS}/fern_dump_main.cpp)
  target_link_libraries(fern_dump_x87 PRIVATE morv_fern_x87)
  target_include_directories(fern_dump_sse PRIVATE ${PROJECT_SOURCE_DIR}/tests/support)
  target_include_directories(fern_dump_x87 PRIVATE ${PROJECT_SOURCE_DIR}/tests/support)
  add_test(NAME fern_x87_matches_sse
           COMMAND ${PROJECT_SOURCE_DIR}/tests/support/same-output.sh
                   $<TARGET_FILE:fern_dump_sse> $<TARGET_FILE:fern_dump_x87>
                   640x480 1366x768 1920x1080 333x157 2001x37 13x799)
  # The same at large sizes (wide angle ranges, tens of millions of records), by
  # digest; not under the sanitizers, where it takes minutes.
  if(NOT MORV_SANITIZE)
    add_test(NAME fern_x87_matches_sse_at_large_sizes
             COMMAND ${PROJECT_SOURCE_DIR}/tests/support/same-output.sh
                     "$<TARGET_FILE:fern_dump_sse> --digest" "$<TARGET_FILE:fern_dump_x87> --digest"
                     800x600 1440x900 3000x2000 3840x2160 7680x4320)
  endif()
endif()
# The Linux display mode's command line (its grammar has no X in it).
if(NOT MORV_WINDOWS)
  morv_add_test(x11_options_test SOURCES ${MORV_HOST_TESTS}/x11_options_test.cpp
                LIBS morv_x11_options)
endif()
morv_add_test(fern_precompute_methods_test SOURCES ${MORV_HOST_TESTS}/precompute_methods_test.cpp LIBS morv_fern TIMEOUT 900)

# The leak check of the sanitizer build really runs: a deliberate leak fails.
if(MORV_SANITIZE AND NOT MORV_WINDOWS)
  add_executable(lsan_probe ${MORV_HOST_TESTS}/lsan_probe.cpp)
  add_test(NAME leak_sanitizer_fails_a_leaking_program
           COMMAND bash ${MORV_HOST_TESTS}/lsan_probe.sh $<TARGET_FILE:lsan_probe>)
endif()

# The scripts that pick what a test run can use: checked once, in the host build.
if(NOT MORV_WINDOWS AND NOT MORV_SANITIZE)
  add_test(NAME wine_boot_waits_for_a_ready_prefix
           COMMAND bash ${MORV_HOST_TESTS}/wine_boot_ready.sh)
  add_test(NAME wine_runs_without_tmpdir
           COMMAND bash ${MORV_HOST_TESTS}/wine_shim_test.sh)
  add_test(NAME runs_i386_probes_where_programs_may_run
           COMMAND bash ${MORV_HOST_TESTS}/runs_i386_probe.sh)
  set_tests_properties(runs_i386_probes_where_programs_may_run PROPERTIES SKIP_RETURN_CODE 77)
  # The end of the test command's background runs: nothing left running, no folder left.
  add_test(NAME background_run_ends_whole
           COMMAND bash ${MORV_HOST_TESTS}/run_group_test.sh)
  # A test script that calls a helper which no longer exists fails, with the scratch
  # folder of script_lib.sh or without (also on the displays of the end-to-end scripts:
  # x11.cmake, saver.cmake).
  add_test(NAME missing_helper_fails_a_script
           COMMAND bash ${PROJECT_SOURCE_DIR}/tests/support/missing_helper_test.sh plain bare)
endif()
