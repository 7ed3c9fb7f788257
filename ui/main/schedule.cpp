// The main window's part in the weekly schedule: "Block on Schedule", the schedule the window
// edits, the scheduled entries kept as the schedule puts them in force, and the record written
// with the Apply. While the program runs the system's keeper still switches the hosts file at
// each change; the window follows the clock so that its rows say the same.
#include <algorithm>

#include "lock/lock_rules.h"
#include "schedule/weekly.h"
#include "ui/common/messages.h"
#include "ui/main/main_form.h"

namespace ui {

namespace {

// Often enough to show a change within a minute of it; the zone's rules are read at each look,
// which is slow under some systems, so not at every tick of the watch.
constexpr std::chrono::seconds kScheduleLookEvery{15};

}  // namespace

void frmRirAvadera::ReadSchedule() {
  auto path = hosts_.Path();
  if (!path) {
    return;
  }
  auto read = services_.Files().ReadSchedule(*path);
  if (!read) {
    ShowFailure(services_, Failure::kReadSchedule, read.error());
    return;
  }
  schedule_.Loaded(std::move(*read));
  PutScheduleInForce();
  schedule_ticker_ = services_.Every(kScheduleLookEvery, [this] {
    if (schedule_.Refresh()) {
      PutScheduleInForce();
    }
  });
}

// The list holds each scheduled entry as the hosts file must: what an Apply writes, and what the
// keeper's switch is taken in as.
void frmRirAvadera::PutScheduleInForce() {
  const auto lock = lock_.Now();
  for (std::size_t i = 0; i < list_.size(); ++i) {
    const blocklist::Entry entry = list_[i];
    if (schedule_.Covers(entry.website)) {
      const auto status = schedule_.InForce(entry.website, lock);
      if (entry.status != status) {
        list_.SetStatus(i, status);
      }
    }
  }
  ShowList();
}

std::vector<std::string> frmRirAvadera::KeptBlocked() const {
  // A scheduled entry off its hours is the schedule's to allow, not another program's change.
  const bool scheduled_off = !schedule_.On() && !schedule_.Applied().names.empty();
  const auto lock = scheduled_off ? lock_.Now() : std::nullopt;
  std::vector<std::string> kept;
  for (std::size_t i = 0; i < applied_->size(); ++i) {
    const blocklist::Entry entry = (*applied_)[i];
    if (entry.status != blocklist::Status::kBlocked) {
      continue;
    }
    if (!scheduled_off ||
        !std::binary_search(schedule_.Applied().names.begin(), schedule_.Applied().names.end(),
                            entry.website) ||
        (lock && lock::Holds(*lock, entry.website))) {
      kept.emplace_back(entry.website);
    }
  }
  return kept;
}

const schedule::WeeklySchedule& frmRirAvadera::PendingSchedule() const {
  return schedule_.Pending().schedule;
}

bool frmRirAvadera::ChangeSchedule(schedule::WeeklySchedule weekly) {
  if (const auto lock = lock_.Now();
      lock && !schedule::Covers(weekly, schedule_.Applied().schedule)) {
    ShowMessage(services_, ScheduleLockedText(*lock), MsgBoxIcon::kCritical);
    return false;
  }
  schedule_.SetHours(std::move(weekly));
  PutScheduleInForce();
  return true;
}

void frmRirAvadera::mmuBlockOnSchedule_Click() {
  const auto positions = SelectedPositions();
  if (positions.empty()) {
    return;
  }
  std::vector<std::string> names;
  names.reserve(positions.size());
  for (const std::size_t position : positions) {
    names.emplace_back(list_[position].website);
  }
  schedule_.Add(std::move(names));
  PutScheduleInForce();
  if (PendingSchedule().ranges.empty()) {
    ShowMessage(services_, kNoScheduleYet);
  }
}

// Under a lock a scheduled entry may become blocked, never allowed or removed: it would lose the
// hours the schedule blocks it.
bool frmRirAvadera::ScheduleRefuses(std::string_view name, bool allowing) {
  const auto lock = lock_.Now();
  if (!lock || !allowing ||
      !std::binary_search(schedule_.Applied().names.begin(), schedule_.Applied().names.end(),
                          name)) {
    return false;
  }
  ShowMessage(services_, LockRefusedText(*lock, {std::string(name)}), MsgBoxIcon::kCritical);
  return true;
}

rir::Result<void> frmRirAvadera::SaveSchedule() {
  if (!schedule_.Changed()) {
    return {};
  }
  auto path = hosts_.Path();
  if (!path) {
    return path.error();
  }
  // Only names the list holds: a removed entry leaves the schedule with it.
  schedule::ScheduleRecord record = schedule_.Pending();
  std::erase_if(record.names, [this](const std::string& name) { return !FindHost(name); });
  if (auto saved = services_.Files().SaveSchedule(*path, record); !saved) {
    return saved;
  }
  schedule_.Loaded(std::move(record));
  return {};
}

}  // namespace ui
