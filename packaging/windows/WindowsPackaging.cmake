# The Windows program's folder and its setup: the program with its icon and
# version information, the Qt libraries and plugins it loads, the compiler's
# runtime, the pictures; CPack makes PCZentrixNet-<version>-win64-setup.exe
# (NSIS) and a portable .zip of the same folder (`scripts/package --windows`).
# Included from the top CMakeLists.txt once every command's target exists.

set(PCZN_WINDOWS_SOURCE ${CMAKE_CURRENT_LIST_DIR})
set(PCZN_WINDOWS_BINARY ${CMAKE_BINARY_DIR}/packaging/windows)

# The icon of the Debian package, drawn from the same SVG where the build
# machine has the tools (rsvg-convert and ImageMagick's convert).
find_program(PCZN_RSVG_CONVERT rsvg-convert)
find_program(PCZN_IM_CONVERT convert)
set(PCZN_ICO ${PCZN_WINDOWS_BINARY}/pczentrixnet.ico)
set(PCZN_ICON_LINE "// no icon: rsvg-convert or convert was missing at configure time")
if(PCZN_RSVG_CONVERT AND PCZN_IM_CONVERT)
  set(pngs)
  set(draw_commands)
  foreach(size 16 24 32 48 64 256)
    set(png ${PCZN_WINDOWS_BINARY}/icon-${size}.png)
    list(APPEND draw_commands COMMAND ${PCZN_RSVG_CONVERT} -w ${size} -h ${size}
         -o ${png} ${PROJECT_SOURCE_DIR}/packaging/pczentrixnet.svg)
    list(APPEND pngs ${png})
  endforeach()
  add_custom_command(
    OUTPUT ${PCZN_ICO}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${PCZN_WINDOWS_BINARY}
    ${draw_commands}
    COMMAND ${PCZN_IM_CONVERT} ${pngs} ${PCZN_ICO}
    DEPENDS ${PROJECT_SOURCE_DIR}/packaging/pczentrixnet.svg
    VERBATIM)
  add_custom_target(windows_icon DEPENDS ${PCZN_ICO})
  add_dependencies(PCZentrixNet windows_icon)
  set(PCZN_ICON_LINE "IDI_ICON1 ICON \"${PCZN_ICO}\"")
endif()
configure_file(${PCZN_WINDOWS_SOURCE}/PCZentrixNet.rc.in ${PCZN_WINDOWS_BINARY}/PCZentrixNet.rc @ONLY)
target_sources(PCZentrixNet PRIVATE ${PCZN_WINDOWS_BINARY}/PCZentrixNet.rc)
set_source_files_properties(${PCZN_WINDOWS_BINARY}/PCZentrixNet.rc PROPERTIES OBJECT_DEPENDS "${PCZN_ICO}")

# Qt's libraries and the plugins the program loads, from the Qt it was built with.
get_target_property(qt_core_dll Qt6::Core IMPORTED_LOCATION_RELEASE)
if(NOT qt_core_dll)
  get_target_property(qt_core_dll Qt6::Core LOCATION)
endif()
get_filename_component(PCZN_QT_BIN ${qt_core_dll} DIRECTORY)
get_filename_component(PCZN_QT_PREFIX ${PCZN_QT_BIN} DIRECTORY)
set(PCZN_QT_PLUGINS ${PCZN_QT_PREFIX}/plugins)
install(FILES ${PCZN_QT_BIN}/Qt6Core.dll ${PCZN_QT_BIN}/Qt6Gui.dll ${PCZN_QT_BIN}/Qt6Widgets.dll
        DESTINATION .)
install(FILES ${PCZN_QT_PLUGINS}/platforms/qwindows.dll DESTINATION platforms)
install(FILES ${PCZN_QT_PLUGINS}/styles/qwindowsvistastyle.dll DESTINATION styles)
# Qt's own texts in German (Debian's Qt translations serve every system).
set(PCZN_QT_GERMAN /usr/share/qt6/translations/qtbase_de.qm)
if(NOT EXISTS ${PCZN_QT_GERMAN})
  message(FATAL_ERROR "${PCZN_QT_GERMAN} is missing: scripts/install-deps installs qt6-translations-l10n")
endif()
install(FILES ${PCZN_QT_GERMAN} DESTINATION translations)

