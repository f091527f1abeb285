# `cpack -G DEB` in the build folder makes a Debian package of the program, its desktop entry,
# bus service file and icons. Its dependencies are worked out by dpkg-shlibdeps from the
# libraries the program links against, after the programs it runs, which no link shows.
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
# Without these no action works: zsh runs every command, readout and state check (zsh is
# optional in Debian), and procps has pgrep, which tells whether an application runs, and uptime.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "zsh, procps")
# Found at run time, not linked: mDNS needs the daemon, start at login needs systemd's user
# manager, and the views draw their icons from Breeze where the desktop's theme lacks them.
# The sample deck's button runs notify-send and the free-disk readout awk; Qt opens the update's
# download and folders with xdg-open. Each missing only stops that one thing.
# Pairing codes live in the Secret Service: without a keyring running, the desktop starts one
# and asks for a new keyring's password the first time a code is saved, and a desktop without
# one keeps no code at all.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "avahi-daemon, systemd, breeze-icon-theme, libqt6svg6, libnotify-bin, mawk | awk, xdg-utils, gnome-keyring")
include(CPack)

# Every Debian package says who holds the copyright in its software and under which terms, in
# the machine-readable form, at this path.
configure_file(${CMAKE_CURRENT_LIST_DIR}/package/copyright.in
    ${CMAKE_BINARY_DIR}/package/copyright @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/package/copyright
    DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${CPACK_PACKAGE_NAME})
