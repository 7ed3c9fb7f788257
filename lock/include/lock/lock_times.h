// How much of a lock is left, counted from checkpoint to checkpoint.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

#include "lock/clocks.h"
#include "rir/result.h"

namespace lock {

// The longest a lock may last, and so the longest one could have left when its record is lost.
inline constexpr std::int64_t kLongestLockSeconds = std::int64_t{30} * 24 * 60 * 60;

struct LockTimes {
  std::int64_t left = 0;        // seconds the lock had left at the checkpoint
  std::string boot_id;          // the boot the checkpoint was taken in
  std::int64_t since_boot = 0;  // that boot's clock at the checkpoint
  std::int64_t wall = 0;        // the wall clock at the checkpoint, for the time the machine is off
  // Time the machine is off does not count at all: no setting of the clock shortens the lock.
  bool count_only_on = false;

  bool Ended() const { return left <= 0; }
  // The wall-clock time the lock ends at, as the clock stood at the checkpoint.
  std::int64_t EndsAt() const { return wall + left; }
};

// The times taken at `now`: what passed since the checkpoint comes off what was left. Within a
// boot that is the boot clock's advance, never the wall clock's. After a restart, the time the
// machine was on since counts, and the time it was off counts as the wall-clock gap since the
// checkpoint, never below nothing nor above what was left; with `count_only_on`, not at all.
LockTimes Advance(const LockTimes& times, const Clocks& now);

// A new lock of `length` seconds from `now`.
LockTimes StartTimes(std::int64_t length, bool count_only_on, const Clocks& now);

// The record's text, and back; kDamagedLockRecord (with `path`) for a text not of this form.
std::string EncodeTimes(const LockTimes& times);
rir::Result<LockTimes> DecodeTimes(std::string_view text, const std::string& path);

}  // namespace lock
