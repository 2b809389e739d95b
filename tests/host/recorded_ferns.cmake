# The engine as other machines run it, against the recorded ferns (recorded_ferns.h):
# in the host build, an i386 build with the shipping compiler's arithmetic; in the web
# build, the WebAssembly engine under Node. Each is fern_dump_main.cpp --recorded.
set(MORV_RECORDED_DUMP ${PROJECT_SOURCE_DIR}/tests/host/fern_dump_main.cpp)

if(EMSCRIPTEN)
  add_executable(fern_dump_wasm ${MORV_RECORDED_DUMP})
  target_include_directories(fern_dump_wasm PRIVATE ${PROJECT_SOURCE_DIR}/tests/support)
  target_link_libraries(fern_dump_wasm PRIVATE morv_fern morv_warnings)
  set_target_properties(fern_dump_wasm PROPERTIES SUFFIX .js)
  # A Node program whose exit status is main's; the 7680x4320 ferns take about 500 MB.
  target_link_options(fern_dump_wasm PRIVATE -sENVIRONMENT=node -sEXIT_RUNTIME=1
                      -sALLOW_MEMORY_GROWTH=1 -sMAXIMUM_MEMORY=4GB)
  if(DEFINED ENV{NODE_PATH})
    set_property(TARGET fern_dump_wasm PROPERTY RULE_LAUNCH_LINK
                 "${CMAKE_COMMAND} -E env NODE_PATH=$ENV{NODE_PATH}")
  endif()
  find_program(MORV_NODE NAMES node nodejs REQUIRED)
  # Emscripten 3.1.6 would fetch the .wasm as a URL where Node has fetch.
  add_test(NAME fern_wasm_gives_the_recorded_ferns
           COMMAND ${MORV_NODE} --no-experimental-fetch $<TARGET_FILE:fern_dump_wasm> --recorded)
  set_tests_properties(fern_wasm_gives_the_recorded_ferns PROPERTIES TIMEOUT 300)
  return()
endif()

# Built straight with the host compiler: -m32 with the i686 MinGW compiler's defaults
# (Pentium Pro, x87 arithmetic) and the Release build's optimisation, static so that
# it needs no i386 libraries at run time. tests/support/run-i386.sh runs it natively
# where the kernel runs 32-bit programs and under qemu-i386(-static) elsewhere.
if(MORV_WINDOWS OR MORV_SANITIZE OR NOT CMAKE_CXX_COMPILER_ID STREQUAL "GNU" OR
   NOT CMAKE_SYSTEM_PROCESSOR MATCHES "x86_64|AMD64")
  return()
endif()
include(CheckCXXSourceCompiles)
set(CMAKE_REQUIRED_FLAGS -m32)
set(CMAKE_REQUIRED_LINK_OPTIONS -m32 -static)
check_cxx_source_compiles("#include <cstdio>\nint main() { std::puts(\"\"); }" MORV_CXX_BUILDS_I386)
unset(CMAKE_REQUIRED_FLAGS)
unset(CMAKE_REQUIRED_LINK_OPTIONS)
if(NOT MORV_CXX_BUILDS_I386)
  add_test(NAME fern_i386_gives_the_recorded_ferns
           COMMAND ${CMAKE_COMMAND} -E echo
                   "${CMAKE_CXX_COMPILER} cannot build static i386 programs: install g++-multilib")
  set_tests_properties(fern_i386_gives_the_recorded_ferns PROPERTIES WILL_FAIL ON)
  return()
endif()
file(GLOB _i386_headers ${PROJECT_SOURCE_DIR}/fern/*.h ${PROJECT_SOURCE_DIR}/tests/support/*.h)
set(_i386_dump ${CMAKE_CURRENT_BINARY_DIR}/fern_dump_i386)
set(_i386_werror)
if(MORV_WERROR)
  set(_i386_werror -Werror)
endif()
add_custom_command(
  OUTPUT ${_i386_dump}
  COMMAND ${CMAKE_CXX_COMPILER} -m32 -march=pentiumpro -mfpmath=387 -O3 -DNDEBUG -std=c++17
          -fno-math-errno -Wall -Wextra ${_i386_werror}
          -I${PROJECT_SOURCE_DIR}/fern -I${PROJECT_SOURCE_DIR}/tests/support
          ${MORV_FERN_POSIX_SOURCES} ${MORV_RECORDED_DUMP} -static -o ${_i386_dump}
  DEPENDS ${MORV_FERN_POSIX_SOURCES} ${MORV_RECORDED_DUMP} ${_i386_headers}
  COMMENT "Building the fern engine for i386 (x87, Pentium Pro)"
  VERBATIM)
add_custom_target(morv_fern_dump_i386 ALL DEPENDS ${_i386_dump})
add_test(NAME fern_i386_gives_the_recorded_ferns
         COMMAND bash ${PROJECT_SOURCE_DIR}/tests/support/run-i386.sh ${_i386_dump} --recorded)
set_tests_properties(fern_i386_gives_the_recorded_ferns PROPERTIES TIMEOUT 300)
