// Blocks that hold while the program runs. Another program may change the hosts file at any time
// (a hand edit, an antivirus that resets it, a tool that writes its own copy back); the main
// window watches the file's folder, and looks at the file's stamp every 10 s where no notice
// comes, and when the blocks that the last Apply left are not all in the file any more, puts
// them back within moments, keeping every line the other program left. Only into a file that the
// other program has finished writing: one it writes in parts would lose the rest of its text to
// ours. Each change is judged as this user first, so a change that leaves every block in place
// asks nothing of whoever may write the file. The user hears of it once, when the main window
// next opens. A program that undoes them again at once is not fought without end: the next tries
// wait 1, 5, then 15 minutes.
#include <ctime>
#include <unordered_map>

#include "hostsfile/file_io.h"
#include "hostsfile/finished_file.h"
#include "hostsfile/keeper_report.h"
#include "ui/common/messages.h"
#include "ui/common/program_files.h"
#include "ui/common/waiting.h"
#include "ui/main/main_form.h"

namespace ui {

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::chrono::milliseconds kLookEvery{500};
// While another program finishes writing the file: the blocks come back soon after its quiet
// time ends, not up to a look later.
constexpr std::chrono::milliseconds kLookWhileWriting{100};
constexpr std::chrono::seconds kStampEvery{10};
using hostsfile::kUndoneSoon;
constexpr const auto& kBackOff = hostsfile::kBackOffWaits;
constexpr std::string_view kJudgingText =
    "Reading the hosts file, which another program changed...";

std::string ClockTime(std::time_t now = std::time(nullptr)) {
  std::tm local{};
#ifdef _WIN32
  localtime_s(&local, &now);
#else
  localtime_r(&now, &local);
#endif
  // With the date: the box may be seen days later.
  char text[32] = {};
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", &local);
  return text;
}

}  // namespace

std::optional<hostsfile::FileStamp> frmRirAvadera::HostsStamp() const {
  auto path = hosts_.Path();
  if (!path) {
    return std::nullopt;
  }
  auto stamp = hostsfile::StampOf(*path);
  return stamp ? std::optional<hostsfile::FileStamp>(*stamp) : std::nullopt;
}

void frmRirAvadera::StartWatch() {
  auto path = hosts_.Path();
  if (!path || m_loadFailure) {
    return;  // a file that could not be read is not put right behind the user's back
  }
  // What the system's keeper put back before this run is not news.
  if (auto folder = DataFolderOfProgram(services_)) {
    const auto report = hostsfile::ReadKeeperReport(*folder);
    keeper_seen_ = report ? report->count : 0;
  }
  NoteOwnWrite();
  ticker_ = services_.Every(kLookEvery, [this] {
    WatchTick();
    ShowLockLine();  // the time left, counted down
    // Dropped from here only, never from its own call, nor while a look (its box, its wait)
    // may be on the way.
    if (!watch_busy_ && (!changed_at_ || judged_)) {
      finish_ticker_.reset();
    }
  });
}

void frmRirAvadera::NoteOwnWrite() {
  synced_ = std::make_shared<const blocklist::BlockList>(list_);
  applied_ = synced_;
  own_stamp_ = HostsStamp();
  listed_stamp_ = own_stamp_;
  judged_.reset();
  changed_at_.reset();
  last_stamp_look_ = Clock::now();
}

// Whether another program changed the file since the last look: a notice from the folder's
// watch, or the stamp every 10 s where none comes; the program's own writes are not changes.
bool frmRirAvadera::NoticedChange(Clock::time_point now) {
  // None after a put-back: the file is judged once more as it then stands.
  bool look = !own_stamp_;
  if (!watch_) {
    // Watched from the first look on, and that look compares the stamp: a change in between is
    // not missed. (On Windows the watch holds the folder open.)
    auto path = hosts_.Path();
    if (!path) {
      return false;
    }
    watch_ = std::make_unique<hostsfile::FolderWatch>(*path);
    look = true;
  }
  look = watch_->Changed() || look;
  if (now - last_stamp_look_ >= kStampEvery) {
    last_stamp_look_ = now;
    look = true;
  }
  if (!look) {
    return false;
  }
  const auto stamp = HostsStamp();
  return stamp && stamp != own_stamp_;
}

