// The main window's logic: the list and its commands, the tray icon, and closing, exit and
// uninstall. Front ends forward the window's events to the handlers below.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "blockcheck/browser_bypass.h"
#include "blocklist/block_list.h"
#include "blocklist/name_import.h"
#include "blocklist/site_names.h"
#include "hostsfile/block_again.h"
#include "hostsfile/folder_watch.h"
#include "hostsfile/hosts_history.h"
#include "hostsfile/hosts_store.h"
#include "rir/error.h"
#include "schedule/weekly.h"
#include "ui/common/forms.h"
#include "ui/common/messages.h"
#include "ui/common/platform_services.h"
#include "ui/main/lock_state.h"
#include "ui/main/main_view.h"
#include "ui/main/schedule_state.h"
#include "ui/main/shown_rows.h"

namespace ui {

enum class WaitShown;  // ui/common/waiting.h

// The mouse message that the tray reports for a double-click with the left button.
inline constexpr std::int32_t kTrayLeftDoubleClick = 515;

class frmRirAvadera {
 public:
  // `hosts` keeps its previous text in `history` before it changes; `history` is what
  // "Restore Hosts File..." lists, or why there is none.
  frmRirAvadera(MainView& view, Forms& forms, PlatformServices& services,
                hostsfile::HostsStore hosts, rir::Result<hostsfile::HostsHistory> history);
  frmRirAvadera(const frmRirAvadera&) = delete;
  frmRirAvadera& operator=(const frmRirAvadera&) = delete;

  MainView& view() { return view_; }
  const blocklist::BlockList& lvwWebsites() const { return list_; }
  // The hosts file the list is loaded from, and the lock on its blocks, for the lock window.
  rir::Result<std::string> HostsPath() const { return hosts_.Path(); }
  const LockState& Locks() const { return lock_; }
  // The weekly schedule the next Apply writes, as the schedule window edits it.
  const schedule::WeeklySchedule& PendingSchedule() const;
  // Takes `weekly` as the schedule the next Apply writes; false when the lock refuses it (the
  // user is told): under a lock a schedule may gain hours, never lose them.
  bool ChangeSchedule(schedule::WeeklySchedule weekly);

  // Events of the window and its controls.
  void Form_Load();
  void txtWebsite_Change();
  void txtWebsite_KeyDown(std::int16_t KeyCode, std::int16_t Shift);
  void cmdAddEntry_Click();
  void imgAllow_Click();
  void imgBlock_Click();
  void imgApply_Click();
  void cmdApply_Click();
  void mmuRestore_Click();
  void mmuAllow_Click();
  void mmuBlock_Click();
  void mmuRemoveSite_Click();
  void mmuClearAll_Click();
  void mmuCheckBlocking_Click();
  void mmuLock_Click();
  void mmuSchedule_Click();
  void mmuBlockOnSchedule_Click();
  void mmuBrowserSettings_Click();
  void mmuPassword_Click();
  // File, "Import Websites..." and "Export Websites...".
  void mmuImport_Click();
  void mmuExport_Click();
  // Edit, "Find" (Ctrl+F): to the find box above the list.
  void mmuFind_Click();
  void txtFind_Change();
  void mmuExit_Click();
  void mmuUninstall_Click();
  void Command1_Click();
  void Command3_Click();
  void Form_QueryUnload(bool& Cancel, UnloadMode mode);
  void Form_Resize();
  void Form_Unload();
  // A mouse message on the tray icon, as the platform's tray reports it.
  void nidTray_MouseMessage(std::int32_t message);
  // The list control moved its own selection (a click, the arrow keys) to one row shown, or
  // several (then `row` is the first of them); nothing else happens.
  void lvwWebsites_SelectionMoved(std::optional<std::size_t> row);

  // Sends the window to the notification area.
  void MinimizeForm();
  // The start-up's first-run clearing: the same as "Clear All".
  void ClearList() { mmuClearAll_Click(); }
  // Tells the user, once, that the hosts file could not be read when the window loaded, or that
  // an Apply an earlier run did not live to finish had to be finished first.
  void ReportLoad();

