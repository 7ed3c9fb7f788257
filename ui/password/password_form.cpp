#include "ui/password/password_form.h"

#include "ui/common/messages.h"
#include "ui/common/waiting.h"

namespace ui {

frmPassword::frmPassword(PasswordView& view, Forms& forms, PlatformServices& services)
    : view_(view), forms_(forms), services_(services) {}

void frmPassword::cmdSavePassword_Click() {
  const std::string password = view_.PasswordText();
  if (password != view_.ConfirmText()) {
    ShowMessage(services_, kPasswordsDoNotMatch);
  } else {
    m_strPassword = password;
    // The file keeps only a salted hash of the password.
    auto stored = WhileWaiting(services_, view_,
                               [this] { return services_.Files().StorePassword(m_strPassword); });
    if (stored) {
      ShowMessage(services_, kPasswordChanged);
    } else {
      ShowFailure(services_, Failure::kStorePassword, stored.error());
    }
  }
  forms_.Unload(FormId::kPassword);
}

}  // namespace ui
