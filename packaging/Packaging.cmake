# The Debian packages and what a desktop and Debian expect beside the programs:
# the icon in the theme's sizes, a manual page for each command, AppStream
# metainfo, the copyright file and the changelog; and CPack's settings for the
# two packages made from one build, each of an install component:
#   pczentrixnet         (program)  the desktop program and the simulator
#   pczentrixnet-bridge  (bridge)   the bridge, the console poller, the units
# (`scripts/package` makes them from a clean Release build; the headless build
# of a foreign architecture makes the bridge's only). Included from the top
# CMakeLists.txt once every command's target exists.

set(PCZN_PACKAGING_SOURCE ${CMAKE_CURRENT_LIST_DIR})
set(PCZN_PACKAGING_BINARY ${CMAKE_BINARY_DIR}/packaging)
set(PCZN_PACKAGE_NAME pczentrixnet)

find_program(PCZN_RSVG_CONVERT rsvg-convert)
find_program(PCZN_GZIP gzip)
if((PCZN_BUILD_GUI AND NOT PCZN_RSVG_CONVERT) OR NOT PCZN_GZIP)
  message(FATAL_ERROR "rsvg-convert (librsvg2-bin) and gzip draw the icons and pack the manual pages: run scripts/install-deps")
endif()

# The package each command goes into.
set(PCZN_BRIDGE_COMMANDS zentrixnet-bridge zentrixnet-poll)
function(pczn_component_of command out_var)
  if(command IN_LIST PCZN_BRIDGE_COMMANDS)
    set(${out_var} bridge PARENT_SCOPE)
  else()
    set(${out_var} program PARENT_SCOPE)
  endif()
endfunction()

# The commands this build makes; the bridge once it is part of the tree.
set(PCZN_COMMANDS)
foreach(command PCZentrixNet zentrixnet-sim zentrixnet-poll zentrixnet-bridge)
  if(TARGET ${command})
    list(APPEND PCZN_COMMANDS ${command})
  endif()
endforeach()
set(PCZN_HAS_BRIDGE FALSE)
if(TARGET zentrixnet-bridge)
  set(PCZN_HAS_BRIDGE TRUE)
endif()

# pczn_gzip_file(SOURCE NAME OUTPUTS_VAR): packs SOURCE as packaging/NAME.gz
# the way Debian wants it (best compression, no name or time stamp inside).
function(pczn_gzip_file source name outputs_var)
  set(copy ${PCZN_PACKAGING_BINARY}/gz/${name})
  add_custom_command(
    OUTPUT ${copy}.gz
    COMMAND ${CMAKE_COMMAND} -E copy ${source} ${copy}
    COMMAND ${PCZN_GZIP} -9nf ${copy}
    DEPENDS ${source}
    VERBATIM)
  set(${outputs_var} ${${outputs_var}} ${copy}.gz PARENT_SCOPE)
endfunction()

# Icons: our own SVG, and PNGs drawn from it in the sizes desktops look for.
set(PCZN_ICON_SIZES 16 22 24 32 48 64 128 256)
set(PCZN_ICON_SVG ${PCZN_PACKAGING_SOURCE}/pczentrixnet.svg)
set(icon_files)
if(NOT PCZN_BUILD_GUI)
  set(PCZN_ICON_SIZES)
endif()
foreach(size ${PCZN_ICON_SIZES})
  set(png ${PCZN_PACKAGING_BINARY}/icons/${size}x${size}/${PCZN_PACKAGE_NAME}.png)
  add_custom_command(
    OUTPUT ${png}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${PCZN_PACKAGING_BINARY}/icons/${size}x${size}
    COMMAND ${PCZN_RSVG_CONVERT} --width ${size} --height ${size} --output ${png} ${PCZN_ICON_SVG}
    DEPENDS ${PCZN_ICON_SVG}
    VERBATIM)
  list(APPEND icon_files ${png})
  install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
