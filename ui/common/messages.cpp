#include "ui/common/messages.h"

#include <algorithm>

#include "blocklist/host_name.h"
#include "lock/lock_length.h"

namespace ui {

namespace {

std::string_view Consequence(Failure failure) {
  switch (failure) {
    case Failure::kLoadHosts:
      return "The hosts file could not be read, so the list does not show what it holds. Apply "
             "will not write over it.";
    case Failure::kApply:
      return "The list was not applied: the hosts file is as it was.";
    case Failure::kSaveOnly:
      return "The hosts text was not saved: the hosts file is as it was.";
    case Failure::kAddWebsite:
      return "The website was not added.";
    case Failure::kReadPassword:
      return "The stored password could not be read, so no password can be accepted.";
    case Failure::kCheckPassword:
      return "The password could not be checked.";
    case Failure::kDamagedPassword:
      return "The stored password is damaged, so no password can be accepted until an "
             "administrator repairs the state file or removes its \"pwd\" line.";
    case Failure::kStorePassword:
      return "The password was not changed.";
    case Failure::kWriteFirstRun:
      return "The first start could not be recorded; the list was left as the hosts file holds "
             "it.";
    case Failure::kStartUninstaller:
      return "The uninstaller was not started; nothing was changed.";
    case Failure::kKeepHistory:
      return "The hosts file was written, but the text it held before could not be kept, so "
             "this change cannot be undone with \"Restore Hosts File...\". This is not told "
             "again until the program starts again.";
    case Failure::kListHistory:
      return "The earlier hosts files could not be listed; nothing was changed.";
    case Failure::kFlushResolverCaches:
      return "The list was applied, but a cache of names could not be emptied: until it forgets "
             "them by itself, names looked up before may still reach their sites. This is not "
             "told again until the program starts again.";
    case Failure::kRestore:
      return "The hosts file was not restored: it and the list are as they were.";
    case Failure::kLock:
      return "The blocks were not locked.";
    case Failure::kBrowserSettings:
      return "The browsers' DNS over HTTPS could not be kept off, so a browser may go around the "
             "blocks.";
    case Failure::kImport:
      return "The websites were not imported; the list is as it was.";
    case Failure::kExport:
      return "The websites were not exported.";
    case Failure::kReadSchedule:
      return "The schedule could not be read, so the window cannot tell which entries it covers; "
             "the system still switches them at its hours.";
    case Failure::kReadLock:
      return "Whether the blocks are locked could not be read, so the window cannot tell which "
             "entries the lock holds; the system still refuses any change that would lift them.";
    case Failure::kCommentOut:
      return "The line was not commented out: the hosts file is as it was.";
    case Failure::kBlockAgain:
      return "Another program changed the hosts file, and the blocks it took out could not be "
             "put back. This is not told again until the program starts again.";
    case Failure::kRecordBlocks:
      return "The list was applied, but which entries it blocks could not be recorded, so blocks "
             "that another program takes out are not put back until the next Apply. This is not "
             "told again until the program starts again.";
    case Failure::kReadKnownSites:
      return "The list of sites that are reached through other names too could not be read, so "
             "adding one of them offers no other names.";
  }
  return "The command did not complete.";
}

}  // namespace

std::string FailureText(Failure failure, const rir::Error& error) {
  // A save that could not put the old text back must not claim the file is as it was.
  std::string text(error.code == rir::ErrorCode::kLeftPartWritten
                       ? "The list was not applied, and the hosts file could not be put back as it "
                         "was."
                       : Consequence(failure));
  text += "\n\n";
  text += rir::DescribeError(error);
  if (text.back() != '.') {
    text += '.';
  }
  return text;
}

std::string ExitAnywayQuestion(const rir::Error& error) {
  // The error's one line rather than the failure box's two paragraphs: those open by saying that
  // the list was not applied, which the question says already, and the answer depends only on
  // what failed and why.
  std::string reason = rir::DescribeError(error);
  if (!reason.empty() && reason.back() == '.') {
    reason.pop_back();
  }
  return "The list was not applied: " + reason + ". Exit anyway?";
}

std::string TooManyWrongPasswordsText(const rir::Error& error) {
  return "Too many wrong passwords: " + error.reason + ".";
}

std::string AddedText(std::string_view typed, std::string_view host,
                      const std::vector<std::string>& also) {
  const std::string shown = blocklist::ShownName(host);
  std::string text = "Added " + shown;
  if (typed != host && typed != shown) {
    text += " (the name the system looks up for \"" + std::string(typed) + "\")";
  }
  for (std::size_t i = 0; i < also.size(); ++i) {
    text += (i == 0 ? " and " : ", ") + blocklist::ShownName(also[i]);
  }
  return text + (also.empty() ? "." : ", the site's other usual name.");
}

std::string OtherNamesAddedText(std::string_view site, std::size_t count) {
  return "Also blocked: " + Grouped(count) + " other " + (count == 1 ? "name" : "names") + " of " +
         blocklist::ShownName(site) + ".";
}

std::string PairQuestion(PairChange change, std::string_view name, std::string_view companion) {
  const std::string other = blocklist::ShownName(companion);
  const std::string shown = blocklist::ShownName(name);
  switch (change) {
    case PairChange::kAllow:
      return "Allow " + other + " too? It is the other name " + shown +
             " is usually reached through, and while it stays blocked, so does the site.";
    case PairChange::kBlock:
      return "Block " + other + " too? It is the other name " + shown +
             " is usually reached through, and while it stays allowed, the site can be reached "
             "through it.";
    case PairChange::kRemove:
      break;
  }
  return "Remove " + other + " too? It is the other name " + shown + " is usually reached through.";
}

namespace {

// The first few names, and how many more: the list shows them all.
std::string SomeNames(const std::set<std::string>& names) {
  constexpr std::size_t kNamed = 3;
  std::string text;
  std::size_t i = 0;
  for (const std::string& name : names) {
    if (i++ == kNamed) {
      return text + " and " + Grouped(names.size() - kNamed) + " more";
    }
    text += (text.empty() ? "" : ", ") + blocklist::ShownName(name);
  }
  return text;
}

// How another program undid blocks, as it would be seen in the file.
std::string HowUnblocked(const ReblockReport& report) {
  const bool one = report.removed + report.allowed + report.partial == 1;
  std::vector<std::string> parts;
  if (report.removed > 0) {
    parts.push_back(one ? "deleted its lines" : "deleted the lines of " + Grouped(report.removed));
  }
  if (report.allowed > 0) {
    parts.push_back(one ? "made its lines comments"
                        : "made comments of the lines of " + Grouped(report.allowed));
  }
  if (report.partial > 0) {
    parts.push_back(one ? "deleted one of its lines or names"
                        : "deleted a line or a name of " + Grouped(report.partial));
  }
  std::string text;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    text += (i == 0 ? "" : i + 1 == parts.size() ? " and " : ", ") + parts[i];
  }
  return text;
}

}  // namespace

