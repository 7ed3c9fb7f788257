#include "lock/lock_rules.h"

#include <algorithm>
#include <iterator>

#include "hostsfile/block_again.h"
#include "lock/lock_length.h"

namespace lock {

namespace {

std::vector<std::string> Joined(std::vector<std::string> names,
                                const std::vector<std::string>& more) {
  names.insert(names.end(), more.begin(), more.end());
  std::sort(names.begin(), names.end());
  names.erase(std::unique(names.begin(), names.end()), names.end());
  return names;
}

}  // namespace

bool Holds(const Lock& lock, std::string_view name) {
  return std::binary_search(lock.names.begin(), lock.names.end(), name);
}

std::vector<std::string> UnlockedBy(const Lock& lock, std::string_view text) {
  auto again = hostsfile::BlockAgain(text, lock.names);
  return again ? std::move(again->names) : std::vector<std::string>();
}

Lock LockedAfter(const Lock& lock, std::string_view text) {
  Lock after = lock;
  after.names = Joined(lock.names, hostsfile::BlockedNames(text));
  return after;
}

rir::Result<Lock> Lengthened(const std::optional<Lock>& current, std::int64_t length,
                             bool count_only_on, std::vector<std::string> names,
                             const Clocks& now) {
  Lock made{StartTimes(length, count_only_on, now), Joined(std::move(names), {})};
  if (!current) {
    return made;
  }
  if (made.times.left < current->times.left) {
    return Refusal(*current, {});
  }
  // A lock that counted only time on stays so: the longer lock must not be the easier one to
  // end by setting the clock.
  made.times.count_only_on = count_only_on || current->times.count_only_on;
  made.names = Joined(std::move(made.names), current->names);
  return made;
}

Lock RecoveredLock(std::vector<std::string> blocked, const Clocks& now) {
  return Lock{StartTimes(kLongestLockSeconds, false, now), Joined(std::move(blocked), {}), true};
}

rir::Error Refusal(const Lock& lock, const std::vector<std::string>& lifted) {
  std::string who = "they stay";
  if (lifted.size() == 1) {
    who = lifted.front() + " stays";
  } else if (!lifted.empty()) {
    who = lifted.front() + " and " + std::to_string(lifted.size() - 1) + " more stay";
  }
  return rir::Error{
      rir::ErrorCode::kLocked, {}, who + " blocked until " + ShownTime(lock.times.EndsAt())};
}

}  // namespace lock
