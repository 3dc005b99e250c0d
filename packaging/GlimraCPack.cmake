# The Debian package: everything `cmake --install` lays out, under /usr.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME glimra-utility)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Control the RGB lighting of the Glimra USB lighting controller")
set(CPACK_PACKAGE_CONTACT "Glimra Utility for Linux developers <glimra-utility@localhost>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Glimra Utility controls the RGB lighting of a PC's lighting panels through the Glimra USB\nHID lighting controller (04d9:8008) and updates its firmware. The package holds the\ndesktop program glimra-utility, the command-line tool glimractl, the simulated\ncontroller glimra-sim and a udev rule that gives the logged-in user access to the\ncontroller.")
# Library dependencies come from the executables themselves; the Qt platform plugins are
# loaded at run time, so no library names them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-wqy-microhei")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${CMAKE_CURRENT_LIST_DIR}/debian/postinst ${CMAKE_CURRENT_LIST_DIR}/debian/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
