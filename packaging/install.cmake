# Install rules and the Debian package.
#
#   cmake --install BUILD                      the controller (default component)
#   cmake --install BUILD --component demo     the board simulator and kestacon-demo
#   (cd BUILD && cpack -G DEB)                 kestacon_VERSION-1_ARCH.deb
#
# The settings file lives next to the executable, so the program gets a
# folder of its own (KESTA_APP_DIR) that the package makes writable for the
# group "kestacon"; PREFIX/bin/kestacon is a link to it.  Everything else
# goes under CMAKE_INSTALL_PREFIX (/usr in the package).

include(GNUInstallDirs)

set(KESTA_APP_DIR "/opt/kestacon" CACHE PATH "Folder of the installed program and its settings file")
set(KESTA_SYSCONF_DIR "/etc" CACHE PATH "Folder of the service's settings (default/kestacon)")
set(KESTA_SYSTEMD_UNIT_DIR "lib/systemd/system" CACHE STRING
    "Folder of the systemd unit, relative to the install prefix")

set(kesta_pkg_src ${CMAKE_CURRENT_SOURCE_DIR}/packaging)
set(kesta_pkg_bin ${CMAKE_CURRENT_BINARY_DIR}/packaging)
file(MAKE_DIRECTORY ${kesta_pkg_bin} ${kesta_pkg_bin}/debian)

# --- The controller (default component) ------------------------------------
install(TARGETS kestacon RUNTIME DESTINATION ${KESTA_APP_DIR})

file(CREATE_LINK ${KESTA_APP_DIR}/KESTAcon ${kesta_pkg_bin}/kestacon SYMBOLIC)
install(FILES ${kesta_pkg_bin}/kestacon DESTINATION ${CMAKE_INSTALL_BINDIR})

install(FILES ${kesta_pkg_src}/kestacon.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${kesta_pkg_src}/kestacon.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/128x128/apps)
install(FILES ${kesta_pkg_src}/kestacon.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

configure_file(${kesta_pkg_src}/kestacon.service.in ${kesta_pkg_bin}/kestacon.service @ONLY)
install(FILES ${kesta_pkg_bin}/kestacon.service DESTINATION ${KESTA_SYSTEMD_UNIT_DIR})
install(FILES ${kesta_pkg_src}/kestacon.default DESTINATION ${KESTA_SYSCONF_DIR}/default
        RENAME kestacon)
install(FILES ${kesta_pkg_src}/kestacon-power.rules DESTINATION ${CMAKE_INSTALL_DATADIR}/polkit-1/rules.d
        RENAME 50-kestacon.rules)

# --- The board simulator, for demonstrations only ("demo" component) -------
if(TARGET kesta_sim)
  install(TARGETS kesta_sim RUNTIME DESTINATION ${KESTA_APP_DIR}/demo
          COMPONENT demo EXCLUDE_FROM_ALL)
  # The tool names are links to the one program, as in the build folder.
  install(DIRECTORY ${KESTA_SIM_BIN_DIR}/ DESTINATION ${KESTA_APP_DIR}/demo/bin
          COMPONENT demo EXCLUDE_FROM_ALL)
  install(PROGRAMS ${CMAKE_CURRENT_SOURCE_DIR}/sim/safe-bin/shutdown ${CMAKE_CURRENT_SOURCE_DIR}/sim/safe-bin/reboot
                   ${CMAKE_CURRENT_SOURCE_DIR}/sim/safe-bin/pkill
          DESTINATION ${KESTA_APP_DIR}/demo/safe-bin COMPONENT demo EXCLUDE_FROM_ALL)
  configure_file(${kesta_pkg_src}/kestacon-demo.in ${kesta_pkg_bin}/kestacon-demo @ONLY)
  install(PROGRAMS ${kesta_pkg_bin}/kestacon-demo DESTINATION ${CMAKE_INSTALL_BINDIR}
          COMPONENT demo EXCLUDE_FROM_ALL)
endif()

# --- Debian package ---------------------------------------------------------
foreach(script postinst prerm postrm)
  configure_file(${kesta_pkg_src}/debian/${script}.in ${kesta_pkg_bin}/debian/${script} @ONLY
                 FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                  WORLD_READ WORLD_EXECUTE)
endforeach()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kestacon)
set(CPACK_PACKAGE_VENDOR "KESTAcon developers")
set(CPACK_PACKAGE_CONTACT "KESTAcon developers <kestacon@invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "touch-screen controller of the KESTA floppy-disk interface board")
set(CPACK_PACKAGE_DESCRIPTION
    "KESTAcon dumps real floppy disks into images, re-reads failed tracks, writes\n"
    "images back, unformats disks, emulates two drives from image files and\n"
    "converts images, all from an 800 x 480 touch screen. It runs the board's\n"
    "command-line tools and starts at boot through kestacon.service.")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_COMPONENTS_ALL Unspecified)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Library dependencies (libc, libstdc++, libqt5core5a, libqt5gui5,
# libqt5widgets5) come from dpkg-shlibdeps; these are the ones it cannot see:
# the Japanese font, pkill, the user set-up and the power-off permission.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-ipafont-gothic, procps, adduser, polkitd")
if(CMAKE_CROSSCOMPILING)
  if(CMAKE_SYSTEM_PROCESSOR MATCHES "^(aarch64|arm64)$")
    set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE arm64)
  elseif(CMAKE_SYSTEM_PROCESSOR MATCHES "^arm")
    set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE armhf)
  endif()
endif()
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${kesta_pkg_bin}/debian/postinst ${kesta_pkg_bin}/debian/prerm ${kesta_pkg_bin}/debian/postrm
    ${kesta_pkg_src}/debian/conffiles)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
