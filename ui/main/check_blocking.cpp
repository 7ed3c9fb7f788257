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
#include "blocklist/registrable_name.h"
#include "ui/common/messages.h"
#include "ui/main/main_form.h"

namespace ui {

namespace {

std::vector<std::string> LeakRow(const blockcheck::Leak& leak, std::string why) {
  return {leak.name, std::string(blockcheck::FamilyText(leak.family)), leak.address,
          std::move(why)};
}

// The leaks; then, apart, the other names that reach their sites, which the choose button blocks.
ListChoice LeakChoice(const std::vector<blockcheck::Leak>& leaks,
                      const std::vector<blockcheck::Leak>& reachable, std::string_view prompt) {
  ListChoice choice{.title = kCheckTitle,
                    .prompt = prompt,
                    .choose_button = reachable.empty() ? std::string_view() : kBlockTheseToo,
                    .columns = {"Website", "For", "Leads to", "Why"},
                    .cancel_button = kCheckCloseButton,
                    .column_widths = {176, 48, 144, 228},
                    .client_width = 640};
  choice.rows.reserve(leaks.size() + reachable.size() + 1);
  for (const blockcheck::Leak& leak : leaks) {
    choice.rows.push_back(LeakRow(leak, std::string(blockcheck::LeakReasonText(leak.reason))));
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

std::vector<std::string> frmRirAvadera::OtherNamesOfSites(const std::vector<std::string>& sites,
                                                          bool& bounded) const {
  bounded = sites.size() > kMostSitesLookedAround;
  std::vector<std::string> others;
  std::unordered_set<std::string> seen;
  const auto consider = [&](const std::string& name) {
    if (!Holds(name) && seen.insert(name).second) {
      others.push_back(name);
    }
  };
  // The websites added last are the last in the list.
  const std::size_t first = bounded ? sites.size() - kMostSitesLookedAround : 0;
  for (std::size_t i = first; i < sites.size(); ++i) {
    auto host = blocklist::HostNameOf(sites[i]);
    if (!host) {
      continue;  // a line of the file that names no host has no other names either
    }
    const auto companion = blocklist::CompanionName(*host);
    if (companion) {
      consider(*companion);
    }
    if (const auto registrable = blocklist::RegistrableName(*host)) {
      consider("m." + *registrable);
      consider("mobile." + *registrable);
    }
    for (const std::string& site : {*host, companion.value_or(std::string())}) {
      for (const std::string& name : known_sites_.OtherNames(site)) {
        consider(name);
      }
    }
  }
  return others;
}

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
  const std::vector<std::string> others = OtherNamesOfSites(names, bounded);
  const std::unordered_set<std::string> other_set(others.begin(), others.end());
  names.insert(names.end(), others.begin(), others.end());
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
  if (leaks.empty() && reachable.empty()) {
    // After an Apply, only bad news is worth a window; a check stopped early proves nothing.
    if (asked && !progress.cancelled) {
      ShowMessage(services_, AllBlockedText(count) +
                                 (bounded ? OthersBoundedText(kMostSitesLookedAround) : ""));
    }
    return;
  }
  const std::string prompt = CheckResultPrompt(leaks.size(), reachable.size(), progress) +
                             (bounded ? OthersBoundedText(kMostSitesLookedAround) : "");
  const auto chosen = services_.ChooseFromList(view_, LeakChoice(leaks, reachable, prompt));
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