std::string ReblockedText(const ReblockReport& report) {
  const std::size_t entries = report.entries.size();
  const std::string websites =
      entries == 1 ? SomeNames(report.entries)
                   : Grouped(entries) + " blocked websites (" + SomeNames(report.entries) + ")";
  const std::string again = std::string(entries == 1 ? "It is" : "They are") + " blocked again. ";
  std::string text;
  if (report.times == 1) {
    text = "At " + report.last + " another program unblocked " + websites +
           " in the hosts file: it " + HowUnblocked(report) + ". " + again +
           "The file as that program left it is kept: File, \"Restore Hosts File...\" puts it "
           "back.";
  } else if (report.times > 1) {
    // Websites, not changes: a program that takes the same entry out each time took out one.
    text = "Between " + report.first + " and " + report.last + " another program unblocked " +
           websites + " in the hosts file " + std::to_string(report.times) +
           " times, and each time the blocks were put back. " + again +
           "The file as it was left each time is kept: File, \"Restore Hosts File...\" puts it "
           "back.";
  }
  if (report.waits > 0) {
    text += std::string(text.empty() ? "" : "\n\n") +
            "The blocks were taken out again within a minute of the last time they were put "
            "back, so the next try waits " +
            std::to_string(report.waits) + (report.waits == 1 ? " minute" : " minutes") +
            ": a program that rewrites the hosts file over and over (a VPN client, a security "
            "tool) is the likely cause.";
  }
  return text;
}

