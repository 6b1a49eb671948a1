; The setup program of Zantrel: installs it for all users into the Program Files folder,
; upgrades a running copy after asking it to close, and uninstalls it.
;
;   makensis -DBIN=<folder with zantrel.exe, zantrel.chm, zantrel.hlp, license.txt>
;            -DOUTFILE=<setup.exe> -DVERSION=<1.23> -DVERSION_QUAD=<1.23.0.0>
;
; scripts/package.sh passes the version of the build. The setup program is a 64-bit program,
; as zantrel.exe is: it sees the native Program Files folder and registry view, where the
; program reads "Path" and where 64-bit Windows lists installed 64-bit programs, without
; switching views. (64-bit Windows alone can start it.)

Target amd64-unicode
!define PUBLISHER "Corvath Software"
!define COPYRIGHT "Copyright (c) 2026 Corvath Software"
!define MACHINE_KEY "Software\Corvath Software\Zantrel"
!define USER_KEY "Software\Corvath Software\Zantrel"
!define MAKER_KEY "Software\Corvath Software"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Zantrel"
!define ID_CLOSE 2002  ; the command of the program's own "Close" menu item

!ifndef BIN | OUTFILE | VERSION | VERSION_QUAD
  !error "usage: makensis -DBIN=<folder of the Release build> -DOUTFILE=<setup program> -DVERSION=<x.y> -DVERSION_QUAD=<x.y.0.0>"
!endif

Name "Zantrel"
Caption "Zantrel ${VERSION} Setup"
OutFile "${OUTFILE}"
RequestExecutionLevel admin
ManifestDPIAware true
SetCompressor /SOLID lzma
BrandingText "Zantrel ${VERSION}"
ShowInstDetails nevershow
ShowUninstDetails nevershow

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include WinMessages.nsh

!define MUI_ICON "../res/zantrel.ico"
!define MUI_UNICON "../res/zantrel.ico"
!define MUI_ABORTWARNING

!insertmacro MUI_PAGE_LICENSE "${BIN}/license.txt"
!define MUI_PAGE_CUSTOMFUNCTION_PRE SkipFolderOnUpgrade
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "Start Zantrel"
!define MUI_FINISHPAGE_RUN_FUNCTION StartZantrel
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

VIProductVersion "${VERSION_QUAD}"
VIFileVersion "${VERSION_QUAD}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductName" "Zantrel"
VIAddVersionKey /LANG=${LANG_ENGLISH} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileDescription" "Zantrel ${VERSION} Setup"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "LegalCopyright" "${COPYRIGHT}"

; The files the setup program puts into a folder, then the folder if that leaves it empty.
; WinHelp may have written its index of the help file (zantrel.gid) beside it.
!macro REMOVE_FILES folder
  Delete "${folder}\zantrel.exe"
  Delete "${folder}\zantrel.chm"
  Delete "${folder}\zantrel.hlp"
  Delete "${folder}\zantrel.gid"
  Delete "${folder}\license.txt"
  Delete "${folder}\uninstall.exe"
  RMDir "${folder}"
!macroend

Var PreviousFolder  ; where an installed Zantrel lies, from its "Path"; empty if none

; Asks a running Zantrel to end the way its own Close does, so that it saves its settings,
; aliases and history, and waits for its process to end. Aborts when it does not end.
!macro DEFINE_CLOSE_ZANTREL un
Function ${un}CloseZantrel
  ${Do}
    FindWindow $0 "Zantrel"
    ${If} $0 = 0
      Return
    ${EndIf}
    DetailPrint "Closing the running Zantrel"
    System::Call 'user32::GetWindowThreadProcessId(p r0, *i .r1)'
    System::Call 'kernel32::OpenProcess(i 0x00100000, i 0, i r1) p .r2'  ; SYNCHRONIZE
    System::Call 'user32::PostMessage(p r0, i ${WM_COMMAND}, p ${ID_CLOSE}, p 0)'
    StrCpy $3 1  ; still running
    ${If} $2 <> 0
      System::Call 'kernel32::WaitForSingleObject(p r2, i 20000) i .r3'  ; 0: it ended
      System::Call 'kernel32::CloseHandle(p r2)'
    ${Else}
      ; No handle to wait on: wait for the window to go.
      ${For} $4 1 200
        System::Call 'user32::IsWindow(p r0) i .r5'
        ${If} $5 = 0
          StrCpy $3 0
          ${Break}
        ${EndIf}
        Sleep 100
      ${Next}
    ${EndIf}
    ${If} $3 <> 0
      MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \
        "Zantrel is still running. Close it from its tray menu, then choose Retry." \
        /SD IDCANCEL IDRETRY retry
      SetErrorLevel 2
      Abort "Zantrel is still running."
      retry:
    ${EndIf}
  ${Loop}
