# The Linux display mode from outside, each script on an Xvfb of its own (the
# daemon test with the real XScreenSaver), and its Debian package. Under the
# sanitizers only the scripts that run the program directly, without leak
# checking: Mesa's driver leaks a few bytes of its own when it is unloaded.
if(MORV_WINDOWS)
  return()
endif()
find_package(X11 REQUIRED)
find_package(OpenGL REQUIRED COMPONENTS OpenGL GLX)
add_executable(x11_test_window ${PROJECT_SOURCE_DIR}/tests/support/x11_test_window.cpp)
target_link_libraries(x11_test_window PRIVATE X11::X11 morv_warnings)
# The display mode itself with a clean end of 3 s, longer than the grace a stop signal
# gives a program that does not look for it. Built as the product is: its libraries,
# include folders and compile settings, as x11/CMakeLists.txt gives them (set there,
# before this file is read).
add_executable(x11_slow_end ${PROJECT_SOURCE_DIR}/x11/main.cpp ${PROJECT_SOURCE_DIR}/x11/glx_surface.cpp)
foreach(_property LINK_LIBRARIES INCLUDE_DIRECTORIES COMPILE_DEFINITIONS COMPILE_OPTIONS)
  get_target_property(_value morvessantique ${_property})
  if(_value)
    set_property(TARGET x11_slow_end APPEND PROPERTY ${_property} ${_value})
  endif()
endforeach()
target_compile_definitions(x11_slow_end PRIVATE MORV_TEST_SLOW_END)
set(_morv_x11_e2e window bad_options)
if(NOT MORV_SANITIZE)
  list(APPEND _morv_x11_e2e xscreensaver)
endif()
foreach(_name IN LISTS _morv_x11_e2e)
  add_test(NAME x11_${_name}_e2e
           COMMAND bash ${MORV_E2E_TESTS}/x11_${_name}.sh $<TARGET_FILE:morvessantique>
                   $<TARGET_FILE:x11_test_window> $<TARGET_FILE:morvessantique-tool>
                   $<TARGET_FILE:x11_slow_end>)
  # Each script bounds its own waits; the limit only guards against the unforeseen.
  set_tests_properties(x11_${_name}_e2e PROPERTIES TIMEOUT 180 SKIP_RETURN_CODE 77 LABELS e2e)
  if(MORV_SANITIZE)
    set_tests_properties(x11_${_name}_e2e PROPERTIES ENVIRONMENT "ASAN_OPTIONS=detect_leaks=0")
  endif()
endforeach()
add_test(NAME x11_missing_helper_e2e
         COMMAND bash ${PROJECT_SOURCE_DIR}/tests/support/missing_helper_test.sh x11)
set_tests_properties(x11_missing_helper_e2e PROPERTIES TIMEOUT 60 SKIP_RETURN_CODE 77 LABELS e2e)
if(TEST x11_xscreensaver_e2e)
  # The daemon's start-up and its screenshots are timed; keep the other tests off the cores.
  set_tests_properties(x11_xscreensaver_e2e PROPERTIES RUN_SERIAL TRUE)
endif()
if(NOT MORV_SANITIZE)
  add_test(NAME x11_debian_package_test
           COMMAND bash ${MORV_E2E_TESTS}/x11_package.sh ${CMAKE_BINARY_DIR})
  set_tests_properties(x11_debian_package_test PROPERTIES TIMEOUT 120)
endif()
