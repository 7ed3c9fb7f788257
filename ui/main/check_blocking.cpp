// "Check Blocking...", also run after every Apply: each blocked name is looked up as a browser
// would look it up, and the names that still lead somewhere else are listed with why, where
// that is known; so are the names of the same sites that the list does not hold and that still
// reach them (the www companion, the mobile names, a known site's other names). And the warning
// about browsers that go past the hosts file altogether.
#include <algorithm>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "blocklist/host_name.h"
#include "ui/common/messages.h"
#include "ui/main/main_form.h"
#include "ui/main/other_names.h"

namespace ui {

namespace {

// A name found leading elsewhere, with every family it was found for.
struct Reached {
  blockcheck::Leak first;  // the first look-up that found it
  std::string families;    // "IPv4, IPv6"
};

// Each row that shows a name; `families`: what the "For" column says.
std::vector<std::string> LeakRow(const blockcheck::Leak& leak, std::string families,
                                 std::string why) {
  return {blocklist::ShownName(leak.name), std::move(families), leak.address, std::move(why)};
}

std::string WhyText(const blockcheck::Leak& leak) {
  std::string why(blockcheck::LeakReasonText(leak.reason));
  return leak.line == 0 ? why : why + " (line " + Grouped(leak.line) + ")";
}

// What holds for the whole list, then the leaks; then, apart under a heading, the other names
// that reach their sites: the only rows to pick, all picked at first, for the choose button to
// block. `comment_out`: the other button's text, for the lines that come first.
ListChoice LeakChoice(const std::vector<blockcheck::Finding>& findings,
                      const std::vector<blockcheck::Leak>& leaks,
                      const std::vector<blockcheck::BrowserFinding>& browsers,
                      const std::vector<Reached>& reachable, std::string_view prompt,
                      std::string_view comment_out) {
  ListChoice choice{.title = kCheckTitle,
                    .prompt = prompt,
                    .choose_button = reachable.empty() ? std::string_view() : kBlockTheseToo,
                    .columns = {"Website", "For", "Leads to", "Why"},
                    .multiple = !reachable.empty(),
                    .other_button = comment_out,
                    .other_width = 136,
                    .cancel_button = kCheckCloseButton,
                    .column_widths = {160, 72, 120, 272},
                    .client_width = 640,
                    .choose_width = 112,
                    .prompt_lines = 4};  // the causes found, the count, the other names
  choice.rows.reserve(findings.size() + leaks.size() + browsers.size() + reachable.size() + 2);
  for (const blockcheck::Finding& finding : findings) {
    choice.rows.push_back({FindingNamesText(finding),
                           std::string(blockcheck::FamilyText(finding.family)), finding.address,
                           std::string(blockcheck::LeakReasonText(finding.reason))});
  }
  for (const blockcheck::Leak& leak : leaks) {
    choice.rows.push_back(
        LeakRow(leak, std::string(blockcheck::FamilyText(leak.family)), WhyText(leak)));
  }
  if (!browsers.empty()) {
    choice.rows.push_back({std::string(kBrowsersHeading), "", "", ""});
  }
  for (const blockcheck::BrowserFinding& browser : browsers) {
    choice.rows.push_back({BrowserName(browser), "",
                           std::string(browser.may_bypass ? kGoesAround : kUsesHostsFile),
                           browser.why});
  }
  if (!reachable.empty()) {
    choice.rows.push_back({std::string(kAlsoReachableHeading), "", "", ""});
  }
  choice.selectable.assign(choice.rows.size(), false);
  for (const Reached& name : reachable) {
    choice.rows.push_back(LeakRow(name.first, name.families, std::string(kNotInTheList)));
    choice.selectable.push_back(true);
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
  std::vector<Reached> reachable;  // one row for each other name, its first address
  std::unordered_map<std::string, std::size_t> listed;  // where each is in `reachable`
  for (blockcheck::Leak& leak : check->Leaks()) {
    if (!other_set.contains(leak.name)) {
      leaks.push_back(std::move(leak));
    } else if (leak.address.empty()) {
      // Only an address proves that the name reaches the site; one that gave no answer in
      // time says nothing of it.
    } else if (const auto [at, added] = listed.try_emplace(leak.name, reachable.size()); added) {
      std::string families(blockcheck::FamilyText(leak.family));
      reachable.push_back({std::move(leak), std::move(families)});
    } else {
      reachable[at->second].families += ", " + std::string(blockcheck::FamilyText(leak.family));
    }
  }
  const std::string how =
      HowCheckedText(summary) + (bounded ? OthersBoundedText(kMostSitesLookedAround) : "");
  const std::vector<blockcheck::BrowserFinding> browsers = JudgeBrowsers();
  const bool around = std::any_of(browsers.begin(), browsers.end(),
                                  [](const auto& browser) { return browser.may_bypass; });
  // After an Apply, a browser that goes around is told beneath the notice: a window each time
  // would stand in the way of a user who chose to leave the browsers alone.
  if (leaks.empty() && reachable.empty() && summary.findings.empty() && (!asked || !around)) {
    // After an Apply, only bad news is worth a window; a check stopped early proves nothing.
    if (asked && !progress.cancelled) {
      ShowMessage(services_, AllBlockedText(count) + how + BrowserLinesText(browsers));
    }
    return;
  }
  const std::string prompt =
      CheckResultPrompt(leaks, summary.findings, reachable.size(), progress) +
      BrowsersPromptText(browsers) + how;
  const std::vector<std::size_t> lines = EarlierLines(leaks);
  const std::string comment_out = lines.empty() ? std::string() : CommentOutButton(lines);
  const ListChoice choice =
      LeakChoice(summary.findings, leaks, browsers, reachable, prompt, comment_out);
  const ListAnswer answer = services_.ChooseFromList(view_, choice);
  if (answer.button == ListAnswer::Button::kOther && !lines.empty()) {
    CommentOutLines(lines);
    return;
  }
  if (answer.button != ListAnswer::Button::kChoose) {
    return;
  }
  // "Block These Too": the names picked below the heading, as entries of their own; then the
  // Apply checks again, as every Apply does, and says how it went even when all is blocked,
  // since the user has just asked for it.
  const std::size_t first = choice.rows.size() - reachable.size();
  bool added = false;
  for (const std::size_t row : answer.rows) {
    if (row < first || row >= choice.rows.size() || !choice.Selectable(row)) {
      continue;
    }
    if (!AppendBlocked(reachable[row - first].first.name)) {
      break;
    }
    added = true;
  }
  ShowList();
  if (added && Apply()) {
    CheckBlocking(true);
  }
}

std::vector<blockcheck::BrowserFinding> frmRirAvadera::JudgeBrowsers() const {
  blockcheck::BrowserPlaces places = services_.WhereBrowsersAre();
  if (const auto stamp = HostsStamp()) {
    places.hosts_bytes = static_cast<std::size_t>(stamp->size);
  }
  return blockcheck::JudgeBrowsers(places);
}

void frmRirAvadera::ShowBrowserWarning() {
  view_.SetBrowserWarning(BrowserWarningText(JudgeBrowsers()));
}

}  // namespace ui
