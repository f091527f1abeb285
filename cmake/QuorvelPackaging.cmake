# `cpack -G DEB` in the build folder makes a Debian package of the program, its desktop entry,
# bus service file and icons. Its dependencies are worked out by dpkg-shlibdeps from the
# libraries the program links against.
# The desktop entry and the bus service file name the program by its installed path, so the
# package and `cmake --install` must agree on the prefix: /usr, as a Debian package has it,
# unless one is given.
if(CMAKE_INSTALL_PREFIX_INITIALIZED_TO_DEFAULT)
    set(CMAKE_INSTALL_PREFIX /usr CACHE PATH "Install prefix" FORCE)
endif()
include(GNUInstallDirs)
# The companion programs the application runs are no commands of their own: they go to the
# package's libexec folder, and the application finds them there from its own folder.
set(QUORVEL_TOOLS_INSTALL_DIR ${CMAKE_INSTALL_LIBEXECDIR}/quorvel)
file(RELATIVE_PATH QUORVEL_TOOLS_FROM_PROGRAM ${CMAKE_INSTALL_FULL_BINDIR}
    ${CMAKE_INSTALL_PREFIX}/${QUORVEL_TOOLS_INSTALL_DIR})

set(CPACK_PACKAGE_NAME quorvel)
set(CPACK_PACKAGE_VENDOR "Quorvel")
set(CPACK_PACKAGE_CONTACT "Quorvel <quorvel@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Work your computers' buttons from each other")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Found at run time, not linked: mDNS needs the daemon, start at login needs systemd's user
# manager, and the views draw their icons from Breeze where the desktop's theme lacks them.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "avahi-daemon, systemd, breeze-icon-theme, libqt6svg6")
include(CPack)
