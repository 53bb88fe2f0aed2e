# Installation and the Debian package: the two programs, the shipped profiles and object
# lists, the menu entry with its icon, the software-centre metadata, the manual pages, and
# the copyright and changelog files of a Debian package. Included by the top-level
# CMakeLists.txt once both programs are defined.
#
#   cmake --install build --prefix DIR     install into DIR (bin/, share/)
#   (cd build && cpack)                    orvane-control_<version>_<arch>.deb
#
# scripts/package.sh builds the package and checks it.

set(ORVANE_APP_ID "org.orvane.OrvaneControl")
# The release that the project version names; the manual pages, the changelog and the
# software-centre metadata carry its date. Change it together with the version.
set(ORVANE_RELEASE_DATE "2026-12-07")
set(ORVANE_RELEASE_DATE_RFC2822 "Mon, 07 Dec 2026 12:00:00 +0000")
set(ORVANE_PACKAGE_MAINTAINER "The Orvane Control developers <orvane-control@example.org>"
  CACHE STRING "Maintainer field of the Debian package: name <address>")
set(CPACK_PACKAGE_CONTACT "${ORVANE_PACKAGE_MAINTAINER}")

set(ORVANE_PACKAGING_SOURCE ${CMAKE_CURRENT_LIST_DIR})
set(ORVANE_PACKAGING_BUILD ${CMAKE_BINARY_DIR}/packaging)
set(ORVANE_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/orvane-control)

configure_file(${ORVANE_PACKAGING_SOURCE}/${ORVANE_APP_ID}.metainfo.xml.in
  ${ORVANE_PACKAGING_BUILD}/${ORVANE_APP_ID}.metainfo.xml @ONLY)
configure_file(${ORVANE_PACKAGING_SOURCE}/orvane-control.1.in
  ${ORVANE_PACKAGING_BUILD}/orvane-control.1 @ONLY)
configure_file(${ORVANE_PACKAGING_SOURCE}/orvane-sim.1.in
  ${ORVANE_PACKAGING_BUILD}/orvane-sim.1 @ONLY)
configure_file(${ORVANE_PACKAGING_SOURCE}/changelog.in
  ${ORVANE_PACKAGING_BUILD}/changelog @ONLY)
# The systemd user unit that runs the program without a display.
configure_file(${ORVANE_PACKAGING_SOURCE}/orvane-control.service.in
  ${ORVANE_PACKAGING_BUILD}/orvane-control.service @ONLY)

# Manual pages and the changelog are installed compressed; -n leaves the time stamp out of
# the gzip header, so that two builds of the same source give the same package.
set(ORVANE_COMPRESSED_DOCS "")
foreach(document orvane-control.1 orvane-sim.1 changelog)
  set(compressed ${ORVANE_PACKAGING_BUILD}/${document}.gz)
  add_custom_command(OUTPUT ${compressed}
    COMMAND gzip -9 -n -k -f ${ORVANE_PACKAGING_BUILD}/${document}
    DEPENDS ${ORVANE_PACKAGING_BUILD}/${document} VERBATIM)
  list(APPEND ORVANE_COMPRESSED_DOCS ${compressed})
endforeach()
add_custom_target(orvane_compressed_docs ALL DEPENDS ${ORVANE_COMPRESSED_DOCS})

set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
install(TARGETS orvane-control orvane-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The program copies these to the user's data folder on first start (ProfileFolder).
install(FILES ${ORVANE_PROFILE_FILES} DESTINATION ${ORVANE_SHIPPED_DATA_DIR})
install(FILES ${ORVANE_PACKAGING_SOURCE}/${ORVANE_APP_ID}.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${ORVANE_PACKAGING_SOURCE}/orvane-control.svg
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${ORVANE_PACKAGING_BUILD}/${ORVANE_APP_ID}.metainfo.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${ORVANE_PACKAGING_BUILD}/orvane-control.1.gz ${ORVANE_PACKAGING_BUILD}/orvane-sim.1.gz
  DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${ORVANE_PACKAGING_BUILD}/orvane-control.service
  DESTINATION lib/systemd/user)
install(FILES ${ORVANE_PACKAGING_SOURCE}/lintian-overrides
  DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME orvane-control)
install(FILES ${ORVANE_PACKAGING_SOURCE}/copyright ${ORVANE_PACKAGING_BUILD}/changelog.gz
  ${CMAKE_SOURCE_DIR}/README.md DESTINATION ${ORVANE_DOC_DIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME orvane-control)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Orvane Control developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "remote control for Orvane telescope mount controllers")
# Lines of the package's long description, at most 79 characters each.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
  "Orvane Control runs on the computer beside the telescope and controls an Orvane"
  "mount controller over a serial line: settings sheets built from a profile, the"
  "mount's position and clocks, manual motion, slews and a timed observation"
  "schedule, alignment, object lists, file transfers and a dimmable night-vision"
  "colour scheme."
  ""
  "Without a display (orvane-control --headless, or the systemd user unit"
  "orvane-control.service) it runs at a telescope's computer that has no screen and"
  "shares the mount over the network: with planetarium programs, INDI's generic"
  "driver and imaging programs that speak ASCOM Alpaca."
  ""
  "The package also holds orvane-sim, a simulated controller on a pseudo-terminal"
  "for trying the program without the device.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries the programs link are found by dpkg-shlibdeps. Qt loads its windowing
# plugins at run time, which no tool can see in the binaries.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS qt6-qpa-plugins)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