std::string KnownSiteQuestion(std::string_view site, const std::vector<std::string>& names) {
  std::string text = blocklist::ShownName(site) + " is also reached through: ";
  for (std::size_t i = 0; i < names.size(); ++i) {
    text += (i == 0 ? "" : ", ") + blocklist::ShownName(names[i]);
  }
  return text + ". Block these too?";
}

std::string SitesFileDamagedText(std::string_view path, const std::vector<std::size_t>& lines) {
  std::string numbers;
  for (const std::size_t line : lines) {
    numbers += (numbers.empty() ? "" : ", ") + std::to_string(line);
  }
  return (lines.size() == 1 ? "A line of " : Grouped(lines.size()) + " lines of ") +
         std::string(path) + " could not be read and " + (lines.size() == 1 ? "was" : "were") +
         " skipped (line " + numbers +
         "): each names a site and then its other names, host "
         "names only, separated by blanks.";
}

std::string ChangedElsewhereQuestion(std::string_view hosts_path) {
  return "The list was not applied: another program changed " + std::string(hosts_path) +
         " after the list was loaded, and applying the list now would remove what it wrote.\n\n"
         "Load the hosts file again? The list will then show the file as it now is, and the "
         "changes made to the list since it was loaded are lost. Choose No to keep the list as "
         "it is; it can be applied once the file has been loaded again.";
}

std::string FinishedSaveText(const hostsfile::FinishedSave& finished) {
  if (finished.dropped) {
    return "The last Apply was cut short before it had written the whole hosts file, and another "
           "program has changed the file since. The file was left as that program wrote it; the "
           "text the Apply was writing is kept in the history (File, \"Restore Hosts File...\"), "
           "and " +
           finished.journal + " was removed.";
  }
  return "The last Apply was cut short before it had written the whole hosts file. It has now "
         "been finished from " +
         finished.journal + " (" + std::to_string(finished.bytes) +
         " bytes): the hosts file holds the list as that Apply wrote it.";
}

void ShowFailure(PlatformServices& services, Failure failure, const rir::Error& error) {
  services.MsgBox(FailureText(failure, error), kApplicationTitle, MsgBoxButtons::kOk,
                  MsgBoxIcon::kCritical);
}

void ShowMessage(PlatformServices& services, std::string_view text, MsgBoxIcon icon) {
  services.MsgBox(text, kApplicationTitle, MsgBoxButtons::kOk, icon);
}

}  // namespace ui

