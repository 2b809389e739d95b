# The release zip of the 32-bit Windows build:
#   cmake --build --preset win32 --target package  ->  Morvessantique-<version>-win32.zip
# holding the saver, the installer, README.txt and SHA256SUMS, in one folder. Target
# morv_release_zip makes the same zip from the two programs alone, without the tests.
# The programs in the zip are signed when MORV_SIGN_PKCS12 names a key (its password in
# the environment's MORV_SIGN_PASSWORD when building); docs/release.md says how.
set(_release ${CMAKE_BINARY_DIR}/release)
set(MORV_SIGN_PKCS12 "$ENV{MORV_SIGN_PKCS12}" CACHE FILEPATH
    "PKCS#12 key that signs the programs of the release zip; empty: unsigned")
set(MORV_SIGN_TIMESTAMP_URL "$ENV{MORV_SIGN_TIMESTAMP_URL}" CACHE STRING
    "RFC 3161 time-stamp server for those signatures (the zip is then not reproducible); empty: none")
# The programs as they ship, beside README.txt: signed copies, or plain ones.
set(_sign)
if(MORV_SIGN_PKCS12)
  set(_sign ${MORV_SIGN_PKCS12} ${MORV_SIGN_TIMESTAMP_URL})
endif()
set(_shipped)
foreach(_program IN ITEMS Morvessantique morv_installer_exe)
  get_target_property(_name ${_program} OUTPUT_NAME)
  get_target_property(_suffix ${_program} SUFFIX)
  if(NOT _suffix)
    set(_suffix ${CMAKE_EXECUTABLE_SUFFIX})
  endif()
  set(_out ${_release}/${_name}${_suffix})
  add_custom_command(
    OUTPUT ${_out}
    COMMAND bash ${PROJECT_SOURCE_DIR}/cmake/sign_program.sh ${PROJECT_SOURCE_DIR}
            $<TARGET_FILE:${_program}> ${_out} ${_sign}
    DEPENDS ${_program} $<TARGET_FILE:${_program}> ${PROJECT_SOURCE_DIR}/cmake/sign_program.sh
            ${MORV_SIGN_PKCS12}
    COMMENT "${_name}${_suffix} for the release zip"
    VERBATIM)
  list(APPEND _shipped ${_out})
endforeach()
# CRLF: Notepad on the older Windows shows nothing else as separate lines.
configure_file(${PROJECT_SOURCE_DIR}/resources/README.txt.in ${_release}/README.txt
               @ONLY NEWLINE_STYLE CRLF)
add_custom_command(
  OUTPUT ${_release}/SHA256SUMS
  COMMAND ${CMAKE_COMMAND} -D OUT=${_release}/SHA256SUMS
          -D "FILES=${_shipped};${_release}/README.txt"
          -P ${PROJECT_SOURCE_DIR}/cmake/sha256sums.cmake
  DEPENDS ${_shipped} ${_release}/README.txt ${PROJECT_SOURCE_DIR}/cmake/sha256sums.cmake
  COMMENT "SHA256SUMS of the release files"
  VERBATIM)
add_custom_target(morv_release_sums ALL DEPENDS ${_release}/SHA256SUMS)

install(PROGRAMS ${_shipped} DESTINATION .)
install(FILES ${_release}/README.txt ${_release}/SHA256SUMS DESTINATION .)

set(CPACK_SYSTEM_NAME win32)
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Morvessantique)
set(CPACK_PACKAGE_VENDOR Quillane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME Morvessantique-${PROJECT_VERSION}-${CPACK_SYSTEM_NAME})
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR})
set(CPACK_OUTPUT_CONFIG_FILE ${CMAKE_BINARY_DIR}/CPackConfig.cmake)
set(MORV_RELEASE_ZIP ${CMAKE_BINARY_DIR}/${CPACK_PACKAGE_FILE_NAME}.zip)
# The same bytes from every build of a commit: entry times from the commit (or
# SOURCE_DATE_EPOCH), entries in name order, no user ids.
set(CPACK_MORV_SOURCE_DIR ${PROJECT_SOURCE_DIR})
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/cmake/cpack_reproducible.cmake)
set(CPACK_POST_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/cpack_normalize.cmake)
include(CPack)

add_custom_target(morv_release_zip
  COMMAND ${CMAKE_CPACK_COMMAND} --config ${CPACK_OUTPUT_CONFIG_FILE}
  WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
  COMMENT "${CPACK_PACKAGE_FILE_NAME}.zip"
  VERBATIM)
add_dependencies(morv_release_zip morv_release_sums)
