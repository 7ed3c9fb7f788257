#include "lock/lock_length.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <ctime>
#include <optional>
#include <vector>

#include "lock/lock_times.h"

namespace lock {

namespace {

constexpr std::int64_t kMinute = 60;
constexpr std::int64_t kHour = 60 * kMinute;
constexpr std::int64_t kDay = 24 * kHour;

rir::Error Unclear(std::string reason) {
  return rir::Error{rir::ErrorCode::kInvalidText, {}, std::move(reason)};
}

std::tm LocalTime(std::int64_t wall) {
  const auto now = static_cast<std::time_t>(wall);
  std::tm local{};
#ifdef _WIN32
  localtime_s(&local, &now);
#else
  localtime_r(&now, &local);
#endif
  return local;
}

std::vector<std::string_view> Words(std::string_view text) {
  std::vector<std::string_view> words;
  std::size_t at = 0;
  while (at < text.size()) {
    if (text[at] == ' ' || text[at] == '\t' || text[at] == ',') {
      ++at;
      continue;
    }
    std::size_t end = at;
    // A number and its unit written together ("3d") are two words.
    const bool digits = text[at] >= '0' && text[at] <= '9';
    while (end < text.size() && text[end] != ' ' && text[end] != '\t' && text[end] != ',' &&
           ((text[end] >= '0' && text[end] <= '9') == digits || text[end] == ':' ||
            text[end] == '-')) {
      ++end;
    }
    words.push_back(text.substr(at, end - at));
    at = end;
  }
  return words;
}

std::optional<std::int64_t> UnitSeconds(std::string_view unit) {
  std::string lower;
  for (const char c : unit) {
    lower += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  }
  for (const auto& [names, seconds] :
       {std::pair{std::vector<std::string_view>{"m", "min", "mins", "minute", "minutes"}, kMinute},
        std::pair{std::vector<std::string_view>{"h", "hr", "hrs", "hour", "hours"}, kHour},
        std::pair{std::vector<std::string_view>{"d", "day", "days"}, kDay}}) {
    for (const std::string_view name : names) {
      if (lower == name) {
        return seconds;
      }
    }
  }
  return std::nullopt;
}

// "17:00" or "2026-12-11 17:00": the end, in local time.
std::optional<std::int64_t> EndIn(std::string_view typed, std::int64_t now) {
  int year = 0;
  int month = 0;
  int day = 0;
  int hour = 0;
  int minute = 0;
  char rest = 0;
  const std::string text(typed);
  std::tm end = LocalTime(now);
  if (std::sscanf(text.c_str(), "%d-%d-%d %d:%d %c", &year, &month, &day, &hour, &minute, &rest) ==
      5) {
    end.tm_year = year - 1900;
    end.tm_mon = month - 1;
    end.tm_mday = day;
  } else if (std::sscanf(text.c_str(), "%d:%d %c", &hour, &minute, &rest) != 2) {
    return std::nullopt;
  }
  if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || month > 12 || day > 31) {
    return std::nullopt;
  }
  end.tm_hour = hour;
  end.tm_min = minute;
  end.tm_sec = 0;
  end.tm_isdst = -1;
  std::int64_t at = std::mktime(&end);
  if (year == 0 && at <= now) {
    end = LocalTime(at);
    end.tm_mday += 1;
    end.tm_hour = hour;
    end.tm_min = minute;
    end.tm_isdst = -1;
    at = std::mktime(&end);
  }
  return at;
}

}  // namespace

rir::Result<std::int64_t> ParseLockLength(std::string_view typed, std::int64_t now) {
  std::int64_t length = 0;
  if (typed.find(':') != std::string_view::npos) {
    const auto end = EndIn(typed, now);
    if (!end) {
      return Unclear("give the end as 17:00 or 2026-12-11 17:00");
    }
    length = *end - now;
    if (length <= 0) {
      return Unclear("that time has passed");
    }
  } else {
    const auto words = Words(typed);
    if (words.empty() || words.size() % 2 != 0) {
      return Unclear("give a number and minutes, hours or days, as in 2 hours");
    }
    for (std::size_t i = 0; i < words.size(); i += 2) {
      std::int64_t count = 0;
      const auto [end, failure] =
          std::from_chars(words[i].data(), words[i].data() + words[i].size(), count);
      const auto unit = UnitSeconds(words[i + 1]);
      if (failure != std::errc() || end != words[i].data() + words[i].size() || !unit ||
          count > kLongestLockSeconds) {
        return Unclear("give a number and minutes, hours or days, as in 2 hours");
      }
      length += count * *unit;
    }
    if (length <= 0) {
      return Unclear("a lock lasts at least a minute");
    }
  }
  if (length > kLongestLockSeconds) {
    return Unclear("a lock lasts at most 30 days");
  }
  return length;
}

std::string ShownTime(std::int64_t wall) {
  const std::tm local = LocalTime(wall);
  char text[40] = {};
  std::strftime(text, sizeof text, "%a %Y-%m-%d %H:%M", &local);
  return text;
}

std::string ShownLength(std::int64_t seconds) {
  const auto part = [](std::int64_t count, std::string_view unit) {
    return std::to_string(count) + " " + std::string(unit) + (count == 1 ? "" : "s");
  };
  // In whole minutes, rounded up: a lock of 2 hours taken a second ago has 2 hours left, and one
  // with seconds left has a minute.
  const std::int64_t minutes_up = (std::max<std::int64_t>(seconds, 0) + kMinute - 1) / kMinute;
  const std::int64_t days = minutes_up * kMinute / kDay;
  const std::int64_t hours = minutes_up * kMinute % kDay / kHour;
  const std::int64_t minutes = minutes_up % 60;
  if (days > 0) {
    return hours > 0 ? part(days, "day") + " " + part(hours, "hour") : part(days, "day");
  }
  if (hours > 0) {
    return minutes > 0 ? part(hours, "hour") + " " + part(minutes, "minute") : part(hours, "hour");
  }
  return part(minutes, "minute");
}

}  // namespace lock
