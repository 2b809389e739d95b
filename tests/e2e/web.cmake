# The web page in Chromium, Firefox and WebKit, its pictures against morvessantique-tool's
# from a host build, and its release zip.
set(MORV_HOST_TOOL "${PROJECT_SOURCE_DIR}/build/host/tools/morvessantique-tool" CACHE FILEPATH
    "morvessantique-tool of a host build, whose pictures the page must match")
find_program(MORV_NODE NAMES node nodejs REQUIRED)
# One test file in each engine; Firefox and WebKit draw WebGL in a window on an X
# display of their own (Xvfb).
foreach(_engine chromium firefox webkit)
  add_test(NAME web_page_${_engine}
           COMMAND ${MORV_NODE} ${CMAKE_CURRENT_LIST_DIR}/web_page.js ${_engine} ${MORV_WEB_PAGE_DIR}
                   ${MORV_HOST_TOOL} ${CMAKE_COMMAND})
  # A dozen pages: the limit only guards against the unforeseen.
  set_tests_properties(web_page_${_engine} PROPERTIES TIMEOUT 300)
endforeach()

add_test(NAME web_zip_package COMMAND ${CMAKE_COMMAND} --build ${CMAKE_BINARY_DIR} --target package)
set_tests_properties(web_zip_package PROPERTIES FIXTURES_SETUP morv_web_zip)
add_test(NAME web_zip_e2e COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/web_zip.sh ${MORV_WEB_ZIP} ${MORV_WEB_FILE_LIST})
set_tests_properties(web_zip_e2e PROPERTIES FIXTURES_REQUIRED morv_web_zip)