# The compiler's runtime, which the Qt libraries are linked against (the
# programs themselves link it statically).
set(PCZN_MINGW_RUNTIME)
foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
                  OUTPUT_VARIABLE found OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT IS_ABSOLUTE "${found}" OR NOT EXISTS "${found}")
    find_file(found_${dll} ${dll} PATHS /usr/x86_64-w64-mingw32/lib /usr/lib/gcc/x86_64-w64-mingw32
              PATH_SUFFIXES 12-posix NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
    set(found ${found_${dll}})
  endif()
  if(NOT EXISTS "${found}")
    message(FATAL_ERROR "The compiler's runtime ${dll} was not found")
  endif()
  list(APPEND PCZN_MINGW_RUNTIME ${found})
endforeach()
install(FILES ${PCZN_MINGW_RUNTIME} DESTINATION .)

# The libraries above as shipped: without their debug sections (libstdc++ alone
# carries 33 MB of them). The programs are stripped by CPack (CPACK_STRIP_FILES).
set(PCZN_SHIPPED_LIBRARIES Qt6Core.dll Qt6Gui.dll Qt6Widgets.dll platforms/qwindows.dll
    styles/qwindowsvistastyle.dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
install(CODE "
  foreach(library ${PCZN_SHIPPED_LIBRARIES})
    execute_process(COMMAND \"${CMAKE_STRIP}\" --strip-unneeded \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/\${library}\"
                    RESULT_VARIABLE failed)
    if(failed)
      message(FATAL_ERROR \"${CMAKE_STRIP} could not strip \${library}\")
    endif()
  endforeach()")
set(CPACK_STRIP_FILES ON)

include(${PCZN_WINDOWS_SOURCE}/LicenceTexts.cmake)

# The setup and the portable archive.
set(CPACK_GENERATOR NSIS ZIP)
set(CPACK_PACKAGE_NAME PCZentrixNet)
set(CPACK_PACKAGE_VENDOR "The PCZentrixNet developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "watch and configure the controller of a photovoltaic plant")
# PCZentrixNet-<version>-win64-setup.exe and PCZentrixNet-<version>-win64.zip.
set(CPACK_PACKAGE_FILE_NAME PCZentrixNet-${PROJECT_VERSION}-win64)
set(CPACK_PROJECT_CONFIG_FILE ${PCZN_WINDOWS_SOURCE}/CPackFileNames.cmake)
set(CPACK_PACKAGE_INSTALL_DIRECTORY PCZentrixNet)
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY PCZentrixNet)
set(CPACK_PACKAGE_EXECUTABLES PCZentrixNet PCZentrixNet)
set(CPACK_RESOURCE_FILE_LICENSE ${PCZN_WINDOWS_SOURCE}/License.txt)
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
set(CPACK_NSIS_PACKAGE_NAME PCZentrixNet)
set(CPACK_NSIS_DISPLAY_NAME PCZentrixNet)
set(CPACK_NSIS_INSTALLED_ICON_NAME PCZentrixNet.exe)
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
set(CPACK_NSIS_MODIFY_PATH OFF)
set(CPACK_NSIS_MANIFEST_DPI_AWARE ON)
if(EXISTS ${PCZN_ICO})
  set(CPACK_NSIS_MUI_ICON ${PCZN_ICO})
  set(CPACK_NSIS_MUI_UNIICON ${PCZN_ICO})
endif()
# The programs lie in the folder itself (not in bin\), where the Start menu
# entry points; it starts the program there, where its pictures are.
set(CPACK_NSIS_EXECUTABLES_DIRECTORY .)
set(CPACK_NSIS_EXTRA_INSTALL_COMMANDS "SetOutPath \\\"$INSTDIR\\\"")
# Two parts: the program (with the console poller) always, the bridge to home
# automation when ticked (off by default; /BRIDGE ticks it in a silent setup).
# The portable .zip holds both.
set(CPACK_COMPONENTS_ALL program bridge)
set(CPACK_COMPONENT_PROGRAM_DISPLAY_NAME "PCZentrixNet")
set(CPACK_COMPONENT_PROGRAM_DESCRIPTION "Das Programm und der Konsolen-Abfrager zentrixnet-poll.")
set(CPACK_COMPONENT_PROGRAM_REQUIRED ON)
set(CPACK_COMPONENT_BRIDGE_DISPLAY_NAME "MQTT-Bridge zur Hausautomation (Windows-Dienst)")
set(CPACK_COMPONENT_BRIDGE_DESCRIPTION
    "zentrixnet-bridge.exe meldet die Werte der Anlage an einen MQTT-Broker (Home Assistant). Eine Beispielkonfiguration kommt nach C:\\ProgramData\\PCZentrixNet; liegt dort bridge.ini, wird der Dienst PCZentrixNet-Bridge eingerichtet und gestartet.")
set(CPACK_COMPONENT_BRIDGE_DISABLED ON)
set(CPACK_ARCHIVE_COMPONENT_INSTALL OFF)
# The setup's own template: CMake's, with German as the setup's language and
# the uninstall entry completed (see NsisTemplate.cmake).
include(${PCZN_WINDOWS_SOURCE}/NsisTemplate.cmake)
list(PREPEND CMAKE_MODULE_PATH ${PCZN_WINDOWS_BINARY}/nsis)
set(CPACK_NSIS_COMPRESSOR "/SOLID lzma")
# A 64-bit setup for the 64-bit program, where NSIS runs on the build machine.
if(CMAKE_HOST_UNIX)
  set(CPACK_NSIS_EXECUTABLE ${PCZN_WINDOWS_SOURCE}/makensis-amd64)
endif()
include(CPack)
