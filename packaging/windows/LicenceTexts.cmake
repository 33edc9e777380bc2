# The licence texts the shipped libraries require, in the folder "Lizenzen":
# Qt under the LGPL 3 (with the GPL 3 it refers to) and the copyright of every
# part of the Qt build (Debian's file for the same source package), where Qt's
# source is; the compiler's runtime (GCC runtime library exception) and the
# threads library of mingw-w64 (its notices must travel with the binary).
set(PCZN_LICENCE_DIR Lizenzen)

function(pczn_licence_file source name)
  if(NOT EXISTS "${source}")
    message(FATAL_ERROR "The licence text ${source} is missing (it comes with the build machine's Debian packages)")
  endif()
  install(FILES "${source}" DESTINATION ${PCZN_LICENCE_DIR} RENAME ${name})
endfunction()

pczn_licence_file(/usr/share/common-licenses/LGPL-3 LGPL-3.0.txt)
pczn_licence_file(/usr/share/common-licenses/GPL-3 GPL-3.0.txt)
pczn_licence_file(/usr/share/doc/libqt6core6/copyright Qt-Copyright.txt)
pczn_licence_file(/usr/share/doc/gcc-mingw-w64-base/copyright GCC-Laufzeit-Copyright.txt)
pczn_licence_file(/usr/share/doc/mingw-w64-common/copyright mingw-w64-Copyright.txt)

set(PCZN_QT_SOURCE_NOTE ${PCZN_WINDOWS_BINARY}/Qt-Quelltext.txt)
file(WRITE ${PCZN_QT_SOURCE_NOTE} "\
Qt ${Qt6_VERSION} (the files Qt6Core.dll, Qt6Gui.dll, Qt6Widgets.dll and the
folders platforms and styles) is used under the GNU Lesser General Public
License version 3 (LGPL-3.0.txt, with GPL-3.0.txt it refers to).

Its source is Debian's source package qt6-base, version ${Qt6_VERSION}+dfsg
(`apt-get source qt6-base`, or the Debian archive's pool/main/q/qt6-base/),
built unchanged for Windows with mingw-w64 by the script
scripts/build-qt-windows of PCZentrixNet's source. The copyright of every
part of that source is in Qt-Copyright.txt.

You may replace these files with your own build of the same Qt version.
")
install(FILES ${PCZN_QT_SOURCE_NOTE} DESTINATION ${PCZN_LICENCE_DIR})