 private:
  void AddWebsite();
  bool FindWebsite(std::string_view website);
  // The last entry that names `host` (the list's own look-up, without m_lngFoundIndex).
  std::optional<std::size_t> FindHost(std::string_view host) const;
  bool Holds(std::string_view host) const;
  // Appends `host` as blocked, or tells why it could not be.
  bool AppendBlocked(const std::string& host);
  // Asks whether to block the other names of a known site that `website` is, or is the
  // companion of; the question begins with `added`, what the add put in the list.
  void OfferKnownSiteNames(const std::string& website, const std::string& added);
  void LoadKnownSites();
  // The watch that puts blocks back (ui/main/watch.cpp).
  void StartWatch();
  void WatchTick();
  bool NoticedChange(std::chrono::steady_clock::time_point now);
  // The file as this window last wrote or loaded it: not another program's change.
  void NoteOwnWrite();
  std::optional<hostsfile::FileStamp> HostsStamp() const;  // the file's now; none when unreadable
  void LookAtChange(const std::string& path, std::chrono::steady_clock::time_point now);
  void WatchFailed(const rir::Error& error);
  void Reblocked(const hostsfile::BlockedAgain& again, const std::vector<std::string>& names,
                 std::chrono::steady_clock::time_point now);
  void TellWatchReport();  // now, when the main window is open
  // What the system's keeper put back since the last look, added to what the user will hear.
  void TakeKeeperReport(const std::string& data_folder);
  bool Shown() const;  // the main window open, not minimized
  WaitShown WatchWaitShown() const;
  void TakeInOtherLines();
  // Before an Apply: the lines of a finished change that the watch has not acted on yet.
  void TakeInFinishedChange();
  void SetSelectedStatus(blocklist::Status status);
  // The list as the find box lets it be shown (ui/main/find.cpp), after any change of either.
  void ShowList();
  // Selects the entry at `position` alone and scrolls to it, emptying the find box if it hid it.
  void ShowPosition(std::size_t position);
  // The entries a command acts on: the rows selected in the control when there are several,
  // otherwise the list's own selected entry (if any).
  std::vector<std::size_t> SelectedPositions() const;
  // Allow, Block and Remove on several entries: refused as for one, asked once.
  void SetStatusOfMany(const std::vector<std::size_t>& positions, blocklist::Status status);
  void RemoveMany(const std::vector<std::size_t>& positions);
  // Import (ui/main/import_export.cpp): `read` feeds the reader off the window's thread, behind
  // a progress window with Cancel; none when the user cancelled.
  std::optional<rir::Result<blocklist::NameImport>> ReadNames(
      std::function<rir::Result<void>(blocklist::NameReader&)> read);
  // A paste of many names into the entry box, taken as an import; false for one name.
  bool AddPastedNames(const std::string& typed);
  void TakeImported(blocklist::NameImport imported, bool pasted);
  // The selected entry's companion, when the user agrees to `change` it with the entry (the
  // new status, for Allow and Block).
  std::optional<std::string> PairToChangeToo(PairChange change, blocklist::Status status);
  void LoadHostsFile();
  void BuildHostsText();
  rir::Result<hostsfile::SaveOutcome> SaveHostsFile();
  // Builds and saves the list and shows the restart notice; a failure is left to the caller.
  rir::Result<void> ApplyList();
  // Applies, or tells why not; true when the list was written.
  bool Apply();
  // Applies on the way out of the program; when that fails, asks whether to end all the same.
  // False when the user stays.
  bool ApplyBeforeEnd();
  // Tells, once per run, that a save could not keep the text it replaced.
  void AfterSave(const hostsfile::SaveOutcome& saved);
  void OfferReload(std::string_view hosts_path);
  // Tells, once per run, that the hosts file has grown past what the resolvers that read it
  // handle.
  void WarnOfSize();
  void RestoreCopy(const hostsfile::KeptCopy& copy);
  // After a save of a text other than the list's own: the list read again from the file, the text
  // kept as the one last built, and what an Apply shows after it.
  void ShowWrittenText(std::string text, const hostsfile::SaveOutcome& saved);
  // Looks every blocked name up and lists those that are not blocked; `asked` through the menu,
  // and then also says when all are.
  void CheckBlocking(bool asked);
  // Puts "#" before these lines of the hosts file (from 1, as the check read it), saves as an
  // Apply does and checks again (ui/main/comment_out.cpp).
  void CommentOutLines(const std::vector<std::size_t>& lines);

