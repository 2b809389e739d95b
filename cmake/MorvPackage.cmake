# The release zip of the 32-bit Windows build:
#   cmake --build --preset win32 --target package  ->  Morvessantique-<version>-win32.zip
# holding the saver, the installer, README.txt and SHA256SUMS, in one folder. Target
# morv_release_zip makes the same zip from the two programs alone, without the tests.
# Only packing signs: the programs in the zip are signed when MORV_SIGN_PKCS12 names a
# key in the environment of the packing (its password in MORV_SIGN_PASSWORD); a build
# never signs. docs/release.md says how.
set(_release ${CMAKE_BINARY_DIR}/release)
# The key was once kept in the cache, where a later change of it went unnoticed.
if(MORV_SIGN_PKCS12 OR MORV_SIGN_TIMESTAMP_URL)
  message(WARNING "MORV_SIGN_PKCS12 and MORV_SIGN_TIMESTAMP_URL are read from the environment "
                  "when packing, never from the cache: its entries are removed")
endif()
unset(MORV_SIGN_PKCS12 CACHE)
unset(MORV_SIGN_TIMESTAMP_URL CACHE)
# The programs as they ship, beside README.txt; signed copies replace them when packing.
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
    COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:${_program}> ${_out}
    DEPENDS ${_program} $<TARGET_FILE:${_program}>
    COMMENT "${_name}${_suffix} for the release zip"
    VERBATIM)
  list(APPEND _shipped ${_out})
endforeach()
# CRLF: Notepad on the older Windows shows nothing else as separate lines.
configure_file(${PROJECT_SOURCE_DIR}/resources/README.txt.in ${_release}/README.txt
               @ONLY NEWLINE_STYLE CRLF)
add_custom_target(morv_release_files ALL DEPENDS ${_shipped})

install(PROGRAMS ${_shipped} DESTINATION .)
install(FILES ${_release}/README.txt DESTINATION .)
install(CODE "set(_morv_source [[${PROJECT_SOURCE_DIR}]])\nset(_morv_programs [[${_shipped}]])")
install(SCRIPT ${PROJECT_SOURCE_DIR}/cmake/release_sign.cmake)

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
# Tells release_sign.cmake that cpack installs, so that a plain install never signs.
set(CPACK_CUSTOM_INSTALL_VARIABLES MORV_PACKING=ON)
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/cmake/cpack_reproducible.cmake)
set(CPACK_POST_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/cpack_normalize.cmake)
include(CPack)

add_custom_target(morv_release_zip
  COMMAND ${CMAKE_CPACK_COMMAND} --config ${CPACK_OUTPUT_CONFIG_FILE}
  WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
  COMMENT "${CPACK_PACKAGE_FILE_NAME}.zip"
  VERBATIM)
add_dependencies(morv_release_zip morv_release_files)