void frmRirAvadera::WatchTick() {
  if (watch_busy_) {
    return;  // a box or a wait of the last look is still open
  }
  const auto now = Clock::now();
  // When the change came, not when it is acted on: a change seen while the tries wait still
  // counts as undoing the last put-back at once.
  if (NoticedChange(now) && !changed_at_) {
    changed_at_ = now;
  }
  auto path = hosts_.Path();
  if (!changed_at_ || !path) {
    return;
  }
  watch_busy_ = true;
  LookAtChange(*path, now);
  watch_busy_ = false;
}

// Kept until the file is finished: a change is never taken as seen while it may still go on.
void frmRirAvadera::LookAtChange(const std::string& path, Clock::time_point now) {
  const std::vector<std::string> blocked = KeptBlocked();
  // Read again only when it changed since it was judged: a wait of minutes reads it once.
  if (!judged_ || HostsStamp() != judged_->stamp) {
    auto judged = WhileWaiting(
        services_, view_, kJudgingText, [&] { return hostsfile::JudgeHostsFile(path, blocked); },
        WatchWaitShown());
    if (!judged) {
      judged_.reset();
      if (judged.error().code != rir::ErrorCode::kStillBeingWritten) {
        WatchFailed(judged.error());
      } else if (!finish_ticker_) {
        finish_ticker_ = services_.Every(kLookWhileWriting, [this] { WatchTick(); });
      }
      return;
    }
    judged_ = std::move(*judged);
  }
  const auto data_folder = DataFolderOfProgram(services_);
  if (data_folder) {
    TakeKeeperReport(*data_folder);
  }
  if (!judged_->lacking.empty() && data_folder && hostsfile::KeeperRuns(*data_folder)) {
    // One watch, not two: the system's keeper puts them back, and the next look sees its work.
    own_stamp_ = judged_->stamp;
    judged_.reset();
    changed_at_.reset();
    return;
  }
  if (judged_->lacking.empty()) {
    if (judged_->stamp != listed_stamp_) {
      TakeInOtherLines();
    }
    own_stamp_ = judged_->stamp;
    changed_at_.reset();
    return;
  }
  // Undone again within a minute of the last put-back: a program that rewrites the file in a
  // loop. This try already waits.
  if (!wait_until_ && last_reblock_ && *changed_at_ - *last_reblock_ < kUndoneSoon) {
    back_off_ = std::min<std::size_t>(back_off_ + 1, std::size(kBackOff));
    wait_until_ = *changed_at_ + kBackOff[back_off_ - 1];
    ReblockReport& report = m_watchReport ? *m_watchReport : m_watchReport.emplace();
    report.waits = static_cast<int>(kBackOff[back_off_ - 1].count());
    TellWatchReport();
  }
  if ((wait_until_ && now < *wait_until_) || now < next_ask_) {
    return;
  }
  auto again = WhileWaiting(
      services_, view_,
      [&] { return services_.Files().BlockAgain(path, blocked, hosts_.keeper()); },
      WatchWaitShown());
  if (!again) {
    if (again.error().code != rir::ErrorCode::kStillBeingWritten) {
      WatchFailed(again.error());
    }
    // Only the writer (the Linux program's helper) may see a writer that holds the file open: it
    // is asked again once the quiet time has passed, not at every look.
    next_ask_ = now + hostsfile::kQuietTime;
    return;
  }
  if (*again) {
    Reblocked(**again, judged_->lacking, now);
  }
  TakeInOtherLines();
  // Judged again at the next look, as the file then stands; unless the writer put nothing back
  // (the helper holds no record of a save with the password yet): then this file is seen, or
  // every look would start another root process.
  own_stamp_ = *again ? std::nullopt : std::optional(judged_->stamp);
  judged_.reset();
  changed_at_.reset();
}

void frmRirAvadera::WatchFailed(const rir::Error& error) {
  // Told once; the next change tries again.
  own_stamp_ = HostsStamp();
  judged_.reset();
  changed_at_.reset();
  if (!m_blnWatchFailureTold) {
    m_blnWatchFailureTold = true;
    ShowFailure(services_, Failure::kBlockAgain, error);
  }
}

