# The Debian packages, one per install component (packaging/CMakeLists.txt), under /usr:
#   glimra-utility  the window; depends on glimractl of the same version
#   glimractl       the command-line tool and the udev rule; no display library
#   glimra-sim      the simulated controller
# A native package: the version is the project's, and the changelog's (packaging/debian/).
set(CPACK_GENERATOR DEB)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL ${GLIMRA_COMPONENTS})
set(CPACK_PACKAGE_NAME glimra-utility)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Glimra Utility for Linux developers <packaging@glimra.example>")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://glimra.example")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_STRIP_FILES ON)
# Library dependencies come from each package's executables (dpkg-shlibdeps), so each package
# depends on what its program really links.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

set(CPACK_DEBIAN_UTILITY_PACKAGE_NAME glimra-utility)
set(CPACK_DEBIAN_UTILITY_PACKAGE_SECTION utils)
# The Qt platform plugins are loaded at run time, so no library names them.
set(CPACK_DEBIAN_UTILITY_PACKAGE_DEPENDS "glimractl (= ${GLIMRA_DEB_VERSION}), qt6-qpa-plugins")
set(CPACK_DEBIAN_UTILITY_PACKAGE_RECOMMENDS "fonts-wqy-microhei")
set(CPACK_DEBIAN_UTILITY_DESCRIPTION
    "RGB lighting control for the Glimra USB lighting controller
Glimra Utility controls the RGB lighting panels of a PC through the Glimra
USB HID lighting controller (04d9:8008) and updates its firmware. Its window
offers eight colours, eight brightness levels and six lighting modes, can
wait in the notification area, and speaks English and Simplified Chinese.")

set(CPACK_DEBIAN_CTL_PACKAGE_NAME glimractl)
set(CPACK_DEBIAN_CTL_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_CTL_PACKAGE_CONTROL_EXTRA
    ${CMAKE_CURRENT_LIST_DIR}/debian/postinst ${CMAKE_CURRENT_LIST_DIR}/debian/postrm)
set(CPACK_DEBIAN_CTL_DESCRIPTION
    "command-line control of the Glimra USB lighting controller
glimractl sets the colour, brightness, lighting mode and on state of the
Glimra USB HID lighting controller (04d9:8008), restores its defaults,
reports its state (also as JSON) and updates its firmware, for scripts, key
bindings and autostart. While the Glimra Utility window runs, it works
through the window.

The package also holds the udev rule that gives the user at the seat access
to the controller without root.")

set(CPACK_DEBIAN_SIM_PACKAGE_NAME glimra-sim)
set(CPACK_DEBIAN_SIM_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_SIM_DESCRIPTION
    "simulated Glimra USB lighting controller for testing
glimra-sim plays the Glimra USB HID lighting controller (04d9:8008), with
its lighting protocol and its firmware loader, as a virtual device that Glimra
Utility and glimractl find beside real ones. They can then be tried, tested
and measured without the hardware, also against simulated faults.")
include(CPack)