FunctionEnd
!macroend
!insertmacro DEFINE_CLOSE_ZANTREL ""
!insertmacro DEFINE_CLOSE_ZANTREL "un."

Function .onInit
  SetShellVarContext all
  ReadRegStr $PreviousFolder HKLM "${MACHINE_KEY}" "Path"
  ; /D= on the command line has set the folder already.
  ${If} $INSTDIR == ""
    ${If} $PreviousFolder != ""
      StrCpy $INSTDIR $PreviousFolder
    ${Else}
      StrCpy $INSTDIR "$PROGRAMFILES\Zantrel"
    ${EndIf}
  ${EndIf}
FunctionEnd

; An upgrade goes where the installed copy is.
Function SkipFolderOnUpgrade
  ${If} $PreviousFolder != ""
    Abort
  ${EndIf}
FunctionEnd

Section "Zantrel"
  Call CloseZantrel
  SetOutPath "$INSTDIR"
  File "${BIN}/zantrel.exe"
  File "${BIN}/zantrel.chm"
  File "${BIN}/zantrel.hlp"
  File "${BIN}/license.txt"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ; Moved to another folder: the old one's files go.
  ${If} $PreviousFolder != ""
  ${AndIf} $PreviousFolder != $INSTDIR
    !insertmacro REMOVE_FILES $PreviousFolder
  ${EndIf}

  WriteRegStr HKLM "${MACHINE_KEY}" "Path" "$INSTDIR"
  CreateShortcut "$SMPROGRAMS\Zantrel.lnk" "$INSTDIR\zantrel.exe" "" "$INSTDIR\zantrel.exe" 0 \
    SW_SHOWNORMAL "" "Start the Zantrel program launcher"

  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Zantrel"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\zantrel.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; Started through Explorer, so that Zantrel runs with the user's own rights rather than
; with the setup program's elevated ones.
Function StartZantrel
  Exec '"$WINDIR\explorer.exe" "$INSTDIR\zantrel.exe"'
FunctionEnd

Function un.onInit
  SetShellVarContext all
FunctionEnd

Section "Uninstall"
  Call un.CloseZantrel
  !insertmacro REMOVE_FILES $INSTDIR
  Delete "$SMPROGRAMS\Zantrel.lnk"

  DeleteRegValue HKLM "${MACHINE_KEY}" "Path"
  DeleteRegKey /ifempty HKLM "${MACHINE_KEY}"
  DeleteRegKey /ifempty HKLM "${MAKER_KEY}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"

  ; The program writes this value itself while "start with Windows" is on; once the
  ; program is gone it would name a missing file at every logon.
  ReadRegStr $0 HKCU "${RUN_KEY}" "Zantrel"
  ${If} $0 == '"$INSTDIR\zantrel.exe"'
  ${OrIf} $0 == "$INSTDIR\zantrel.exe"
    DeleteRegValue HKCU "${RUN_KEY}" "Zantrel"
  ${EndIf}

  MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 \
    "Remove your Zantrel settings, aliases and history as well?" /SD IDNO IDNO keep
  DeleteRegKey HKCU "${USER_KEY}"
  DeleteRegKey /ifempty HKCU "${MAKER_KEY}"
  keep:
SectionEnd
