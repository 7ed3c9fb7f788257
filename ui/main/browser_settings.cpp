// "Leave Browser Settings Alone": a managed policy makes Chromium-family browsers say they are
// managed by an organisation, which not everyone wants; the password's holder may have us leave
// the browsers alone, and take that back.
#include "ui/common/messages.h"
#include "ui/common/program_files.h"
#include "ui/common/waiting.h"
#include "ui/main/main_form.h"

namespace ui {

void frmRirAvadera::mmuBrowserSettings_Click() {
  auto path = hosts_.Path();
  if (!path) {
    ShowFailure(services_, Failure::kBrowserSettings, path.error());
    return;
  }
  const bool leave_alone = !BrowsersLeftAlone(services_);
  if (leave_alone && lock_.RefusesLeavingBrowsersAlone()) {
    view_.SetBrowsersLeftAlone(false);  // a checked item may have checked itself
    return;
  }
  auto chosen = WhileWaiting(services_, view_, [&] {
    return services_.Files().ChooseBrowserSettings(*path, leave_alone);
  });
  // The record says what was chosen, whether or not every policy followed.
  view_.SetBrowsersLeftAlone(BrowsersLeftAlone(services_));
  if (!chosen && chosen.error().code == rir::ErrorCode::kLocked) {
    ShowMessage(services_, rir::DescribeError(chosen.error()) + ".", MsgBoxIcon::kCritical);
  } else if (!chosen) {
    ShowFailure(services_, Failure::kBrowserSettings, chosen.error());
  } else {
    ShowMessage(services_, leave_alone ? kBrowsersLeftAlone : kBrowsersKeptToHostsFile);
  }
  ShowBrowserWarning();
}

}  // namespace ui
