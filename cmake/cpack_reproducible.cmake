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

# The .deb's dependencies come from dpkg-shlibdeps; without it cpack would quietly write
# a package that depends on nothing.
if(CPACK_GENERATOR STREQUAL "DEB" AND CPACK_DEBIAN_PACKAGE_SHLIBDEPS)
  find_program(_morv_shlibdeps dpkg-shlibdeps)
  if(NOT _morv_shlibdeps)
    message(FATAL_ERROR "dpkg-shlibdeps (package dpkg-dev) is missing: the Debian package's "
                        "dependencies come from it (bash .ci/install-deps.sh installs it)")
  endif()
endif()