namespace ui {

std::string Grouped(std::uint64_t number) {
  std::string digits = std::to_string(number);
  for (std::size_t at = digits.size(); at > 3; at -= 3) {
    digits.insert(at - 3, 1, ',');
  }
  return digits;
}

std::string CheckProgressText(const blockcheck::BlockCheckProgress& progress) {
  return "Looking up every blocked website for IPv4 and IPv6: " + Grouped(progress.done) + " of " +
         Grouped(progress.total) + " look-ups done.";
}

std::string AllBlockedText(std::size_t names) {
  return "All " + Grouped(names) +
         (names == 1 ? " blocked website leads" : " blocked websites lead") +
         " to this computer, for IPv4 and for IPv6: the blocks hold.";
}

namespace {

bool Found(const std::vector<blockcheck::Leak>& leaks,
           const std::vector<blockcheck::Finding>& findings, blockcheck::LeakReason reason) {
  return std::any_of(leaks.begin(), leaks.end(),
                     [&](const auto& l) { return l.reason == reason; }) ||
         std::any_of(findings.begin(), findings.end(),
                     [&](const auto& f) { return f.reason == reason; });
}

std::string LinesText(const std::vector<std::size_t>& lines) {
  std::string text = lines.size() == 1 ? "Line " : "Lines ";
  for (std::size_t i = 0; i < lines.size(); ++i) {
    text += (i == 0 ? "" : i + 1 == lines.size() ? " and " : ", ") + Grouped(lines[i]);
  }
  return text;
}

// What the check found that keeps the names from this computer, most useful first: a line to
// act on before what only time or a restart mends.
std::string CausesText(const std::vector<blockcheck::Leak>& leaks,
                       const std::vector<blockcheck::Finding>& findings) {
  using blockcheck::LeakReason;
  std::string text;
  if (const std::vector<std::size_t> lines = EarlierLines(leaks); !lines.empty()) {
    const bool one = lines.size() == 1;
    text += LinesText(lines) + " of the hosts file " + (one ? "comes" : "come") +
            " before the program's lines and " +
            (one ? "sends a blocked website" : "send blocked websites") + " elsewhere. ";
  } else if (Found(leaks, findings, LeakReason::kEarlierHostsLine)) {
    text += "Another line of the hosts file comes before the program's own lines. ";
  }
  if (Found(leaks, findings, LeakReason::kFileNotConsulted)) {
    text += "The system's resolver does not read the hosts file for some look-ups. ";
  }
  if (Found(leaks, findings, LeakReason::kCachedAnswer)) {
    text +=
        "A cache still gives answers from before: restarting the browser or the computer "
        "empties it. ";
  }
  if (Found(leaks, findings, LeakReason::kTimedOut)) {
    text += "Some look-ups got no answer in time. ";
  }
  if (text.empty()) {
    text = "Restarting the browser or the computer empties caches. ";
  }
  return text;
}

}  // namespace

std::vector<std::size_t> EarlierLines(const std::vector<blockcheck::Leak>& leaks) {
  std::vector<std::size_t> lines;
  for (const blockcheck::Leak& leak : leaks) {
    if (leak.reason == blockcheck::LeakReason::kEarlierHostsLine && leak.line > 0) {
      lines.push_back(leak.line);
    }
  }
  std::sort(lines.begin(), lines.end());
  lines.erase(std::unique(lines.begin(), lines.end()), lines.end());
  return lines;
}

std::string CommentOutButton(const std::vector<std::size_t>& lines) {
  return lines.size() == 1 ? "Comment Out Line " + Grouped(lines.front())
                           : "Comment Out " + Grouped(lines.size()) + " Lines";
}

std::string LineGoneText(std::size_t line) {
  return "Line " + Grouped(line) +
         " of the hosts file is no longer as the check found it, so nothing was commented out. "
         "Check Blocking again to see the file as it now is.";
}

std::string CheckResultPrompt(const std::vector<blockcheck::Leak>& leaks,
                              const std::vector<blockcheck::Finding>& findings,
                              std::size_t reachable,
                              const blockcheck::BlockCheckProgress& progress) {
  const std::size_t count = leaks.size() + findings.size();
  std::string text = count == 0 ? std::string("Every blocked website leads to this computer")
                                : CausesText(leaks, findings) + Grouped(count) +
                                      (count == 1 ? " look-up of a blocked website does"
                                                  : " look-ups of blocked websites do") +
                                      " not lead to this computer";
  if (progress.cancelled) {
    text += " (the check was stopped after " + Grouped(progress.done) + " of " +
            Grouped(progress.total) + ")";
  }
  text += ".";
  if (reachable > 0) {
    text += " Below, " + Grouped(reachable) + (reachable == 1 ? " name" : " names") +
            " of the same sites that still " + (reachable == 1 ? "reaches" : "reach") +
            " them, to block those picked.";
  }
  return text;
}

std::string HowCheckedText(const blockcheck::CheckSummary& summary) {
  std::string text;
  if (summary.judged > 0) {
    // The names looked up count the other names of the sites as well, so the judged ones are not
    // "the other" blocked websites.
    text = " " + Grouped(summary.looked_up) +
           (summary.looked_up == 1 ? " name was" : " names were") +
           " looked up through the system's resolver, and " + Grouped(summary.judged) +
           " blocked websites judged from the hosts file, which the resolver reads again for "
           "each look-up.";
  }
  if (summary.others_not_looked_up > 0) {
    text += " " + Grouped(summary.others_not_looked_up) +
            (summary.others_not_looked_up == 1 ? " other name of the same sites was"
                                               : " other names of the same sites were") +
            " not looked up in that time.";
  }
  return text;
}

std::string FindingNamesText(const blockcheck::Finding& finding) {
  return blocklist::ShownName(finding.example) + " and " +
         Grouped(finding.names > 0 ? finding.names - 1 : 0) + " other blocked names";
}

std::string OthersBoundedText(std::size_t most) {
  return " Other names of the same sites were looked for only for the " + Grouped(most) +
         " websites added last.";
}

std::string ImportSummaryText(const blocklist::NameImport& imported) {
  const std::size_t added = imported.names.size();
  std::string text = "Added " + Grouped(added) + (added == 1 ? " website" : " websites");
  if (imported.in_list > 0) {
    text += "; " + Grouped(imported.in_list) +
            (imported.in_list == 1 ? " was in the list already" : " were in the list already");
  }
  if (imported.repeated > 0) {
    text += "; " + Grouped(imported.repeated) +
            (imported.repeated == 1 ? " came twice" : " came more than once");
  }
  if (imported.own_names > 0) {
    text += "; " + Grouped(imported.own_names) +
            (imported.own_names == 1 ? " name of this computer (localhost) was left out"
                                     : " names of this computer (localhost) were left out");
  }
  if (imported.nameless > 0) {
    text += "; " + Grouped(imported.nameless) +
            (imported.nameless == 1 ? " line held no name: " : " lines held no name, the first: ") +
            "line " + Grouped(imported.first_nameless) + " \"" + imported.first_nameless_text +
            "\"";
    if (!imported.first_nameless_reason.empty()) {
      text += " (" + imported.first_nameless_reason + ")";
    }
  }
  return text + ".";
}

std::string ImportProgressText(std::size_t names_found) {
  return "Reading the websites: " + Grouped(names_found) + " new so far.";
}

std::string ExportedText(std::size_t websites, std::string_view path) {
  return "Exported " + Grouped(websites) + (websites == 1 ? " website" : " websites") + " to " +
         std::string(path) + ".";
}

std::string ManyRowsQuestion(std::string_view verb, std::size_t count) {
  return std::string(verb) + " these " + Grouped(count) + " websites" +
         (verb == "Remove" ? " from the list?" : "?");
}

std::size_t CountLines(std::string_view text) {
  std::size_t lines = 0;
  for (std::size_t at = text.find('\n'); at != std::string_view::npos;
       at = text.find('\n', at + 1)) {
    ++lines;
  }
  return lines;
}

std::string HostsSizeWarning(std::size_t bytes, std::size_t lines, bool pending) {
  std::string text;
  if (bytes > kMostChromiumHostsBytes) {
    text =
        (pending ? "Once applied, the hosts file will hold up to " : "The hosts file now holds ") +
        Grouped(bytes / (std::size_t{1} << 20)) + " MiB (" + Grouped(bytes) +
        " bytes). Chromium-based browsers ignore a hosts file this large " + "(more than " +
        Grouped(kMostChromiumHostsBytes >> 20) +
        " MiB): they ask the system's resolver instead, so the blocks hold in them only as far "
        "as the system reads the file.";
  }
#ifdef _WIN32
  if (lines > kMostQuickWindowsHostsLines) {
    text +=
        std::string(text.empty() ? "" : "\n\n") +
        (pending ? "Once applied, the hosts file will have up to " : "The hosts file now has ") +
        Grouped(lines) +
        " lines. Windows may resolve names slowly with a hosts file this long (more than " +
        Grouped(kMostQuickWindowsHostsLines) + " lines).";
  }
#else
  static_cast<void>(lines);
#endif
  return text;
}

std::string BrowserName(const blockcheck::BrowserFinding& browser) {
  return browser.profile.empty() ? browser.browser : browser.browser + " (" + browser.profile + ")";
}

std::string BrowserWarningText(const std::vector<blockcheck::BrowserFinding>& browsers) {
  const auto first = std::find_if(browsers.begin(), browsers.end(),
                                  [](const auto& browser) { return browser.may_bypass; });
  if (first == browsers.end()) {
    return {};
  }
  // One line fits beneath the notice: the browser, and where to read which profile and why.
  return first->browser + " may go around the block: see Check Blocking.";
}

std::string BrowsersPromptText(const std::vector<blockcheck::BrowserFinding>& browsers) {
  const auto around = static_cast<std::size_t>(std::count_if(
      browsers.begin(), browsers.end(), [](const auto& browser) { return browser.may_bypass; }));
  if (around == 0) {
    return {};
  }
  return " " + Grouped(around) + (around == 1 ? " browser looks" : " browsers look") +
         " names up past the hosts file: see " + std::string(kBrowsersHeading) + ".";
}

std::string BrowserLinesText(const std::vector<blockcheck::BrowserFinding>& browsers) {
  if (browsers.empty()) {
    return {};
  }
  std::string text = "\n\n" + std::string(kBrowsersHeading) + ":";
  for (const auto& browser : browsers) {
    text += "\n" + BrowserName(browser) + " uses " +
            std::string(browser.may_bypass ? kGoesAround : kUsesHostsFile) + ": " + browser.why +
            ".";
  }
  return text;
}

std::string LockEndsText(const rir::Result<std::int64_t>& length, std::int64_t now) {
  if (!length) {
    return length.error().reason.empty() ? std::string() : "No end: " + length.error().reason + ".";
  }
  return "Ends " + lock::ShownTime(now + *length) + ", " + lock::ShownLength(*length) +
         " from now.";
}

std::string LockQuestion(std::int64_t length, std::int64_t now, bool count_only_on) {
  std::string text = "Lock every website the hosts file blocks until " +
                     lock::ShownTime(now + length) + " (" + lock::ShownLength(length) + ")?\n\n" +
                     "Until then nobody can allow, remove or clear them, apply a list or restore a "
                     "hosts file that unblocks them, or uninstall the program: not even with the "
                     "password. Another program that takes them out of the hosts file is undone "
                     "within seconds, with this program running or not. Websites can still be "
                     "added and blocked, and the lock made longer, never shorter.";
  if (count_only_on) {
    text +=
        "\n\nOnly the time this computer is on counts, so the lock ends later if it is "
        "turned off or asleep.";
  }
  return text;
}

std::string LockedText(const lock::Lock& lock) {
  return "The blocks are locked until " + lock::ShownTime(lock.times.EndsAt()) + ": " +
         Grouped(lock.names.size()) + (lock.names.size() == 1 ? " website." : " websites.");
}

std::string LockLine(const lock::Lock& lock) {
  std::string line = "Locked until " + lock::ShownTime(lock.times.EndsAt());
  line += "\n" + lock::ShownLength(lock.times.left) + " left";
  if (lock.times.count_only_on) {
    line += " (time on)";
  }
  return line;
}

std::string BrowsersKeptWhileLockedText(const lock::Lock& lock) {
  return "The browsers' settings are kept until " + lock::ShownTime(lock.times.EndsAt()) +
         ", when the lock ends: a browser left alone could go around the locked blocks.";
}

std::string LockRefusedText(const lock::Lock& lock, const std::vector<std::string>& names) {
  const std::string until = lock::ShownTime(lock.times.EndsAt());
  if (names.empty()) {
    return "The program cannot be uninstalled while the blocks are locked, until " + until + ".";
  }
  std::string who = blocklist::ShownName(names.front());
  if (names.size() > 1) {
    who += " and " + Grouped(names.size() - 1) + " more";
  }
  return who + (names.size() == 1 ? " is" : " are") + " locked until " + until +
         ". Locked websites stay blocked until then; they can be allowed or removed with the "
         "password once the lock has ended.";
}

std::string ScheduleLockedText(const lock::Lock& lock) {
  return "The blocks are locked until " + lock::ShownTime(lock.times.EndsAt()) +
         ". Until then the schedule may gain hours but not lose them.";
}

std::string RecoveredLockText(const lock::Lock& lock) {
  return "The record of the lock was damaged. That does not end it: every website the hosts file "
         "blocks stays locked for the longest a lock may last, until " +
         lock::ShownTime(lock.times.EndsAt()) + ".";
}

}  // namespace ui
