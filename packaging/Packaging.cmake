# The Debian package and what a desktop and Debian expect beside the programs:
# the icon in the theme's sizes, a manual page for each command, AppStream
# metainfo, the copyright file and the changelog; and CPack's settings for the
# package (`scripts/package` makes it from a clean Release build). Included
# from the top CMakeLists.txt once every command's target exists.

set(PCZN_PACKAGING_SOURCE ${CMAKE_CURRENT_LIST_DIR})
set(PCZN_PACKAGING_BINARY ${CMAKE_BINARY_DIR}/packaging)
set(PCZN_PACKAGE_NAME pczentrixnet)

find_program(PCZN_RSVG_CONVERT rsvg-convert)
find_program(PCZN_GZIP gzip)
if(NOT PCZN_RSVG_CONVERT OR NOT PCZN_GZIP)
  message(FATAL_ERROR "rsvg-convert (librsvg2-bin) and gzip draw the icons and pack the manual pages: run scripts/install-deps")
endif()

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
install(FILES ${PCZN_ICON_SVG} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# Manual pages, section 1, with the project's version in their footer.
set(packed_files)
foreach(command ${PCZN_COMMANDS})
  set(page ${PCZN_PACKAGING_BINARY}/man/${command}.1)
  configure_file(${PCZN_PACKAGING_SOURCE}/man/${command}.1.in ${page} @ONLY)
  pczn_gzip_file(${page} ${command}.1 packed_files)
  install(FILES ${PCZN_PACKAGING_BINARY}/gz/${command}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()

# Debian's documents: the copyright file as it is, the changelog packed. The
# version carries no Debian revision (the package is made here, from our own
# sources), so Debian names the changelog as for a native package.
pczn_gzip_file(${PCZN_PACKAGING_SOURCE}/debian/changelog changelog packed_files)
install(FILES ${PCZN_PACKAGING_SOURCE}/debian/copyright ${PCZN_PACKAGING_BINARY}/gz/changelog.gz
        DESTINATION ${PCZN_DOC_DIR})

# AppStream metainfo, named after its component id.
set(PCZN_METAINFO_BRIDGE_ITEM "")
set(PCZN_METAINFO_BRIDGE_BINARY "")
if(PCZN_HAS_BRIDGE)
  set(PCZN_METAINFO_BRIDGE_ITEM
      "      <li>zentrixnet-bridge, a service that publishes the plant's values on MQTT with Home Assistant discovery</li>\n")
  set(PCZN_METAINFO_BRIDGE_BINARY "    <binary>zentrixnet-bridge</binary>\n")
endif()
set(PCZN_METAINFO ${PCZN_PACKAGING_BINARY}/com.example.pczentrixnet.metainfo.xml)
configure_file(${PCZN_PACKAGING_SOURCE}/pczentrixnet.metainfo.xml.in ${PCZN_METAINFO} @ONLY)
install(FILES ${PCZN_METAINFO} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

add_custom_target(packaging_files ALL DEPENDS ${icon_files} ${packed_files})
# Everything the package installs, for a build of the product alone
# (scripts/package builds this target, not the tests).
add_custom_target(package_contents DEPENDS ${PCZN_COMMANDS} pictures packaging_files)

# CPack: one Debian package of everything installed, under /usr.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${PCZN_PACKAGE_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The PCZentrixNet developers")
set(CPACK_PACKAGE_CONTACT "The PCZentrixNet developers <info@example.com>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PRE_BUILD_SCRIPTS ${PCZN_PACKAGING_SOURCE}/DebianStrip.cmake)
set(CPACK_PCZN_STRIP ${CMAKE_STRIP})
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "watch and configure the controller of a photovoltaic plant")
# The long description as Debian wants it: lines of at most 80 characters, a
# "." line between paragraphs.
string(JOIN "\n" CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "PCZentrixNet talks to the controller of a photovoltaic plant over a serial"
  "line (2400 baud, 8N1), polls its data once a second and shows it in seven"
  "views: power and irradiance of the last three days, the energy of each month"
  "and year, the specific yield, the yearly and daily energy balance, and"
  "today's values of every meter. A setup wizard changes the controller's"
  "settings; the polled data can be saved to and reopened from plant data"
  "files. The user interface is German."
  "."
  "The package also holds zentrixnet-sim, a simulator of the controller for"
  "trying the program without hardware, and zentrixnet-poll, which fetches a"
  "plant's data into a file from a script.")
if(PCZN_HAS_BRIDGE)
  string(APPEND CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "\nThe service zentrixnet-bridge publishes the plant's values on MQTT with"
    "\nHome Assistant discovery.")
endif()
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
# The libraries come from the binaries (dpkg-shlibdeps). The views draw their
# texts in Arial and Courier New, whose metric twins are a font package no
# binary links to; Qt's own texts in German come from Qt's translations.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-liberation, qt6-translations-l10n")
if(PCZN_HAS_BRIDGE)
  # The bridge's unit: systemd told of it, a running bridge restarted on
  # upgrade and stopped on removal; never enabled by the package.
  set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
      ${PCZN_PACKAGING_SOURCE}/debian/postinst
      ${PCZN_PACKAGING_SOURCE}/debian/prerm
      ${PCZN_PACKAGING_SOURCE}/debian/postrm)
  set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
endif()
include(CPack)
