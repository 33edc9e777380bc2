# The setup's NSIS template, made from the one CPack brings (CPack takes a
# NSIS.template.in found on CMAKE_MODULE_PATH first). Changed from it:
# - the pages in German (English second, for the messages NSIS has no German for);
# - the uninstall entry names the folder (InstallLocation) and its size in KB
#   (EstimatedSize), as Windows' list of installed programs shows them;
# - the uninstaller also removes the vendor's key when nothing else is in it;
# - the bridge's folder and service (BridgeSetup.nsh).

set(nsis_source ${CMAKE_ROOT}/Modules/Internal/CPack/NSIS.template.in)
file(READ ${nsis_source} template)

function(pczn_replace_once text with)
  string(FIND "${template}" "${text}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "CPack's NSIS template has changed: \"${text}\" not found in ${nsis_source}")
  endif()
  string(REPLACE "${text}" "${with}" changed "${template}")
  set(template "${changed}" PARENT_SCOPE)
endfunction()

# Only German and English: the setup starts in the first one.
string(REGEX REPLACE "[ \t]*!insertmacro MUI_LANGUAGE \"[A-Za-z]+\"[^\n]*\n" "" template "${template}")
pczn_replace_once("  !insertmacro MUI_UNPAGE_INSTFILES\n"
  "  !insertmacro MUI_UNPAGE_INSTFILES\n\n  !insertmacro MUI_LANGUAGE \"German\"\n  !insertmacro MUI_LANGUAGE \"English\"\n")

set(uninstall_key "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\@CPACK_PACKAGE_INSTALL_REGISTRY_KEY@")
pczn_replace_once("@CPACK_NSIS_EXTRA_INSTALL_COMMANDS@\n" "@CPACK_NSIS_EXTRA_INSTALL_COMMANDS@
  WriteRegStr SHCTX \"${uninstall_key}\" \"InstallLocation\" \"$INSTDIR\"
  \${GetSize} \"$INSTDIR\" \"/S=0K\" $0 $1 $2
  IntFmt $0 \"0x%08X\" $0
  WriteRegDWORD SHCTX \"${uninstall_key}\" \"EstimatedSize\" \"$0\"
  !insertmacro PcznInstallBridge
")
pczn_replace_once("  !include Sections.nsh\n"
  "  !include Sections.nsh\n  !include FileFunc.nsh\n  !include \"${CMAKE_CURRENT_LIST_DIR}/BridgeSetup.nsh\"\n")
# The bridge: ticked by /BRIDGE, its service installed after the files and
# removed before them.
pczn_replace_once("  !insertmacro SectionList \"InitSection\"\n"
  "  !insertmacro SectionList \"InitSection\"\n  !insertmacro PcznBridgeFromCommandLine\n")
pczn_replace_once("@CPACK_NSIS_EXTRA_UNINSTALL_COMMANDS@\n"
  "@CPACK_NSIS_EXTRA_UNINSTALL_COMMANDS@\n  !insertmacro PcznRemoveBridge\n")
pczn_replace_once(
  "  DeleteRegKey /ifempty SHCTX \"Software\\@CPACK_PACKAGE_VENDOR@\\@CPACK_PACKAGE_INSTALL_REGISTRY_KEY@\"\n"
  "  DeleteRegKey /ifempty SHCTX \"Software\\@CPACK_PACKAGE_VENDOR@\\@CPACK_PACKAGE_INSTALL_REGISTRY_KEY@\"\n  DeleteRegKey /ifempty SHCTX \"Software\\@CPACK_PACKAGE_VENDOR@\"\n")

file(WRITE ${PCZN_WINDOWS_BINARY}/nsis/NSIS.template.in "${template}")
