; The player's installer: per user, no administrator rights, into the user's
; own programs folder. The game writes its score file and move log in its
; working directory, which must be writable, so Program Files will not do.
; makensis is given /DVERSION=... /DSTAGE=folder-with-the-files /DOUTFILE=...

Unicode true
SetCompressor /SOLID lzma
RequestExecutionLevel user

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Zandrek"

Name "Zandrek ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Zandrek"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "Zandrek"
VIAddVersionKey "FileDescription" "Zandrek Setup"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "CompanyName" "Ostrovane Software Inc."
VIAddVersionKey "LegalCopyright" "Ostrovane Software Inc."

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Section "Zandrek"
    SetShellVarContext current
    SetOutPath "$INSTDIR"
    File "${STAGE}/zandrek.exe"
    File "${STAGE}/Zandrek.map"
    File "${STAGE}/lantern_docks.zrp"
    File "${STAGE}/zandhelp.html"
    File "${STAGE}/README.txt"
    WriteUninstaller "$INSTDIR\uninstall.exe"

    ; The shortcut's start-in folder is the output path: the install folder.
    CreateDirectory "$SMPROGRAMS\Zandrek"
    CreateShortcut "$SMPROGRAMS\Zandrek\Zandrek.lnk" "$INSTDIR\zandrek.exe" "" "$INSTDIR\zandrek.exe" 0
    CreateShortcut "$SMPROGRAMS\Zandrek\Read Me.lnk" "$INSTDIR\README.txt"
    CreateShortcut "$SMPROGRAMS\Zandrek\Uninstall Zandrek.lnk" "$INSTDIR\uninstall.exe"

    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Zandrek"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Ostrovane Software Inc."
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\zandrek.exe"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; Only what the installer put there goes: the player's score file, move log
; and added packs stay, and so does the folder while they are in it.
Section "Uninstall"
    SetShellVarContext current
    Delete "$INSTDIR\zandrek.exe"
    Delete "$INSTDIR\Zandrek.map"
    Delete "$INSTDIR\lantern_docks.zrp"
    Delete "$INSTDIR\zandhelp.html"
    Delete "$INSTDIR\README.txt"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
    Delete "$SMPROGRAMS\Zandrek\Zandrek.lnk"
    Delete "$SMPROGRAMS\Zandrek\Read Me.lnk"
    Delete "$SMPROGRAMS\Zandrek\Uninstall Zandrek.lnk"
    RMDir "$SMPROGRAMS\Zandrek"
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
