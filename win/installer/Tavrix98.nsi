; The Tavrix 98 installer: a per-user install that needs no administrator rights, with a Start-menu
; shortcut, an optional start with Windows (minimised) and an uninstaller that leaves the user's mapping
; files and settings alone. makensis -DBUILD_DIR=... -DOUT_FILE=... Tavrix98.nsi
Unicode true
Target amd64-unicode
!include LogicLib.nsh
!include WinMessages.nsh

!ifndef BUILD_DIR | OUT_FILE
  !error "Define BUILD_DIR (the folder with TAVRIX.EXE) and OUT_FILE."
!endif
!define PRODUCT "Tavrix 98"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tavrix98"

Name "${PRODUCT}"
OutFile "${OUT_FILE}"
Icon "${__FILEDIR__}\..\tavrix.ico"
UninstallIcon "${__FILEDIR__}\..\tavrix.ico"
RequestExecutionLevel user
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
SetCompressor /SOLID lzma

Page components
Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

; A running Tavrix 98 is closed the normal way (its close handler saves the settings) before its files are
; touched; its process ends a moment after its window.
!macro CloseTavrix
  FindWindow $0 "TMainWin"
  ${If} $0 <> 0
    SendMessage $0 ${WM_CLOSE} 0 0 /TIMEOUT=10000
    StrCpy $1 0
    ${Do}
      Sleep 100
      IntOp $1 $1 + 1
      FindWindow $0 "TMainWin"
      ${If} $0 = 0
      ${OrIf} $1 >= 100
        ${ExitDo}
      ${EndIf}
    ${Loop}
    Sleep 500
  ${EndIf}
!macroend

Section "Tavrix 98" SecProgram
  SectionIn RO
  !insertmacro CloseTavrix
  SetOutPath "$INSTDIR"
  File "${BUILD_DIR}\TAVRIX.EXE"
  File "${BUILD_DIR}\TAVRIXHK.DLL"
  File /nonfatal "${BUILD_DIR}\TAVRIX.HTM"
  File /nonfatal "${BUILD_DIR}\TAVRIX.DOC"
  WriteUninstaller "$INSTDIR\Uninstall.exe"
  CreateShortCut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\TAVRIX.EXE"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "1.0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\TAVRIX.EXE"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; Minimised, so a logon does not pop the window up.
Section "Start Tavrix 98 when Windows starts" SecStartup
  CreateShortCut "$SMSTARTUP\${PRODUCT}.lnk" "$INSTDIR\TAVRIX.EXE" "" "" 0 SW_SHOWMINIMIZED
SectionEnd

; Only what the installer put there: KEY.TVX and any other mapping file in the folder stay, and with them
; the folder.
Section "Uninstall"
  !insertmacro CloseTavrix
  Delete "$INSTDIR\TAVRIX.EXE"
  Delete "$INSTDIR\TAVRIXHK.DLL"
  Delete "$INSTDIR\TAVRIX.HTM"
  Delete "$INSTDIR\TAVRIX.DOC"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  Delete "$SMSTARTUP\${PRODUCT}.lnk"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
