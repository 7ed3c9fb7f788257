// Blocks that hold while the program runs. Another program may change the hosts file at any time
// (a hand edit, an antivirus that resets it, a tool that writes its own copy back); the main
// window watches the file's folder, and looks at the file's stamp every 10 s where no notice
// comes, and when the blocks that the last Apply left are not all in the file any more, puts
// them back within moments, keeping every line the other program left. The user hears of it once,
// when the main window next opens. A program that undoes them again at once is not fought
// without end: the tries wait 1, 5, then 15 minutes.
#include <ctime>
#include <unordered_map>

#include "hostsfile/file_io.h"
#include "ui/common/messages.h"
#include "ui/common/waiting.h"
#include "ui/main/main_form.h"

namespace ui {

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::chrono::milliseconds kLookEvery{500};
constexpr std::chrono::seconds kStampEvery{10};
constexpr std::chrono::seconds kUndoneSoon{60};
constexpr std::chrono::minutes kBackOff[] = {std::chrono::minutes(1), std::chrono::minutes(5),
                                             std::chrono::minutes(15)};

std::vector<std::string> BlockedIn(const blocklist::BlockList& list) {
  std::vector<std::string> names;
  for (std::size_t i = 0; i < list.size(); ++i) {
    if (list[i].status == blocklist::Status::kBlocked) {
      names.emplace_back(list[i].website);
    }
  }
  return names;
}

std::string ClockTime() {
  const std::time_t now = std::time(nullptr);
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
  NoteOwnWrite();
  ticker_ = services_.Every(kLookEvery, [this] { WatchTick(); });
}

void frmRirAvadera::NoteOwnWrite() {
  synced_ = list_;
  applied_blocked_ = BlockedIn(list_);
  own_stamp_ = HostsStamp();
  last_stamp_look_ = Clock::now();
}

// Whether another program changed the file since the last look: a notice from the folder's
// watch, or the stamp every 10 s where none comes; the program's own writes are not changes.
bool frmRirAvadera::NoticedChange(Clock::time_point now) {
  bool look = false;
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
  if (!changed_at_ || now < next_try_) {
    return;
  }
  const bool undone_soon = last_reblock_ && *changed_at_ - *last_reblock_ < kUndoneSoon;
  changed_at_.reset();
  auto path = hosts_.Path();
  if (!path) {
    return;
  }
  watch_busy_ = true;
  const std::vector<std::string> blocked = applied_blocked_;
  auto again = WhileWaiting(services_, view_, [&] {
    return services_.Files().BlockAgain(*path, blocked, hosts_.keeper());
  });
  if (!again) {
    // Told once; the next change tries again.
    own_stamp_ = HostsStamp();
    if (!m_blnWatchFailureTold) {
      m_blnWatchFailureTold = true;
      ShowFailure(services_, Failure::kBlockAgain, again.error());
    }
    watch_busy_ = false;
    return;
  }
  if (*again) {
    Reblocked(**again, now, undone_soon);
  }
  TakeInOtherLines();
  watch_busy_ = false;
}

void frmRirAvadera::Reblocked(const hostsfile::BlockedAgain& again, Clock::time_point now,
                              bool undone_soon) {
  // Undone again within a minute: a program that rewrites the file in a loop.
  if (undone_soon) {
    back_off_ = std::min<std::size_t>(back_off_ + 1, std::size(kBackOff));
    next_try_ = now + kBackOff[back_off_ - 1];
  } else {
    back_off_ = 0;
  }
  last_reblock_ = now;
  // Added to what the user has not heard of yet.
  ReblockReport& report = m_watchReport ? *m_watchReport : m_watchReport.emplace();
  report.last = ClockTime();
  if (report.times++ == 0) {
    report.first = report.last;
  }
  report.removed += again.removed;
  report.changed += again.allowed + again.partial;
  report.waits = back_off_ == 0 ? 0 : static_cast<int>(kBackOff[back_off_ - 1].count());
  AfterSave(again.saved);
  if (view_.IsVisible() && view_.GetWindowState() == WindowState::kNormal) {
    ReportLoad();
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
  for (std::size_t i = 0; i < synced_.size(); ++i) {
    synced[std::string(synced_[i].website)] = synced_[i].status;
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
  synced_ = file;
  list_ = std::move(merged);
  own_stamp_ = HostsStamp();
  view_.ShowRows(list_);
}

}  // namespace ui
