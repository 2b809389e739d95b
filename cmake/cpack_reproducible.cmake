# Read by cpack before it packs (CPACK_PROJECT_CONFIG_FILE). cpack takes the archive
# entries' times from SOURCE_DATE_EPOCH, and so does the normaliser after it
# (cpack_normalize.cmake): set it here by the release's one rule, so that two builds of
# one commit give the same archives, or stop before packing anything.
execute_process(COMMAND sh ${CMAKE_CURRENT_LIST_DIR}/source_date_epoch.sh "${CPACK_MORV_SOURCE_DIR}"
                OUTPUT_VARIABLE _morv_time OUTPUT_STRIP_TRAILING_WHITESPACE
                ERROR_VARIABLE _morv_error ERROR_STRIP_TRAILING_WHITESPACE
                RESULT_VARIABLE _morv_status)
if(NOT _morv_status EQUAL 0)
  message(FATAL_ERROR "${_morv_error}")
endif()
set(ENV{SOURCE_DATE_EPOCH} ${_morv_time})
