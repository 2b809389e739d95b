# The release zip of the 32-bit Windows build:
#   cmake --build --preset win32 --target package  ->  Morvessantique-<version>-win32.zip
# holding the saver, the installer, README.txt and SHA256SUMS, in one folder. Target
# morv_release_zip makes the same zip from the two programs alone, without the tests.
set(_release ${CMAKE_BINARY_DIR}/release)
# CRLF: Notepad on the older Windows shows nothing else as separate lines.
configure_file(${PROJECT_SOURCE_DIR}/resources/README.txt.in ${_release}/README.txt
               @ONLY NEWLINE_STYLE CRLF)
add_custom_command(
  OUTPUT ${_release}/SHA256SUMS
  COMMAND ${CMAKE_COMMAND} -D OUT=${_release}/SHA256SUMS
          -D "FILES=$<TARGET_FILE:Morvessantique>;$<TARGET_FILE:morv_installer_exe>;${_release}/README.txt"
          -P ${PROJECT_SOURCE_DIR}/cmake/sha256sums.cmake
  DEPENDS Morvessantique morv_installer_exe ${_release}/README.txt
          ${PROJECT_SOURCE_DIR}/cmake/sha256sums.cmake
  COMMENT "SHA256SUMS of the release files"
  VERBATIM)
add_custom_target(morv_release_sums ALL DEPENDS ${_release}/SHA256SUMS)

install(TARGETS Morvessantique morv_installer_exe RUNTIME DESTINATION .)
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
# The same bytes from every build of a commit: entry times from the commit, entries in
# name order, no user ids.
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
