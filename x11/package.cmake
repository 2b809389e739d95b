# `cpack -G DEB` in the build folder: a Debian package of the display mode and
# its settings description. The dependencies are declared here rather than
# found by dpkg-shlibdeps, which would need dpkg-dev on the build machine.
set(CPACK_PACKAGE_NAME "morvessantique")
set(CPACK_PACKAGE_VENDOR "Quillane")
set(CPACK_PACKAGE_CONTACT "Quillane")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Morvessantique: two recursive ferns, an XScreenSaver display mode")
set(CPACK_PACKAGE_DESCRIPTION
    "Two recursive ferns grow one depth level at a time, drawn with OpenGL lines\nin colours that walk around the saturated hues.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION "x11")
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libc6 (>= 2.34), libgcc-s1 (>= 3.0), libstdc++6 (>= 11), libx11-6, libglx0, libopengl0")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xscreensaver")
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR "DEB")
include(CPack)
