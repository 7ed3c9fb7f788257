; RirAvadera-Setup.exe: puts RirAvadera.exe under Program Files with the state file that marks
; its first run and the uninstaller unins000.exe beside it, a Start-menu shortcut, an entry in the
; list of installed programs, a scheduled task that starts it at logon with administrator
; rights (Windows does not start an elevated program from the Run key), and the keeper of the
; blocks, RirAvaderaKeeper.exe, a service that runs as the local system from boot. The uninstaller
; refuses to run while the blocks are locked.
;
; makensis -DVERSION=x.y.z -DPROGRAM=RirAvadera.exe -DKEEPER=RirAvaderaKeeper.exe -DICON=icon.ico
;   -DOUTFILE=Setup.exe setup.nsi

; A 64-bit installer for a 64-bit program: it needs no 32-bit layer of Windows (or of Wine).
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!include "LogicLib.nsh"
; LogicLib's own labels, some of which its loops leave unused; every other warning is an error.
!pragma warning disable 6012
!include "x64.nsh"
!include "FileFunc.nsh"

!define PRODUCT "Tamborelle Website Durezur"
!define SHORT_NAME "Tamborelle Rir Avadera"
!define PUBLISHER "Tamborelle"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\TamborelleRirAvadera"
!define TASK "Tamborelle Rir Avadera"
!define SERVICE "TamborelleRirAvaderaKeeper"
; Held by the running program (its one-copy mutex).
!define RUNNING_MUTEX "Local\TamborelleRirAvadera.Running"
; How long a silent run waits for a running copy to end, in half seconds.
!define WAIT_STEPS 40

Name "${PRODUCT}"
OutFile "${OUTFILE}"
Icon "${ICON}"
UninstallIcon "${ICON}"
InstallDir "$PROGRAMFILES64\${SHORT_NAME}"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "${PUBLISHER}"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

; Waits until no copy of the program runs: the program ends by itself after its own Uninstall
; has started this uninstaller. A user is asked to exit it; a silent run gives up after a while.
!macro WAIT_FOR_PROGRAM un
Function ${un}WaitForProgram
  StrCpy $1 0
  ${Do}
    System::Call 'kernel32::OpenMutexW(i 0x00100000, i 0, w "${RUNNING_MUTEX}") p .r0'
    ${If} $0 P= 0
      Return
    ${EndIf}
    System::Call 'kernel32::CloseHandle(p r0)'
    IntOp $1 $1 + 1
    ${If} $1 >= ${WAIT_STEPS}
      ${If} ${Silent}
        SetErrorLevel 3
        Quit
      ${EndIf}
      MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \
        "${SHORT_NAME} is running. Exit it (File, Exit), then choose Retry." IDRETRY retry
      SetErrorLevel 3
      Quit
      retry:
      StrCpy $1 0
    ${EndIf}
    Sleep 500
  ${Loop}
FunctionEnd
!macroend
!insertmacro WAIT_FOR_PROGRAM ""
!insertmacro WAIT_FOR_PROGRAM "un."

Function .onInit
  ${If} ${RunningX64}
    SetRegView 64
  ${EndIf}
FunctionEnd

Function un.onInit
  ${If} ${RunningX64}
    SetRegView 64
  ${EndIf}
  ; A lock holds against everyone until it ends: uninstalling would lift it.
  nsExec::ExecToStack '"$INSTDIR\RirAvaderaKeeper.exe" --lock-state'
  Pop $0
  Pop $1
  ${If} $0 == 3
    MessageBox MB_OK|MB_ICONSTOP "${SHORT_NAME} cannot be uninstalled now. $1" /SD IDOK
    SetErrorLevel 4
    Quit
  ${EndIf}
FunctionEnd

; The keeper is stopped before its file is replaced or removed.
!macro STOP_KEEPER
  nsExec::ExecToLog '"$SYSDIR\sc.exe" stop ${SERVICE}'
  Pop $0
  Sleep 1000
!macroend

