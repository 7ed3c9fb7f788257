// "Check Blocking...", also run after every Apply: each blocked name is looked up as a browser
// would look it up, and the names that still lead somewhere else are listed with why, where
// that is known. And the warning about browsers that go past the hosts file altogether.
#include <string>
#include <utility>
#include <vector>

#include "ui/common/messages.h"
#include "ui/main/main_form.h"

namespace ui {

namespace {

ListChoice LeakChoice(const std::vector<blockcheck::Leak>& leaks, std::string_view prompt) {
  // Only to be read: its one button closes it.
  ListChoice choice{.title = kCheckTitle,
                    .prompt = prompt,
                    .columns = {"Website", "For", "Leads to", "Why"},
                    .cancel_button = kCheckCloseButton,
                    .column_widths = {176, 48, 144, 228},
                    .client_width = 640};
  choice.rows.reserve(leaks.size());
  for (const blockcheck::Leak& leak : leaks) {
    choice.rows.push_back({leak.name, std::string(blockcheck::FamilyText(leak.family)),
                           leak.address, std::string(blockcheck::LeakReasonText(leak.reason))});
  }
  return choice;
}

}  // namespace

void frmRirAvadera::mmuCheckBlocking_Click() {
  CheckBlocking(true);
}

void frmRirAvadera::CheckBlocking(bool asked) {
  std::vector<std::string> names;
  for (std::size_t i = 0; i < list_.size(); ++i) {
    if (const blocklist::Entry entry = list_[i]; entry.status == blocklist::Status::kBlocked) {
      names.emplace_back(entry.website);
    }
  }
  if (names.empty()) {
    if (asked) {
      ShowMessage(services_, kNothingToCheck);
    }
    return;
  }
  const std::size_t count = names.size();
  auto path = hosts_.Path();
  const std::unique_ptr<BlockCheckRun> check =
      services_.StartBlockCheck(std::move(names), path ? *path : std::string{});
  services_.WatchProgress(view_, ProgressWatch{.title = kCheckTitle,
                                               .poll =
                                                   [&check] {
                                                     const auto progress = check->progress();
                                                     return ProgressState{
                                                         CheckProgressText(progress), progress.done,
                                                         progress.total, progress.finished};
                                                   },
                                               .cancel = [&check] { check->Cancel(); }});
  const blockcheck::BlockCheckProgress progress = check->progress();
  const std::vector<blockcheck::Leak> leaks = check->Leaks();
  if (leaks.empty()) {
    // After an Apply, only bad news is worth a window; a check stopped early proves nothing.
    if (asked && !progress.cancelled) {
      ShowMessage(services_, AllBlockedText(count));
    }
    return;
  }
  const std::string prompt = LeaksPrompt(leaks.size(), progress);
  services_.ChooseFromList(view_, LeakChoice(leaks, prompt));
}

void frmRirAvadera::ShowBrowserWarning() {
  view_.SetBrowserWarning(BrowserWarningText(services_.FindBrowsersThatBypassHosts()));
}

}  // namespace ui
