# Run by cpack once it has made its packages (CPACK_POST_BUILD_SCRIPTS). cpack writes
# into a zip each entry's owner ids, in the order the file system lists the entries,
# and into a .deb's outer archive its member files' modes, which follow the umask;
# Debian's strip-nondeterminism sorts, clears the ids, sets standard modes and every
# time to SOURCE_DATE_EPOCH, so that a package depends on nothing but its files.
find_program(_morv_strip strip-nondeterminism)
if(NOT _morv_strip)
  message(FATAL_ERROR "strip-nondeterminism is missing, and without it the packages would "
                      "hold this machine's ids, modes and times (bash .ci/install-deps.sh installs it)")
endif()
if(NOT "$ENV{SOURCE_DATE_EPOCH}" MATCHES "^[0-9]+$")
  message(FATAL_ERROR "no SOURCE_DATE_EPOCH: cmake/cpack_reproducible.cmake sets it before packing")
endif()
foreach(_morv_package IN LISTS CPACK_PACKAGE_FILES)
  if(_morv_package MATCHES "\\.zip$")
    set(_morv_type zip)
  elseif(_morv_package MATCHES "\\.deb$")
    set(_morv_type ar --normalizers +ar)  # off unless asked for
  else()
    continue()
  endif()
  execute_process(COMMAND ${_morv_strip} --type ${_morv_type} --timestamp $ENV{SOURCE_DATE_EPOCH} ${_morv_package}
                  RESULT_VARIABLE _morv_status)
  if(NOT _morv_status EQUAL 0)
    message(FATAL_ERROR "strip-nondeterminism failed on ${_morv_package}")
  endif()
endforeach()
