# The web page in headless Chromium, its pictures against morvessantique-tool's
# from a host build, and its release zip.
set(MORV_HOST_TOOL "${PROJECT_SOURCE_DIR}/build/host/tools/morvessantique-tool" CACHE FILEPATH
    "morvessantique-tool of a host build, whose pictures the page must match")
find_program(MORV_NODE NAMES node nodejs REQUIRED)
add_test(NAME web_page_e2e
         COMMAND ${MORV_NODE} ${CMAKE_CURRENT_LIST_DIR}/web_page.js ${MORV_WEB_PAGE_DIR}
                 ${MORV_HOST_TOOL} ${CMAKE_COMMAND})
# Two browsers, a dozen pages: the limit only guards against the unforeseen.
set_tests_properties(web_page_e2e PROPERTIES TIMEOUT 300)

add_test(NAME web_zip_package COMMAND ${CMAKE_COMMAND} --build ${CMAKE_BINARY_DIR} --target package)
set_tests_properties(web_zip_package PROPERTIES FIXTURES_SETUP morv_web_zip)
add_test(NAME web_zip_e2e COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/web_zip.sh ${MORV_WEB_ZIP} ${MORV_WEB_FILE_LIST})
set_tests_properties(web_zip_e2e PROPERTIES FIXTURES_REQUIRED morv_web_zip)
