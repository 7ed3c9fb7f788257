// Closing the main window, Exit and Uninstall. Only Exit, Uninstall, a confirmed close from the
// notification area and the end of the user's session end the program.
#include "ui/common/messages.h"
#include "ui/common/program_files.h"
#include "ui/main/main_form.h"

namespace ui {

void frmRirAvadera::Form_QueryUnload(bool& Cancel, UnloadMode mode) {
  // The session's end is never refused and never asks: it ends the program as Exit does, so
  // that neither the shutdown waits nor the list is lost.
  const bool session_ending = mode == UnloadMode::kSessionEnding;
  if (session_ending) {
    m_blnExitRequested = true;
  }
  if (m_blnExitRequested) {
    if (session_ending) {
      if (!leave_unapplied_) {
        Apply();  // a failure is told, and the program ends all the same
      }
    } else if (!ApplyBeforeEnd()) {
      m_blnExitRequested = false;
      Cancel = true;
      return;
    }
    forms_.Unload(FormId::kLogin);
    forms_.Unload(FormId::kPassword);
    forms_.Unload(FormId::kMain);  // only lets the close under way complete
    return;
  }
  if (view_.GetWindowState() == WindowState::kMinimized) {
    const MsgBoxResult answer =
        services_.MsgBox(kExitQuestion, kExitCaption, MsgBoxButtons::kYesNo, MsgBoxIcon::kQuestion);
    if (answer == MsgBoxResult::kYes) {
      // Nothing is written on this way out, so a hosts file that cannot be written never
      // keeps it from ending.
      forms_.Unload(FormId::kMain);
    } else {
      Cancel = true;
    }
    return;
  }
  Cancel = true;
  MinimizeForm();
}

bool frmRirAvadera::ApplyBeforeEnd() {
  if (leave_unapplied_) {
    return true;  // asked and answered already, by the Exit that started this close
  }
  auto applied = ApplyList();
  if (applied) {
    return true;
  }
  // A copy that can never write the hosts file (no rights, a read-only file system, another
  // program's edit it must not drop) could otherwise never be ended; ending without the list
  // loses only the changes not applied, and the hosts file keeps what it holds.
  leave_unapplied_ =
      services_.MsgBox(ExitAnywayQuestion(applied.error()), kExitCaption, MsgBoxButtons::kYesNo,
                       MsgBoxIcon::kQuestion) == MsgBoxResult::kYes;
  return leave_unapplied_;
}

void frmRirAvadera::mmuExit_Click() {
  m_blnExitRequested = true;
  if (!ApplyBeforeEnd()) {
    m_blnExitRequested = false;  // nothing ends: the next close goes to the tray again
    return;
  }
  forms_.Unload(FormId::kPassword);
  forms_.Unload(FormId::kLogin);
  forms_.Unload(FormId::kMain);
}

void frmRirAvadera::mmuUninstall_Click() {
  ReadLock();
  if (lock_.RefusesUninstall()) {
    return;
  }
  auto folder = services_.ExecutableFolder();
  if (!folder) {
    ShowFailure(services_, Failure::kStartUninstaller, folder.error());
    return;
  }
  auto started = services_.StartProgram(UninstallerPathIn(*folder), WindowStyle::kMinimizedFocus);
  if (!started) {
    ShowFailure(services_, Failure::kStartUninstaller, started.error());
    return;
  }
  m_blnExitRequested = true;
  forms_.Unload(FormId::kMain);
}

}  // namespace ui
