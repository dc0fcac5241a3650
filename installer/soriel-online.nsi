; Per-user installer of Soriel online: no administrator rights, the program folder stays
; writable for main.ini, news.rtf and updates. Built by the CMake target "installer", which
; defines VERSION, BIN_DIR, ICON and OUTFILE, and SIGN_COMMAND when it signs.
Unicode true
Target amd64-unicode
RequestExecutionLevel user
SetCompressor /SOLID lzma
; The installer keeps no file times of the build: the same files make the same installer.
SetDateSave off

!include "MUI2.nsh"
!include "FileFunc.nsh"
!include "LogicLib.nsh"

!define PRODUCT "Soriel online"
!define PUBLISHER "Soriel Soft"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
; The program's hidden application window, and the single-instance guard's mutex.
!define APP_WINDOW_CLASS "SorielApplication"
!define APP_MUTEX "${PRODUCT}"

!ifdef SIGN_COMMAND
    !finalize '${SIGN_COMMAND} "%1"' = 0
    !uninstfinalize '${SIGN_COMMAND} "%1"' = 0
!endif

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
ShowInstDetails nevershow
ShowUninstDetails nevershow
BrandingText "${PRODUCT} ${VERSION}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_FINISHPAGE_RUN "$INSTDIR\main.exe"
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Czech"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=${LANG_CZECH} "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_CZECH} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_CZECH} "FileDescription" "Instalace programu ${PRODUCT}"
VIAddVersionKey /LANG=${LANG_CZECH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_CZECH} "LegalCopyright" "Freeware, ${PUBLISHER}"

; Asks a running copy to end as its own "Konec" would (it saves its news log), then waits
; until its process has let go of the guard's mutex.
!macro EndRunningCopy un
Function ${un}EndRunningCopy
    FindWindow $0 "${APP_WINDOW_CLASS}"
    ${If} $0 <> 0
        SendMessage $0 ${WM_CLOSE} 0 0 /TIMEOUT=10000
    ${EndIf}
    StrCpy $1 0
    ${Do}
        System::Call 'kernel32::OpenMutexW(i 0x00100000, i 0, w "${APP_MUTEX}") p .r2'
        ${If} $2 = 0
            Return
        ${EndIf}
        System::Call 'kernel32::CloseHandle(p r2)'
        ${If} $1 >= 100
            MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "Program ${PRODUCT} stále běží. Ukončete jej a zkuste to znovu." /SD IDCANCEL IDRETRY +2
            Abort
            StrCpy $1 0
        ${EndIf}
        Sleep 100
        IntOp $1 $1 + 1
    ${Loop}
FunctionEnd
!macroend
!insertmacro EndRunningCopy ""
!insertmacro EndRunningCopy "un."

Section "${PRODUCT}" SecProgram
    SectionIn RO
    SetShellVarContext current
    Call EndRunningCopy
    SetOutPath "$INSTDIR"
    ; main.ini, news.rtf and the archives of old news are the user's: the installer never ships
    ; or touches them.
    File "${BIN_DIR}/main.exe"
    File "${BIN_DIR}/orcoredll.dll"
    File "${BIN_DIR}/ticktock.wav"
    WriteUninstaller "$INSTDIR\uninstall.exe"
    CreateShortCut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\main.exe"

    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\main.exe,0"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "Spouštět při přihlášení" SecRun
    WriteRegStr HKCU "${RUN_KEY}" "${PRODUCT}" '"$INSTDIR\main.exe"'
SectionEnd

; An upgrade without the option removes a start-up entry left by an earlier install.
Function .onInstSuccess
    ${IfNot} ${SectionIsSelected} ${SecRun}
        DeleteRegValue HKCU "${RUN_KEY}" "${PRODUCT}"
    ${EndIf}
FunctionEnd

Section "Uninstall"
    SetShellVarContext current
    Call un.EndRunningCopy
    Delete "$INSTDIR\main.exe"
    Delete "$INSTDIR\orcoredll.dll"
    Delete "$INSTDIR\ticktock.wav"
    Delete "$SMPROGRAMS\${PRODUCT}.lnk"
    DeleteRegValue HKCU "${RUN_KEY}" "${PRODUCT}"
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
    ${If} ${FileExists} "$INSTDIR\news.rtf"
    ${OrIf} ${FileExists} "$INSTDIR\news-archive*.rtf"
    ${OrIf} ${FileExists} "$INSTDIR\main.ini"
        MessageBox MB_YESNO|MB_ICONQUESTION "Odstranit také vaše zprávy, jejich archiv a nastavení (news.rtf, news-archive*.rtf, main.ini)?" /SD IDNO IDNO keep
        Delete "$INSTDIR\news.rtf"
        Delete "$INSTDIR\news-archive*.rtf"
        Delete "$INSTDIR\main.ini"
        keep:
    ${EndIf}
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
SectionEnd
