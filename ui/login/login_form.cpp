#include "ui/login/login_form.h"

#include "ui/common/messages.h"
#include "ui/common/waiting.h"
#include "ui/main/main_form.h"

namespace ui {

namespace {

// Where the password is checked by another process, that process reads the state file only
// then: a file it cannot read lets nobody in, as one this window cannot read at its load.
bool IsReadFailure(rir::ErrorCode code) {
  switch (code) {
    case rir::ErrorCode::kOpenForReading:
    case rir::ErrorCode::kRead:
    case rir::ErrorCode::kNotRegularFile:
    case rir::ErrorCode::kTooLarge:
    case rir::ErrorCode::kUnclearPassword:
    case rir::ErrorCode::kExecutableFolderUnknown:
      return true;
    default:
      return false;
  }
}

}  // namespace

frmLogin::frmLogin(LoginView& view, Forms& forms, PlatformServices& services)
    : view_(view), forms_(forms), services_(services) {}

void frmLogin::Form_Load() {
  auto stored = WhileWaiting(services_, view_, [this] { return services_.Files().ReadPassword(); });
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
  } else if (auto matches = WhileWaiting(
                 services_, view_,
                 [&] { return services_.Files().PasswordMatches(attempt, m_strPassword); });
             !matches) {
    if (matches.error().code == rir::ErrorCode::kTooManyWrongPasswords) {
      ShowMessage(services_, TooManyWrongPasswordsText(matches.error()));
    } else if (matches.error().code == rir::ErrorCode::kDamagedPasswordHash) {
      rir::Error damaged = matches.error();
      if (damaged.path.empty()) {
        damaged.path = m_strPassword.path;
      }
      ShowFailure(services_, Failure::kDamagedPassword, damaged);
    } else if (IsReadFailure(matches.error().code)) {
      ShowFailure(services_, Failure::kReadPassword, matches.error());
    } else {
      ShowFailure(services_, Failure::kCheckPassword, matches.error());
    }
  } else if (*matches) {
    frmRirAvadera& main = forms_.Main();
    main.view().SetWindowState(WindowState::kNormal);
    services_.SetForegroundWindow(main.view());
    main.view().Show();
    // The login window goes before the main window tells anything, or it stays on screen
    // behind the box.
    forms_.Unload(FormId::kLogin);
    main.ReportLoad();
    return;
  } else {
    ShowMessage(services_, kPasswordIncorrect);
  }
  forms_.Unload(FormId::kLogin);
}

}  // namespace ui
