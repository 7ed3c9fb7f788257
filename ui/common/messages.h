// Every text the program says to the user in a message box or its list chooser, and how a
// failure is told. The names they quote are shown as the user reads them (blocklist::ShownName).
#pragma once

#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "blockcheck/block_check.h"
#include "blockcheck/browser_bypass.h"
#include "blocklist/name_import.h"
#include "hostsfile/file_io.h"
#include "lock/lock_store.h"
#include "rir/error.h"
#include "ui/common/platform_services.h"

namespace ui {

inline constexpr std::string_view kApplicationTitle = "Tamborelle Rir Avadera";
inline constexpr std::string_view kEntryExists = "This entry already exists!";
inline constexpr std::string_view kPasswordIncorrect = "Password is incorrect";
inline constexpr std::string_view kPasswordsDoNotMatch = "The passwords do not match!";
inline constexpr std::string_view kPasswordChanged = "Password Succesfully changed!";
inline constexpr std::string_view kExitQuestion = "Exit Tamborelle Rir Avadera?";
inline constexpr std::string_view kExitCaption = "Exit";
// Asked, under kExitCaption, when the list cannot be written on the way out.
std::string ExitAnywayQuestion(const rir::Error& error);
inline constexpr std::string_view kNoKeptCopies =
    "No earlier hosts file has been kept yet. Each Apply that changes the hosts file keeps the "
    "text it replaces, which can then be restored here.";

// Said by the login window instead of checking, while wrong passwords make attempts wait.
std::string TooManyWrongPasswordsText(const rir::Error& error);

// What an add put in the list, for the status bar: the name looked up when it is not what was
// typed, and `also` (the site's other usual name) when it came with it.
std::string AddedText(std::string_view typed, std::string_view host,
                      const std::vector<std::string>& also);
// Asked when the name added is a known site's main name: "<site> is also reached through:
// <names>. Block these too?"
std::string KnownSiteQuestion(std::string_view site, const std::vector<std::string>& names);
std::string OtherNamesAddedText(std::string_view site, std::size_t count);

// Import Websites..., and a paste of many names into the entry box.
inline constexpr std::string_view kImportTitle = "Import Websites";
inline constexpr std::string_view kExportTitle = "Export Websites";
inline constexpr std::string_view kImportCancelled =
    "The import was cancelled; the list is as it was.";
// "Added 224,812 websites; 1,203 were in the list already; ..." and, for a line that held no
// name, the first of them and why.
std::string ImportSummaryText(const blocklist::NameImport& imported);
std::string ImportProgressText(std::size_t names_found);
std::string ExportedText(std::size_t websites, std::string_view path);
// Allow, Block and Remove on several selected rows ask once.
std::string ManyRowsQuestion(std::string_view verb, std::size_t count);

// Asked when an entry is allowed, blocked or removed and the list holds the site's other usual
// name as the entry was: on its own the change would leave the site half blocked.
enum class PairChange { kAllow, kBlock, kRemove };
std::string PairQuestion(PairChange change, std::string_view name, std::string_view companion);
// Told once when lines of the sites file were skipped.
std::string SitesFileDamagedText(std::string_view path, const std::vector<std::size_t>& lines);

// Asked when an Apply finds that another program changed the hosts file after it was loaded.
std::string ChangedElsewhereQuestion(std::string_view hosts_path);

// The chooser of "Restore Hosts File...".
inline constexpr std::string_view kRestoreTitle = "Restore Hosts File";
inline constexpr std::string_view kRestorePrompt =
    "The hosts file as it was before each change, newest first. Choose the one to put back:";
inline constexpr std::string_view kRestoreButton = "Restore";

// "Check Blocking...": its progress window and the list of names that still reach a site.
inline constexpr std::string_view kCheckTitle = "Check Blocking";
inline constexpr std::string_view kCheckCloseButton = "Close";
inline constexpr std::string_view kNothingToCheck =
    "No website is blocked, so there is nothing to check.";
// "Looked up 1,200 of 2,000 names..." as the check goes on.
std::string CheckProgressText(const blockcheck::BlockCheckProgress& progress);
// Every blocked name led to this computer.
std::string AllBlockedText(std::size_t names);
// Above the list of names that did not, and of the other names of the same sites that the list
// does not hold and that reach them, listed apart under kAlsoReachableHeading; the progress says
// when the check was stopped early. Its first sentence names the causes found among `leaks` and
// `findings`, a line of the hosts file that comes first by its number.
std::string CheckResultPrompt(const std::vector<blockcheck::Leak>& leaks,
                              const std::vector<blockcheck::Finding>& findings,
                              std::size_t reachable,
                              const blockcheck::BlockCheckProgress& progress);
// The lines of the hosts file, from 1 and each once in order, that come first and map a name of
// `leaks` elsewhere.
std::vector<std::size_t> EarlierLines(const std::vector<blockcheck::Leak>& leaks);
// "Comment Out Line 38", or "Comment Out 3 Lines" for all those lines.
std::string CommentOutButton(const std::vector<std::size_t>& lines);
// The line the check found is no longer in the text to save, as it was read.
std::string LineGoneText(std::size_t line);
inline constexpr std::string_view kAlsoReachableHeading = "Also reachable, not in the list";
inline constexpr std::string_view kNotInTheList = "a name of the same site, not in the list";
inline constexpr std::string_view kBlockTheseToo = "Block These Too";
// What a check of a long list looked up and judged from the file, added to its result; empty
// when every name was looked up.
std::string HowCheckedText(const blockcheck::CheckSummary& summary);
// The names a finding covers: "example.org and 99,999 other blocked names".
std::string FindingNamesText(const blockcheck::Finding& finding);
// Added when the list held more blocked websites than the check looks around for.
std::string OthersBoundedText(std::size_t most);

// Told once after an Apply that leaves the hosts file larger than Chromium's own resolver reads
// (32 MiB), or, on Windows, longer than its DNS Client copes with quickly (30,000 lines); empty
// when it is neither.
// The line ends in `text`, found with memchr: std::count looked at a byte at a time.
std::size_t CountLines(std::string_view text);
// `pending`: the most the next Apply can write, told before it.
std::string HostsSizeWarning(std::size_t bytes, std::size_t lines, bool pending = false);
using blockcheck::kMostChromiumHostsBytes;
inline constexpr std::size_t kMostQuickWindowsHostsLines = 30000;

// Next to the restart notice, when a browser of the user's goes past the hosts file; empty when
// none does.
std::string BrowserWarningText(const std::vector<blockcheck::BrowserFinding>& browsers);
// The check's part "Browsers": a browser's name as a row shows it ("Firefox (default-release)"),
// and where its look-ups go.
inline constexpr std::string_view kBrowsersHeading = "Browsers";
std::string BrowserName(const blockcheck::BrowserFinding& browser);
inline constexpr std::string_view kUsesHostsFile = "the hosts file";
inline constexpr std::string_view kGoesAround = "its own DNS";
// Added to the check's prompt where a browser may go around the blocks; to the box that says all
// is blocked, the browsers' lines.
std::string BrowsersPromptText(const std::vector<blockcheck::BrowserFinding>& browsers);
std::string BrowserLinesText(const std::vector<blockcheck::BrowserFinding>& browsers);

// "1,234,567", grouped so that large numbers read at a glance.
std::string Grouped(std::uint64_t number);

// What the user was doing when something failed.
enum class Failure {
  kLoadHosts,
  kApply,
  kSaveOnly,
  kAddWebsite,
  kReadPassword,
  kCheckPassword,
  kDamagedPassword,
  kStorePassword,
  kWriteFirstRun,
  kStartUninstaller,
  kKeepHistory,
  kListHistory,
  kRestore,
  kFlushResolverCaches,
  kReadKnownSites,
  kBlockAgain,
  kRecordBlocks,
  kCommentOut,
  kLock,
  kReadLock,
  kBrowserSettings,
  kReadSchedule,
  kImport,
  kExport,
};

// The browsers' settings: told after "Leave Browser Settings Alone" is chosen, or unchosen.
inline constexpr std::string_view kBrowsersLeftAlone =
    "The browsers' own settings are left alone now. A browser whose DNS over HTTPS is on may go "
    "around the blocks: Check Blocking says which.";
inline constexpr std::string_view kBrowsersKeptToHostsFile =
    "While websites are blocked, the browsers' DNS over HTTPS is kept off again, so that they "
    "read the hosts file. Restart them for it to take effect.";

// The lock. The window's line under the length: when the lock would end, or why the length gives
// no end.
std::string LockEndsText(const rir::Result<std::int64_t>& length, std::int64_t now);
// Asked before a lock of `length` seconds from `now`: what it prevents.
std::string LockQuestion(std::int64_t length, std::int64_t now, bool count_only_on);
inline constexpr std::string_view kNothingToLock =
    "No website is blocked in the hosts file, so there is nothing to lock. Block websites and "
    "apply the list first.";
// Told once the lock is on.
std::string LockedText(const lock::Lock& lock);
// The main window's line while a lock is on: "Locked until Fri 2026-12-11 17:00", the time left.
std::string LockLine(const lock::Lock& lock);
// A change refused since it would lift the lock on `names` (as stored); "Uninstall" when empty.
std::string LockRefusedText(const lock::Lock& lock, const std::vector<std::string>& names);
// A schedule that would lose hours under a lock.
std::string ScheduleLockedText(const lock::Lock& lock);
// "Block on Schedule" before the schedule has any hours.
inline constexpr std::string_view kNoScheduleYet =
    "The schedule has no hours yet, so scheduled websites are not blocked. Set its hours with "
    "Schedule... in the Edit menu.";
// "Leave Browser Settings Alone" refused while a lock is on.
std::string BrowsersKeptWhileLockedText(const lock::Lock& lock);
// The lock's record was damaged: it holds every blocked website for the longest a lock lasts.
std::string RecoveredLockText(const lock::Lock& lock);

// What the program put back since the user last heard of it: told once, when the main window
// next opens. `waits` (minutes, 0 for none) when the blocks were undone again at once and the
// next try waits.
struct ReblockReport {
  std::string first;  // date and time of the first put-back, and of the last
  std::string last;
  std::size_t times = 0;
  std::size_t removed = 0;
  std::size_t allowed = 0;        // made comments
  std::size_t partial = 0;        // a line or a name of theirs deleted
  std::set<std::string> entries;  // each entry put back, once
  int waits = 0;
};
std::string ReblockedText(const ReblockReport& report);

// Two paragraphs: what did not happen, then what failed, on which path, and the system's reason.
std::string FailureText(Failure failure, const rir::Error& error);

// An Apply that an earlier run did not live to finish, finished at this start from its journal,
// or left unfinished since another program wrote the file after it.
std::string FinishedSaveText(const hostsfile::FinishedSave& finished);

// The failure in a modal message box with the critical icon and the application title.
void ShowFailure(PlatformServices& services, Failure failure, const rir::Error& error);

// A message box with an OK button and the application title.
void ShowMessage(PlatformServices& services, std::string_view text,
                 MsgBoxIcon icon = MsgBoxIcon::kNone);

}  // namespace ui
