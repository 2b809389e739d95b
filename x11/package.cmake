# The Debian package of the display mode and its settings description, with the
# changelog and copyright file that Debian asks of every package:
#   cmake --build --preset host --target morv_deb  ->  morvessantique_<version>_amd64.deb
# (or `cpack -G DEB` in the build folder once the program is built). Its dependencies
# are those of what the program links, at the versions that the build machine's
# libraries ask (dpkg-shlibdeps, from dpkg-dev): a package built on a newer release
# does not claim to install on an older one.
set(_changelog ${CMAKE_CURRENT_SOURCE_DIR}/debian/changelog)
file(STRINGS ${_changelog} _entry LIMIT_COUNT 1)
string(REPLACE "." "\\." _version_pattern ${PROJECT_VERSION})
if(NOT _entry MATCHES "^morvessantique \\(${_version_pattern}\\) ")
  message(FATAL_ERROR "x11/debian/changelog must begin with the entry for version "
                      "${PROJECT_VERSION}, the project's; it begins: ${_entry}")
endif()

set(MORV_DEBIAN_DOC_DIR "/usr/share/doc/morvessantique" CACHE PATH
    "Folder of the package's changelog and copyright file")
# Compressed as Debian wants it: best compression, no name or time in the header.
add_custom_command(
  OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz
  COMMAND ${CMAKE_COMMAND} -E copy ${_changelog} ${CMAKE_CURRENT_BINARY_DIR}/changelog
  COMMAND gzip -9 --no-name --force ${CMAKE_CURRENT_BINARY_DIR}/changelog
  DEPENDS ${_changelog}
  VERBATIM)
add_custom_target(morv_deb_docs ALL DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz debian/copyright
        DESTINATION ${MORV_DEBIAN_DOC_DIR})

# No compiler version strings in the program, as in Debian's own packages (dh_strip
# removes them; cpack's strip does not).
add_custom_command(TARGET morvessantique POST_BUILD
                   COMMAND ${CMAKE_OBJCOPY} --remove-section=.comment $<TARGET_FILE:morvessantique>
                   VERBATIM)

set(CPACK_PACKAGE_NAME "morvessantique")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Quillane")
set(CPACK_PACKAGE_CONTACT "Quillane <morvessantique@quillane.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "two recursive ferns growing, a display mode for XScreenSaver")
set(CPACK_PACKAGE_DESCRIPTION
    "Two recursive ferns grow one depth level at a time, drawn with OpenGL lines\nin colours that walk around the saturated hues.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION "x11")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)  # cmake/cpack_reproducible.cmake checks for the tool
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xscreensaver")
# xz as Debian's own packages: unlike gzip it writes no time into the archive.
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR "DEB")
# The same package from every build of a commit: entry times from the commit, the
# outer archive's modes whatever the umask.
set(CPACK_MORV_SOURCE_DIR ${PROJECT_SOURCE_DIR})
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/cmake/cpack_reproducible.cmake)
set(CPACK_POST_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/cpack_normalize.cmake)
include(CPack)

add_custom_target(morv_deb
  COMMAND ${CMAKE_CPACK_COMMAND} -G DEB --config ${CPACK_OUTPUT_CONFIG_FILE}
  WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
  COMMENT "the Debian package"
  VERBATIM)
add_dependencies(morv_deb morvessantique morv_deb_docs)