void frmRirAvadera::Reblocked(const hostsfile::BlockedAgain& again,
                              const std::vector<std::string>& names, Clock::time_point now) {
  // After a wait the count of waits goes on; after a calm minute it starts again.
  if (!wait_until_) {
    back_off_ = 0;
  }
  wait_until_.reset();
  last_reblock_ = now;
  // Added to what the user has not heard of yet.
  ReblockReport& report = m_watchReport ? *m_watchReport : m_watchReport.emplace();
  report.last = ClockTime();
  if (report.times++ == 0) {
    report.first = report.last;
  }
  report.removed += again.removed;
  report.allowed += again.allowed;
  report.partial += again.partial;
  report.entries.insert(names.begin(), names.end());
  report.waits = 0;
  AfterSave(again.saved);
  TellWatchReport();
}

void frmRirAvadera::TakeKeeperReport(const std::string& data_folder) {
  const auto report = hostsfile::ReadKeeperReport(data_folder);
  if (!report || report->count <= keeper_seen_) {
    return;
  }
  ReblockReport& told = m_watchReport ? *m_watchReport : m_watchReport.emplace();
  told.last = ClockTime(static_cast<std::time_t>(report->wall));
  if (told.times == 0) {
    told.first = told.last;
  }
  told.times += static_cast<std::size_t>(report->count - keeper_seen_);
  told.removed += report->removed;
  told.allowed += report->allowed;
  told.partial += report->partial;
  told.entries.insert(report->names.begin(), report->names.end());
  keeper_seen_ = report->count;
  TellWatchReport();
}

bool frmRirAvadera::Shown() const {
  return view_.IsVisible() && view_.GetWindowState() == WindowState::kNormal;
}

// A window popping up from the notification area for a look the user did not ask for would only
// startle; the system's own password prompt, where the helper needs one, shows itself.
WaitShown frmRirAvadera::WatchWaitShown() const {
  return Shown() ? WaitShown::kWindow : WaitShown::kNoWindow;
}

void frmRirAvadera::TellWatchReport() {
  if (Shown()) {
    ReportLoad();
  }
}

void frmRirAvadera::TakeInFinishedChange() {
  // A change the watch has judged, and waits to act on: the list takes its lines in, so that
  // the Apply keeps them and puts the blocks back itself.
  if (changed_at_ && !watch_busy_ && judged_ && HostsStamp() == judged_->stamp) {
    TakeInOtherLines();
    judged_.reset();
    changed_at_.reset();
  }
}

// The next Apply takes in the lines the other program wrote, with the user's edits since the last
// load or Apply kept: the file is loaded again, and those edits made over it.
void frmRirAvadera::TakeInOtherLines() {
  std::unordered_map<std::string, blocklist::Status> now_listed;
  for (std::size_t i = 0; i < list_.size(); ++i) {
    now_listed[std::string(list_[i].website)] = list_[i].status;
  }
  std::unordered_map<std::string, blocklist::Status> synced;
  for (std::size_t i = 0; i < synced_->size(); ++i) {
    synced[std::string((*synced_)[i].website)] = (*synced_)[i].status;
  }
  blocklist::BlockList file;
  if (auto loaded = hosts_.Load(file); !loaded) {
    m_loadFailure = loaded.error();
    return;
  }
  blocklist::BlockList merged;
  std::unordered_map<std::string, bool> in_file;
  for (std::size_t i = 0; i < file.size(); ++i) {
    const blocklist::Entry entry = file[i];
    const std::string name(entry.website);
    in_file[name] = true;
    if (const auto edited = now_listed.find(name); edited != now_listed.end()) {
      // The user's status, where the user changed it since; the file's otherwise.
      const auto before = synced.find(name);
      const bool changed_here = before == synced.end() || before->second != edited->second;
      merged.AppendLoaded(entry.website, changed_here ? edited->second : entry.status,
                          entry.line_end, entry.origin);
    } else if (!synced.contains(name)) {
      merged.AppendLoaded(entry.website, entry.status, entry.line_end, entry.origin);
    }  // else the user removed it since
  }
  // What the user added since, and what the other program took out but the list still holds: an
  // allowed entry is not put back in the file, but the list does not lose it.
  for (std::size_t i = 0; i < list_.size(); ++i) {
    const std::string name(list_[i].website);
    if (!in_file.contains(name)) {
      static_cast<void>(merged.Append(name, list_[i].status));
      in_file[name] = true;
    }
  }
  synced_ = std::make_shared<const blocklist::BlockList>(std::move(file));
  list_ = std::move(merged);
  listed_stamp_ = HostsStamp();
  ShowList();
}

}  // namespace ui