if(PCZN_BUILD_GUI)
  install(FILES ${PCZN_ICON_SVG} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
endif()

# Manual pages, section 1, with the project's version in their footer, each in
# its command's package.
set(packed_files)
foreach(command ${PCZN_COMMANDS})
  set(page ${PCZN_PACKAGING_BINARY}/man/${command}.1)
  configure_file(${PCZN_PACKAGING_SOURCE}/man/${command}.1.in ${page} @ONLY)
  pczn_gzip_file(${page} ${command}.1 packed_files)
  pczn_component_of(${command} component)
  install(FILES ${PCZN_PACKAGING_BINARY}/gz/${command}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1
          COMPONENT ${component})
endforeach()

# Debian's documents in each package's own folder: the copyright file as it
# is, the changelog packed. The version carries no Debian revision (the
# packages are made here, from our own sources), so Debian names the changelog
# as for a native package.
pczn_gzip_file(${PCZN_PACKAGING_SOURCE}/debian/changelog changelog packed_files)
set(PCZN_DEBIAN_DOCUMENTS ${PCZN_PACKAGING_SOURCE}/debian/copyright ${PCZN_PACKAGING_BINARY}/gz/changelog.gz)
if(PCZN_BUILD_GUI)
  install(FILES ${PCZN_DEBIAN_DOCUMENTS} DESTINATION ${PCZN_DOC_DIR} COMPONENT program)
endif()
if(PCZN_HAS_BRIDGE)
  install(FILES ${PCZN_DEBIAN_DOCUMENTS} DESTINATION ${PCZN_BRIDGE_DOC_DIR} COMPONENT bridge)
endif()

# AppStream metainfo of the desktop program, named after its component id.
if(PCZN_BUILD_GUI)
  set(PCZN_METAINFO ${PCZN_PACKAGING_BINARY}/com.example.pczentrixnet.metainfo.xml)
  configure_file(${PCZN_PACKAGING_SOURCE}/pczentrixnet.metainfo.xml.in ${PCZN_METAINFO} @ONLY)
  install(FILES ${PCZN_METAINFO} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
endif()

add_custom_target(packaging_files ALL DEPENDS ${icon_files} ${packed_files})
# Everything the packages install, for a build of the product alone
# (scripts/package builds this target, not the tests).
set(PCZN_PACKAGE_TARGETS ${PCZN_COMMANDS} packaging_files)
if(PCZN_BUILD_GUI)
  list(APPEND PCZN_PACKAGE_TARGETS pictures)
endif()
add_custom_target(package_contents DEPENDS ${PCZN_PACKAGE_TARGETS})

# CPack: one Debian package per install component, under /usr.
set(CPACK_GENERATOR DEB)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL)
if(PCZN_BUILD_GUI)
  list(APPEND CPACK_COMPONENTS_ALL program)
endif()
if(PCZN_HAS_BRIDGE)
  list(APPEND CPACK_COMPONENTS_ALL bridge)
endif()
set(CPACK_PACKAGE_NAME ${PCZN_PACKAGE_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The PCZentrixNet developers")
set(CPACK_PACKAGE_CONTACT "The PCZentrixNet developers <info@example.com>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PRE_BUILD_SCRIPTS ${PCZN_PACKAGING_SOURCE}/DebianStrip.cmake)
set(CPACK_PCZN_STRIP ${CMAKE_STRIP})
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
# A cross build names the architecture it was made for (the toolchain file's
# PCZN_DEB_ARCH); the native one is the machine's.
if(PCZN_DEB_ARCH)
  set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${PCZN_DEB_ARCH})
endif()
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
# The libraries come from the binaries (dpkg-shlibdeps).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)

# pczentrixnet: the program. The views draw their texts in Arial and Courier
# New, whose metric twins are a font package no binary links to; Qt's own
# texts in German come from Qt's translations. The bridge was part of this
# package up to 1.2.0: recommended, so that an upgrade keeps it by default
# while a desktop without it may go without.
set(CPACK_DEBIAN_PROGRAM_PACKAGE_NAME ${PCZN_PACKAGE_NAME})
set(CPACK_DEBIAN_PROGRAM_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PROGRAM_PACKAGE_RECOMMENDS
    "fonts-liberation, qt6-translations-l10n, pczentrixnet-bridge (= ${PROJECT_VERSION})")
# The long descriptions as Debian wants them: the synopsis first, lines of at
# most 80 characters, a "." line between paragraphs.
string(JOIN "\n" CPACK_DEBIAN_PROGRAM_DESCRIPTION
  "watch and configure the controller of a photovoltaic plant"
  "PCZentrixNet talks to the controller of a photovoltaic plant over a serial"
  "line (2400 baud, 8N1), polls its data once a second and shows it in seven"
  "views: power and irradiance of the last three days, the energy of each month"
  "and year, the specific yield, the yearly and daily energy balance, and"
  "today's values of every meter. A setup wizard changes the controller's"
  "settings; the polled data can be saved to and reopened from plant data"
  "files. The user interface is German."
  "."
  "The package also holds zentrixnet-sim, a simulator of the controller for"
  "trying the program without hardware. The MQTT bridge and the console poller"
  "are in the package pczentrixnet-bridge.")

# pczentrixnet-bridge: the headless service, Qt Core only. It takes over the
# files that pczentrixnet held up to 1.2.0 (Debian's policy 7.6.1: Breaks and
# Replaces on the versions that held them).
set(CPACK_DEBIAN_BRIDGE_PACKAGE_NAME ${PCZN_PACKAGE_NAME}-bridge)
set(CPACK_DEBIAN_BRIDGE_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_BRIDGE_PACKAGE_SECTION net)
set(CPACK_DEBIAN_BRIDGE_PACKAGE_BREAKS "${PCZN_PACKAGE_NAME} (<< 1.3.0)")
set(CPACK_DEBIAN_BRIDGE_PACKAGE_REPLACES "${PCZN_PACKAGE_NAME} (<< 1.3.0)")
string(JOIN "\n" CPACK_DEBIAN_BRIDGE_DESCRIPTION
  "photovoltaic plant controller on MQTT, with Home Assistant discovery"
  "zentrixnet-bridge polls the controller of a photovoltaic plant over a serial"
  "line or a serial device server and publishes its values on MQTT after every"
  "data exchange, with Home Assistant's discovery, around the clock as a"
  "systemd service. Every exchange is kept in a SQLite archive of the plant's"
  "history; alarms run a command of the owner's."
  "."
  "The package also holds zentrixnet-poll, which fetches a plant's data into a"
  "file from a script. It needs no graphical libraries.")
# The bridge's unit: systemd told of it, a running bridge restarted on
# upgrade and stopped on removal; never enabled by the package.
set(CPACK_DEBIAN_BRIDGE_PACKAGE_CONTROL_EXTRA
    ${PCZN_PACKAGING_SOURCE}/debian/postinst
    ${PCZN_PACKAGING_SOURCE}/debian/prerm
    ${PCZN_PACKAGING_SOURCE}/debian/postrm)
set(CPACK_DEBIAN_BRIDGE_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
