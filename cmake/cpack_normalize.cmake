# Run by cpack once it has made its packages (CPACK_POST_BUILD_SCRIPTS). cpack writes
# into a zip each entry's owner ids, in the order the file system lists the entries,
# and into a .deb's outer archive its member files' modes, which follow the umask;
# Debian's strip-nondeterminism sorts, clears the ids, sets standard modes and every
# time to SOURCE_DATE_EPOCH, so that a package depends on nothing but its files.
find_program(_morv_strip strip-nondeterminism)
if(NOT _morv_strip)
  message(WARNING "strip-nondeterminism not found: the packages hold this machine's ids, modes and times")
  return()
endif()
set(_morv_time)
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(_morv_time --timestamp $ENV{SOURCE_DATE_EPOCH})
endif()
foreach(_morv_package IN LISTS CPACK_PACKAGE_FILES)
  if(_morv_package MATCHES "\\.zip$")
    set(_morv_type zip)
  elseif(_morv_package MATCHES "\\.deb$")
    set(_morv_type ar --normalizers +ar)  # off unless asked for
  else()
    continue()
  endif()
  execute_process(COMMAND ${_morv_strip} --type ${_morv_type} ${_morv_time} ${_morv_package}
                  RESULT_VARIABLE _morv_status)
  if(NOT _morv_status EQUAL 0)
    message(FATAL_ERROR "strip-nondeterminism failed on ${_morv_package}")
  endif()
endforeach()