  // The schedule (ui/main/schedule.cpp): read at load, its entries kept as it puts them in
  // force, its record written after the hosts file at each Apply.
  void ReadSchedule();
  void PutScheduleInForce();
  rir::Result<void> SaveSchedule();
  // The blocks the watch keeps: what the last Apply left blocked, less the scheduled entries
  // that the schedule has allowed since.
  std::vector<std::string> KeptBlocked() const;
  // Tells and returns true where a lock keeps a scheduled `name` from being allowed or removed.
  bool ScheduleRefuses(std::string_view name, bool allowing);

  void ShowBrowserWarning();
  // Each browser found, and whether it keeps to the hosts file (blockcheck::JudgeBrowsers).
  std::vector<blockcheck::BrowserFinding> JudgeBrowsers() const;
  // The lock read anew from the system's record, and its line shown.
  void ReadLock();
  void ShowLockLine();

  MainView& view_;
  Forms& forms_;
  PlatformServices& services_;
  hostsfile::HostsStore hosts_;
  rir::Result<hostsfile::HostsHistory> history_;
  blocklist::BlockList list_;  // the entries of lvwWebsites
  ShownRows shown_;            // which of them its rows show
  LockState lock_;
  std::string lock_line_;  // as lblLocked shows it
  ScheduleState schedule_;
  std::unique_ptr<Repeating> schedule_ticker_;

  std::int32_t m_lngFoundIndex = 0;  // 1-based, as the list's positions are counted for users
  std::string m_strHostsText;
  bool m_blnHostsTextBuilt = false;  // save only never writes a text that was not built
  bool m_blnExitRequested = false;
  bool leave_unapplied_ = false;  // the user chose to end without the list written
  TrayRecord nidTray;
  std::optional<rir::Error> m_loadFailure;
  std::optional<hostsfile::FinishedSave> m_finishedSave;
  blocklist::KnownSites known_sites_;  // read from the sites file beside the program at load
  std::optional<rir::Error> m_sitesFailure;
  std::optional<std::string> m_sitesDamaged;  // what to tell of lines that were skipped

  // The watch: what the last load or Apply left, and how the last put-back went.
  std::unique_ptr<hostsfile::FolderWatch> watch_;
  std::unique_ptr<Repeating> ticker_;
  std::unique_ptr<Repeating> finish_ticker_;  // more often, while a writer finishes the file
  // The list as last loaded, applied or taken in from another program's change; shared with
  // applied_ until then, one copy of a list of a million entries instead of two.
  std::shared_ptr<const blocklist::BlockList> synced_ = std::make_shared<blocklist::BlockList>();
  // The list as the last load or Apply left it: its blocked entries are what the watch keeps
  // (a copy of the list is a few copies of memory; a vector of a million names, as many
  // allocations, took longer than the save).
  std::shared_ptr<const blocklist::BlockList> applied_ = synced_;
  std::optional<hostsfile::FileStamp> own_stamp_;     // the file as last judged or written
  std::optional<hostsfile::FileStamp> listed_stamp_;  // ... as the list last took it in
  std::optional<hostsfile::JudgedFile> judged_;       // the change seen, once finished
  std::chrono::steady_clock::time_point last_stamp_look_;
  std::optional<std::chrono::steady_clock::time_point> last_reblock_;
  std::optional<std::chrono::steady_clock::time_point> changed_at_;  // seen, not yet acted on
  std::optional<std::chrono::steady_clock::time_point> wait_until_;  // the next try's
  std::chrono::steady_clock::time_point next_ask_;  // after the writer found the file busy
  std::size_t back_off_ = 0;  // how many times in a row the blocks were undone at once
  bool watch_busy_ = false;
  std::optional<ReblockReport> m_watchReport;
  std::uint64_t keeper_seen_ = 0;  // the keeper's count of put-backs the user has heard of
  bool m_blnWatchFailureTold = false;
  bool m_blnRecordFailureTold = false;
  bool m_blnPolicyFailureTold = false;
  bool m_blnHistoryFailureTold = false;
  bool m_blnFlushFailureTold = false;
  bool m_blnSizeWarningTold = false;
};

}  // namespace ui