Section "Install"
  SetShellVarContext all
  Call WaitForProgram
  !insertmacro STOP_KEEPER
  SetOutPath "$INSTDIR"
  File "/oname=RirAvadera.exe" "${PROGRAM}"
  File "/oname=RirAvaderaKeeper.exe" "${KEEPER}"
  File "/oname=sites.txt" "${SITES}"
  ; The mark of the first run. A state file that is there already holds the password and stays.
  ${IfNot} ${FileExists} "$INSTDIR\state.dll"
    FileOpen $0 "$INSTDIR\state.dll" w
    FileWrite $0 "[settings]$\r$\nfirstrun=true$\r$\n"
    FileClose $0
  ${EndIf}
  ; Readable by Administrators and SYSTEM only, nothing inherited from Program Files (which lets
  ; every user read): the password's hash joins it later. A file kept from an older version is
  ; made so too; the program sets the same access list whenever it writes the file.
  nsExec::ExecToLog '"$SYSDIR\icacls.exe" "$INSTDIR\state.dll" /inheritance:r /grant:r *S-1-5-32-544:F *S-1-5-18:F'
  Pop $0
  ${If} $0 != 0
    DetailPrint "The state file's access list could not be set (icacls: $0)."
    SetErrorLevel 2
  ${EndIf}
  WriteUninstaller "$INSTDIR\unins000.exe"

  CreateShortcut "$SMPROGRAMS\${SHORT_NAME}.lnk" "$INSTDIR\RirAvadera.exe"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\RirAvadera.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\unins000.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\unins000.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1

  ; At the logon of any user, with the highest rights that user has. The task's definition goes
  ; to schtasks as XML, in UTF-16 as it expects.
  InitPluginsDir
  FileOpen $0 "$PLUGINSDIR\task.xml" w
  FileWriteWord $0 0xFEFF
  FileWriteUTF16LE $0 '<?xml version="1.0" encoding="UTF-16"?>$\r$\n'
  FileWriteUTF16LE $0 '<Task version="1.2" xmlns="http://schemas.microsoft.com/windows/2004/02/mit/task">$\r$\n'
  FileWriteUTF16LE $0 '  <RegistrationInfo><Description>Starts ${SHORT_NAME} in the notification area.</Description></RegistrationInfo>$\r$\n'
  FileWriteUTF16LE $0 '  <Triggers><LogonTrigger><Enabled>true</Enabled></LogonTrigger></Triggers>$\r$\n'
  FileWriteUTF16LE $0 '  <Principals><Principal id="Users"><GroupId>S-1-5-32-545</GroupId><RunLevel>HighestAvailable</RunLevel></Principal></Principals>$\r$\n'
  FileWriteUTF16LE $0 '  <Settings><MultipleInstancesPolicy>IgnoreNew</MultipleInstancesPolicy><DisallowStartIfOnBatteries>false</DisallowStartIfOnBatteries><StopIfGoingOnBatteries>false</StopIfGoingOnBatteries><ExecutionTimeLimit>PT0S</ExecutionTimeLimit></Settings>$\r$\n'
  FileWriteUTF16LE $0 '  <Actions Context="Users"><Exec><Command>"$INSTDIR\RirAvadera.exe"</Command></Exec></Actions>$\r$\n'
  FileWriteUTF16LE $0 '</Task>$\r$\n'
  FileClose $0
  nsExec::ExecToLog '"$SYSDIR\schtasks.exe" /Create /TN "${TASK}" /XML "$PLUGINSDIR\task.xml" /F'
  Pop $0
  ${If} $0 != 0
    DetailPrint "The logon task could not be made (schtasks: $0)."
    SetErrorLevel 2
  ${EndIf}

  ; The keeper of the blocks: from boot, as the local system, started again a second after it
  ; ends for any reason. An upgrade finds it made already, and points it at the new file where
  ; the system lets it (the folder is the same one as a rule).
  nsExec::ExecToLog '"$SYSDIR\sc.exe" create ${SERVICE} binPath= "\"$INSTDIR\RirAvaderaKeeper.exe\"" start= auto DisplayName= "${SHORT_NAME} Keeper"'
  Pop $0
  ${If} $0 != 0
    nsExec::ExecToLog '"$SYSDIR\sc.exe" config ${SERVICE} binPath= "\"$INSTDIR\RirAvaderaKeeper.exe\"" start= auto'
    Pop $0
  ${EndIf}
  nsExec::ExecToLog '"$SYSDIR\sc.exe" failure ${SERVICE} reset= 86400 actions= restart/1000/restart/1000/restart/1000'
  Pop $0
  nsExec::ExecToLog '"$SYSDIR\sc.exe" start ${SERVICE}'
  Pop $0
  nsExec::ExecToLog '"$SYSDIR\sc.exe" query ${SERVICE}'
  Pop $0
  ${If} $0 != 0
    DetailPrint "The keeper of the blocks could not be installed (sc: $0)."
    SetErrorLevel 2
  ${EndIf}
SectionEnd

Section "Uninstall"
  SetShellVarContext all
  Call un.WaitForProgram
  ; The browsers' policies the program set while websites were blocked: nothing would take them
  ; back once it is gone. Policies of anyone else stay.
  nsExec::ExecToLog '"$INSTDIR\RirAvaderaKeeper.exe" --remove-browser-policies'
  Pop $0
  ${If} $0 != 0
    DetailPrint "The browsers' policies could not all be taken back (keeper: $0)."
    SetErrorLevel 2
  ${EndIf}
  nsExec::ExecToLog '"$SYSDIR\schtasks.exe" /Delete /TN "${TASK}" /F'
  Pop $0
  !insertmacro STOP_KEEPER
  nsExec::ExecToLog '"$SYSDIR\sc.exe" delete ${SERVICE}'
  Pop $0
  Delete "$SMPROGRAMS\${SHORT_NAME}.lnk"
  Delete "$INSTDIR\RirAvadera.exe"
  Delete "$INSTDIR\RirAvaderaKeeper.exe"
  Delete "$INSTDIR\sites.txt"
  Delete "$INSTDIR\state.dll"
  Delete "$INSTDIR\unins000.exe"
  ; The count of wrong passwords; an ended lock's record, the names the last Apply left blocked,
  ; what the keeper last put back, the record of the browsers' policies (taken back above) and the
  ; weekly schedule.
  Delete "$INSTDIR\failed-logins"
  Delete "$INSTDIR\lock"
  Delete "$INSTDIR\lock-names"
  Delete "$INSTDIR\applied-blocks"
  Delete "$INSTDIR\put-back"
  Delete "$INSTDIR\browser-policies"
  Delete "$INSTDIR\schedule"
  ; The hosts file's earlier texts that the program kept; the hosts file itself stays.
  Delete "$INSTDIR\history\*.hosts"
  Delete "$INSTDIR\history\*.hosts.partial"
  RMDir "$INSTDIR\history"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  ; The hosts file stays as the program last wrote it: its entries remain in force.
SectionEnd
