// "Check Blocking...", also run after every Apply: each blocked name is looked up as a browser
// would look it up, and the names that still lead somewhere else are listed with why, where
// that is known; so are the names of the same sites that the list does not hold and that still
// reach them (the www companion, the mobile names, a known site's other names). And the warning
// about browsers that go past the hosts file altogether.
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

#include "blocklist/host_name.h"
#include "ui/common/messages.h"
#include "ui/main/main_form.h"
#include "ui/main/other_names.h"

namespace ui {

namespace {

std::vector<std::string> LeakRow(const blockcheck::Leak& leak, std::string why) {
  return {blocklist::ShownName(leak.name), std::string(blockcheck::FamilyText(leak.family)),
          leak.address, std::move(why)};
}

std::string WhyText(const blockcheck::Leak& leak) {
  std::string why(blockcheck::LeakReasonText(leak.reason));
  return leak.line == 0 ? why : why + " (line " + Grouped(leak.line) + ")";
}

// What holds for the whole list, then the leaks; then, apart, the other names that reach their
// sites, which the choose button blocks.
ListChoice LeakChoice(const std::vector<blockcheck::Finding>& findings,
                      const std::vector<blockcheck::Leak>& leaks,
                      const std::vector<blockcheck::Leak>& reachable, std::string_view prompt) {
  ListChoice choice{.title = kCheckTitle,
                    .prompt = prompt,
                    .choose_button = reachable.empty() ? std::string_view() : kBlockTheseToo,
                    .columns = {"Website", "For", "Leads to", "Why"},
                    .cancel_button = kCheckCloseButton,
                    .column_widths = {160, 48, 120, 296},
                    .client_width = 640,
                    .choose_width = 112};
  choice.rows.reserve(findings.size() + leaks.size() + reachable.size() + 1);
  for (const blockcheck::Finding& finding : findings) {
    choice.rows.push_back({FindingNamesText(finding),
                           std::string(blockcheck::FamilyText(finding.family)), finding.address,
                           std::string(blockcheck::LeakReasonText(finding.reason))});
  }
  for (const blockcheck::Leak& leak : leaks) {
    choice.rows.push_back(LeakRow(leak, WhyText(leak)));
  }
  if (!reachable.empty()) {
    choice.rows.push_back({std::string(kAlsoReachableHeading), "", "", ""});
  }
  for (const blockcheck::Leak& leak : reachable) {
    choice.rows.push_back(LeakRow(leak, std::string(kNotInTheList)));
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
  bool bounded = false;
  const std::vector<std::string> others = OtherNamesOfSites(names, list_, known_sites_, bounded);
  const std::unordered_set<std::string> other_set(others.begin(), others.end());
  names.insert(names.end(), others.begin(), others.end());
  auto path = hosts_.Path();
  const std::unique_ptr<BlockCheckRun> check =
      services_.StartBlockCheck(std::move(names), count, path ? *path : std::string{});
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
  const blockcheck::CheckSummary summary = check->Summary();
  std::vector<blockcheck::Leak> leaks;
  std::vector<blockcheck::Leak> reachable;  // one row for each other name, its first address
  std::unordered_set<std::string> listed;
  for (blockcheck::Leak& leak : check->Leaks()) {
    if (!other_set.contains(leak.name)) {
      leaks.push_back(std::move(leak));
    } else if (!leak.address.empty() && listed.insert(leak.name).second) {
      // Only an address proves that the name reaches the site; one that gave no answer in
      // time says nothing of it.
      reachable.push_back(std::move(leak));
    }
  }
  const std::string how =
      HowCheckedText(summary) + (bounded ? OthersBoundedText(kMostSitesLookedAround) : "");
  if (leaks.empty() && reachable.empty() && summary.findings.empty()) {
    // After an Apply, only bad news is worth a window; a check stopped early proves nothing.
    if (asked && !progress.cancelled) {
      ShowMessage(services_, AllBlockedText(count) + how);
    }
    return;
  }
  const std::string prompt =
      CheckResultPrompt(leaks.size() + summary.findings.size(), reachable.size(), progress) + how;
  const auto chosen =
      services_.ChooseFromList(view_, LeakChoice(summary.findings, leaks, reachable, prompt));
  if (!chosen || reachable.empty()) {
    return;
  }
  // "Block These Too": every name listed apart, as entries of their own, and applied.
  for (const blockcheck::Leak& leak : reachable) {
    if (!AppendBlocked(leak.name)) {
      break;
    }
  }
  view_.ShowRows(list_);
  Apply();
}

void frmRirAvadera::ShowBrowserWarning() {
  view_.SetBrowserWarning(BrowserWarningText(services_.FindBrowsersThatBypassHosts()));
}

}  // namespace ui
