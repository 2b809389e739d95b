# Read by cpack before it packs (CPACK_PROJECT_CONFIG_FILE). cpack takes the archive
# entries' times from SOURCE_DATE_EPOCH; unless the caller set it, that is the time of
# the source's last commit, so that two builds of one commit give the same archives.
# Without git and without the variable, entries get the time of packing.
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
  execute_process(COMMAND git -C "${CPACK_MORV_SOURCE_DIR}" log -1 --format=%ct
                  OUTPUT_VARIABLE _morv_time OUTPUT_STRIP_TRAILING_WHITESPACE
                  RESULT_VARIABLE _morv_status ERROR_QUIET)
  if(_morv_status EQUAL 0 AND _morv_time MATCHES "^[0-9]+$")
    set(ENV{SOURCE_DATE_EPOCH} ${_morv_time})
  endif()
endif()
