# Portable tests: built by every preset (natively, under the sanitizers, and as .exe under Wine).
set(MORV_HOST_TESTS ${CMAKE_CURRENT_LIST_DIR})
morv_add_test(fern_store_test SOURCES ${MORV_HOST_TESTS}/segment_store_test.cpp LIBS morv_fern)
morv_add_test(fern_generator_test SOURCES ${MORV_HOST_TESTS}/generator_test.cpp LIBS morv_fern)
morv_add_test(fern_precompute_test SOURCES ${MORV_HOST_TESTS}/precompute_test.cpp LIBS morv_fern)
include(${MORV_HOST_TESTS}/shell.cmake OPTIONAL)
include(${MORV_HOST_TESTS}/render.cmake OPTIONAL)
