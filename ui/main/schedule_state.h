// The weekly schedule as the main window knows it: the hours and the names it covers, as the
// system's record held them at load and as the next Apply will write them, and whether it is on
// now. An entry the schedule covers is written as blocked while it is on, as allowed while it is
// off; the hosts file cannot say "scheduled", so this is what tells the Status column.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "blocklist/block_list.h"
#include "lock/lock_store.h"
#include "schedule/boundary.h"
#include "schedule/schedule_record.h"
#include "ui/main/row_statuses.h"

namespace ui {

class ScheduleState final : public RowStatuses {
 public:
  // The record as read from the system (nothing: none kept yet), taken as applied too.
  void Loaded(schedule::ScheduleRecord record);
  const schedule::ScheduleRecord& Pending() const { return pending_; }
  const schedule::ScheduleRecord& Applied() const { return applied_; }
  void SetHours(schedule::WeeklySchedule weekly);
  // Whether the next Apply writes a record other than the one applied.
  bool Changed() const { return !(pending_ == applied_); }
  void MarkApplied() { applied_ = pending_; }

  bool Covers(std::string_view name) const;
  void Add(std::vector<std::string> names);
  void Remove(std::string_view name);

  // Reads the clock: true when the schedule went on or off, or its next change moved, since the
  // last look.
  bool Refresh();
  bool On() const { return now_.on; }
  // The status the hosts file gets for an entry the schedule covers: blocked while on, or while
  // `lock` holds it.
  blocklist::Status InForce(std::string_view name, const std::optional<lock::Lock>& lock) const;

  // "Scheduled (blocked until 17:00)" for a covered entry; the list's word otherwise.
  std::string Text(const blocklist::Entry& entry) const override;

 private:
  schedule::ScheduleRecord pending_;
  schedule::ScheduleRecord applied_;
  schedule::Now now_;
  std::string until_;  // when the state changes next, as the Status column says it
};

}  // namespace ui
