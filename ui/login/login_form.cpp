#include "ui/login/login_form.h"

#include "settings/password.h"
#include "ui/common/messages.h"
#include "ui/common/program_files.h"
#include "ui/main/main_form.h"

namespace ui {

frmLogin::frmLogin(LoginView& view, Forms& forms, PlatformServices& services)
    : view_(view), forms_(forms), services_(services) {}

void frmLogin::Form_Load() {
  auto state = StateFileBesideProgram(services_);
  if (!state) {
    m_readFailure = state.error();
    return;
  }
  if (auto path = state->Path()) {
    state_path_ = std::move(*path);
  }
  auto stored = state->ReadPassword();
  if (!stored) {
    // Never the empty password: a file that cannot be read lets nobody in.
    m_readFailure = stored.error();
    return;
  }
  m_strPassword = std::move(*stored);
}

void frmLogin::txtPassword_KeyDown(std::int16_t KeyCode, std::int16_t /*Shift*/) {
  if (KeyCode == kKeyEnter) {
    cmdLogin_Click();
  }
}

void frmLogin::cmdLogin_Click() {
  const std::string attempt = view_.PasswordText();
  if (m_readFailure) {
    ShowFailure(services_, Failure::kReadPassword, *m_readFailure);
  } else if (auto matches = settings::PasswordMatches(attempt, m_strPassword); !matches) {
    if (matches.error().code == rir::ErrorCode::kDamagedPasswordHash) {
      rir::Error damaged = matches.error();
      damaged.path = state_path_;
      ShowFailure(services_, Failure::kDamagedPassword, damaged);
    } else {
      ShowFailure(services_, Failure::kCheckPassword, matches.error());
    }
  } else if (*matches) {
    frmRirAvadera& main = forms_.Main();
    main.view().SetWindowState(WindowState::kNormal);
    services_.SetForegroundWindow(main.view());
    main.view().Show();
    main.ReportLoad();
  } else {
    ShowMessage(services_, kPasswordIncorrect);
  }
  forms_.Unload(FormId::kLogin);
}

}  // namespace ui
