# Test helpers: one GoogleTest executable per module, each registered with ctest.
# Host tests link Debian's GoogleTest; the Windows build compiles GoogleTest from
# /usr/src/googletest with the cross compiler, and ctest runs the .exe under Wine.

function(morv_setup_gtest)
  if(TARGET morv_gtest)
    return()
  endif()
  add_library(morv_gtest INTERFACE)
  if(MORV_WINDOWS)
    set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
    target_link_libraries(morv_gtest INTERFACE gtest)
    # Our gtest/internal/custom/gtest-port.h comes first: it gives GoogleTest the
    # one synchronisation class that it would build from std::mutex, which MinGW's
    # win32 thread model (the shipping 32-bit toolchain) lacks.
    target_include_directories(gtest BEFORE PUBLIC ${PROJECT_SOURCE_DIR}/tests/support/gtest_custom)
    # The test programs, and only they, are built for Windows Vista: newer GoogleTest
    # includes <mutex> and <condition_variable> whatever it uses, and GCC 14's win32
    # thread model declares those only for Vista and later. The code under test keeps
    # the shipped programs' _WIN32_WINNT (its libraries are built without this),
    # and WINVER stays, so the window structures that tests share with it keep one size.
    # (Options: they come after the project-wide definitions on the command line.)
    target_compile_options(gtest PUBLIC -U_WIN32_WINNT -D_WIN32_WINNT=0x0600)
  else()
    find_package(GTest REQUIRED)
    target_link_libraries(morv_gtest INTERFACE GTest::gtest)
  endif()
  add_library(morv_test_main STATIC ${PROJECT_SOURCE_DIR}/tests/support/test_main.cpp)
  target_link_libraries(morv_test_main PUBLIC morv_gtest)
  target_include_directories(morv_test_main PUBLIC ${PROJECT_SOURCE_DIR}/tests/support)
endfunction()

# morv_add_test(<name> SOURCES <files...> [LIBS <targets...>] [TIMEOUT <s>] [LABELS <labels...>])
function(morv_add_test name)
  cmake_parse_arguments(ARG "" "TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
  morv_setup_gtest()
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE morv_test_main morv_warnings ${ARG_LIBS})
  add_test(NAME ${name} COMMAND ${name})
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 300)
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT ${ARG_TIMEOUT})
  if(ARG_LABELS)
    set_tests_properties(${name} PROPERTIES LABELS "${ARG_LABELS}")
  endif()
endfunction()
