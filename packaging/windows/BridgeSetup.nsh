; The bridge's part of the setup: its folder in %ProgramData%, its service.
; Included by the setup's template (NsisTemplate.cmake); ${bridge} is the
; section of the bridge's component.
!include LogicLib.nsh

!define PCZN_SERVICE "PCZentrixNet-Bridge"
!define PCZN_DATA "$APPDATA\PCZentrixNet"

; /BRIDGE on the command line ticks the bridge, also for a silent setup (/S).
!macro PcznBridgeFromCommandLine
  ClearErrors
  ${GetOptions} $CMDLINE "/BRIDGE" $R9
  ${IfNot} ${Errors}
    !insertmacro SelectSection ${bridge}
  ${EndIf}
!macroend

; The folder only the administrators and the system may read, as the service
; reads its configuration and the broker's password there as the system; the
; example configuration in it; the service once the installer has written
; bridge.ini there (a setup run again after that installs and starts it).
!macro PcznInstallBridge
  ${If} ${SectionIsSelected} ${bridge}
    SetShellVarContext all
    CreateDirectory "${PCZN_DATA}"
    nsExec::ExecToLog 'icacls "${PCZN_DATA}" /inheritance:r /grant:r *S-1-5-32-544:(OI)(CI)F *S-1-5-18:(OI)(CI)F'
    Pop $0
    CopyFiles /SILENT "$INSTDIR\bridge.ini.example" "${PCZN_DATA}"
    ${If} ${FileExists} "${PCZN_DATA}\bridge.ini"
      nsExec::ExecToLog '"$INSTDIR\zentrixnet-bridge.exe" --install-service ${PCZN_SERVICE} --config "${PCZN_DATA}\bridge.ini"'
      Pop $0
      ${If} $0 == 0
        nsExec::ExecToLog 'net start ${PCZN_SERVICE}'
        Pop $0
      ${EndIf}
      ${If} $0 != 0
        MessageBox MB_OK|MB_ICONEXCLAMATION "Der Dienst ${PCZN_SERVICE} lief nicht an (Status $0). Die Details der Installation nennen den Grund; pruefen Sie ${PCZN_DATA}\bridge.ini." /SD IDOK
        SetErrorLevel 2
      ${EndIf}
    ${EndIf}
  ${EndIf}
!macroend

; Every service of the bridge's program file stopped and removed before the
; file goes; the example and the logs go, the installer's configuration, the
; password file and the archive stay.
!macro PcznRemoveBridge
  ${If} ${FileExists} "$INSTDIR\zentrixnet-bridge.exe"
    nsExec::ExecToLog '"$INSTDIR\zentrixnet-bridge.exe" --remove-services'
    Pop $0
  ${EndIf}
  SetShellVarContext all
  Delete "${PCZN_DATA}\bridge.ini.example"
  RMDir /r "${PCZN_DATA}\logs"
  RMDir "${PCZN_DATA}"
!macroend
