#include "lock/lock_times.h"

#include <algorithm>
#include <charconv>
#include <optional>

namespace lock {

namespace {

constexpr std::string_view kHeading = "rir-avadera-lock 1\n";

bool SameBoot(const LockTimes& times, const Clocks& now) {
  if (!times.boot_id.empty() || !now.boot_id.empty()) {
    return times.boot_id == now.boot_id;
  }
  return now.since_boot >= times.since_boot;
}

std::optional<std::int64_t> NumberAfter(std::string_view text, std::string_view key) {
  const std::string line_start = "\n" + std::string(key) + "=";
  const auto at = text.find(line_start);
  if (at == std::string_view::npos) {
    return std::nullopt;
  }
  const char* first = text.data() + at + line_start.size();
  const char* last = text.data() + text.size();
  std::int64_t value = 0;
  const auto [end, failure] = std::from_chars(first, last, value);
  if (failure != std::errc() || end == last || *end != '\n') {
    return std::nullopt;
  }
  return value;
}

}  // namespace

LockTimes Advance(const LockTimes& times, const Clocks& now) {
  std::int64_t passed = 0;
  if (SameBoot(times, now)) {
    passed = std::max<std::int64_t>(0, now.since_boot - times.since_boot);
  } else {
    // The wall-clock gap covers the time off and the time on since; a clock set back must not
    // take the time on away, and one set forward must not end more than the lock.
    const std::int64_t off =
        times.count_only_on ? 0 : std::clamp<std::int64_t>(now.wall - times.wall, 0, times.left);
    passed = std::max<std::int64_t>(off, now.since_boot);
  }
  LockTimes advanced = times;
  advanced.left = std::max<std::int64_t>(0, times.left - passed);
  advanced.boot_id = now.boot_id;
  advanced.since_boot = now.since_boot;
  advanced.wall = now.wall;
  return advanced;
}

LockTimes StartTimes(std::int64_t length, bool count_only_on, const Clocks& now) {
  return LockTimes{.left = std::clamp<std::int64_t>(length, 0, kLongestLockSeconds),
                   .boot_id = now.boot_id,
                   .since_boot = now.since_boot,
                   .wall = now.wall,
                   .count_only_on = count_only_on};
}

std::string EncodeTimes(const LockTimes& times) {
  std::string text(kHeading);
  text += "left=" + std::to_string(times.left) + "\n";
  text += "since-boot=" + std::to_string(times.since_boot) + "\n";
  text += "wall=" + std::to_string(times.wall) + "\n";
  text += "count-only-on=" + std::string(times.count_only_on ? "1" : "0") + "\n";
  // Last: the id is the kernel's text, and a record cut short loses its final line end.
  text += "boot-id=" + times.boot_id + "\n";
  return text;
}

rir::Result<LockTimes> DecodeTimes(std::string_view text, const std::string& path) {
  const rir::Error damaged{rir::ErrorCode::kDamagedLockRecord, path, {}};
  if (!text.starts_with(kHeading) || !text.ends_with('\n')) {
    return damaged;
  }
  // Each key is looked for after a line end: the heading's ends the line before the first.
  const std::string_view body = text.substr(kHeading.size() - 1);
  const auto left = NumberAfter(body, "left");
  const auto since_boot = NumberAfter(body, "since-boot");
  const auto wall = NumberAfter(body, "wall");
  const auto only_on = NumberAfter(body, "count-only-on");
  const auto id_at = body.find("\nboot-id=");
  if (!left || !since_boot || !wall || !only_on || (*only_on != 0 && *only_on != 1) ||
      id_at == std::string_view::npos || *left < 0 || *left > kLongestLockSeconds) {
    return damaged;
  }
  std::string_view id = body.substr(id_at + 9);
  id.remove_suffix(1);
  if (id.find('\n') != std::string_view::npos) {
    return damaged;
  }
  return LockTimes{.left = *left,
                   .boot_id = std::string(id),
                   .since_boot = *since_boot,
                   .wall = *wall,
                   .count_only_on = *only_on == 1};
}

}  // namespace lock
