; Corvane's Windows installer: per user, no administrator. scripts/windows.sh
; runs makensis with these defined:
;   FACTS    the build's facts.nsh: VERSION, FILE_VERSION, PUBLISHER, ICON
;   FILES    the portable folder's install lines, UNFILES its removal lines
;   OUTFILE  the setup program to write
!include "${FACTS}"
Unicode true
Target amd64-unicode
ManifestDPIAware true
ManifestSupportedOS Win10
RequestExecutionLevel user
SetCompressor /SOLID lzma

!include "MUI2.nsh"
!include "FileFunc.nsh"
!include "LogicLib.nsh"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Corvane"
; Held by corvane.exe while it runs (platform/RunningMark.cpp).
!define RUNNING_MARK "Local\Corvane"
; How long a silent run waits for Corvane to be closed, in seconds.
!define SILENT_WAIT 60

Name "Corvane ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Corvane"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
ShowInstDetails nevershow
ShowUninstDetails nevershow

VIProductVersion "${FILE_VERSION}"
VIFileVersion "${FILE_VERSION}"
VIAddVersionKey "ProductName" "Corvane"
VIAddVersionKey "ProductVersion" "${FILE_VERSION}"
VIAddVersionKey "FileVersion" "${FILE_VERSION}"
VIAddVersionKey "FileDescription" "Corvane ${VERSION} Setup"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "LegalCopyright" "Copyright (C) ${PUBLISHER}"
VIAddVersionKey "OriginalFilename" "Corvane-${VERSION}-setup.exe"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\corvane.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Start Corvane"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; Files in use cannot be replaced: wait until Corvane has been closed. With
; someone to ask, ask; a silent run waits a while, then gives up unchanged.
!macro WAIT_FOR_CORVANE prefix
Function ${prefix}WaitForCorvane
  StrCpy $1 0
  ${Do}
    System::Call 'kernel32::OpenMutexW(i 0x00100000, i 0, w "${RUNNING_MARK}") p .r0'
    ${If} $0 == 0
      Return
    ${EndIf}
    System::Call 'kernel32::CloseHandle(p r0)'
    ${If} ${Silent}
      ${If} $1 >= ${SILENT_WAIT}
        SetErrorLevel 2
        Quit
      ${EndIf}
      IntOp $1 $1 + 1
      Sleep 1000
    ${Else}
      MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \
        "Corvane is running. Please close it, then press Retry." IDRETRY retry
      SetErrorLevel 2
      Quit
      retry:
    ${EndIf}
  ${Loop}
FunctionEnd
!macroend
!insertmacro WAIT_FOR_CORVANE ""
!insertmacro WAIT_FOR_CORVANE "un."

Section "Corvane" SecProgram
  SectionIn RO
  Call WaitForCorvane
  !include "${FILES}"
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  ; The shortcut starts in the output folder: the program's own.
  CreateShortCut "$SMPROGRAMS\Corvane.lnk" "$INSTDIR\corvane.exe" "" "$INSTDIR\corvane.exe" 0

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Corvane"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\corvane.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section /o "Desktop shortcut" SecDesktop
  SetOutPath "$INSTDIR"
  CreateShortCut "$DESKTOP\Corvane.lnk" "$INSTDIR\corvane.exe" "" "$INSTDIR\corvane.exe" 0
SectionEnd

; Exactly what was installed goes; the settings and profiles
; (HKCU\Software\Corvane\Corvane), the staging root's contents and any file
; of the user's in the program folder stay.
Section "Uninstall"
  Call un.WaitForCorvane
  !include "${UNFILES}"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\Corvane.lnk"
  Delete "$DESKTOP\Corvane.lnk"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  ; The staging root only when Corvane left it empty.
  RMDir "$LOCALAPPDATA\Corvane\Corvane\drive_c"
  RMDir "$LOCALAPPDATA\Corvane\Corvane"
  RMDir "$LOCALAPPDATA\Corvane"
SectionEnd
