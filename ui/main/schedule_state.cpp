#include "ui/main/schedule_state.h"

#include <algorithm>
#include <ctime>
#include <utility>

#include "lock/lock_rules.h"
#include "schedule/local_time.h"

namespace ui {

void ScheduleState::Loaded(schedule::ScheduleRecord record) {
  pending_ = std::move(record);
  applied_ = pending_;
  Refresh();
}

void ScheduleState::SetHours(schedule::WeeklySchedule weekly) {
  std::sort(weekly.ranges.begin(), weekly.ranges.end());
  weekly.ranges.erase(std::unique(weekly.ranges.begin(), weekly.ranges.end()), weekly.ranges.end());
  pending_.schedule = std::move(weekly);
  Refresh();
}

bool ScheduleState::Covers(std::string_view name) const {
  return std::binary_search(pending_.names.begin(), pending_.names.end(), name);
}

void ScheduleState::Add(std::vector<std::string> names) {
  // Merged once: a name put in its place one by one would move the rest for each.
  std::vector<std::string>& kept = pending_.names;
  const auto middle = static_cast<std::ptrdiff_t>(kept.size());
  kept.insert(kept.end(), std::make_move_iterator(names.begin()),
              std::make_move_iterator(names.end()));
  std::sort(kept.begin() + middle, kept.end());
  std::inplace_merge(kept.begin(), kept.begin() + middle, kept.end());
  kept.erase(std::unique(kept.begin(), kept.end()), kept.end());
}

void ScheduleState::Remove(std::string_view name) {
  const auto at = std::lower_bound(pending_.names.begin(), pending_.names.end(), name);
  if (at != pending_.names.end() && *at == name) {
    pending_.names.erase(at);
  }
}

bool ScheduleState::Refresh() {
  const schedule::SystemZone zone;
  const std::int64_t utc = std::time(nullptr);
  schedule::Now now = schedule::StateAt(pending_.schedule, utc, zone);
  std::string until = schedule::UntilText(now, utc, zone);
  const bool moved = !(now == now_) || until != until_;
  now_ = now;
  until_ = std::move(until);
  return moved;
}

blocklist::Status ScheduleState::InForce(std::string_view name,
                                         const std::optional<lock::Lock>& lock) const {
  return now_.on || (lock && lock::Holds(*lock, name)) ? blocklist::Status::kBlocked
                                                       : blocklist::Status::kAllowed;
}

std::string ScheduleState::Text(const blocklist::Entry& entry) const {
  if (!Covers(entry.website)) {
    return std::string(blocklist::StatusText(entry.status));
  }
  const bool blocked = entry.status == blocklist::Status::kBlocked;
  if (blocked && !now_.on) {
    return "Scheduled (blocked while locked)";
  }
  std::string text = blocked ? "Scheduled (blocked" : "Scheduled (free";
  if (!until_.empty()) {
    text += " until " + until_;
  }
  return text + ")";
}

}  // namespace ui
