#include "schedule/weekly.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <optional>

#include "week_spans.h"

namespace schedule {

namespace {

constexpr std::array<std::string_view, 7> kDayNames = {"Mon", "Tue", "Wed", "Thu",
                                                       "Fri", "Sat", "Sun"};

rir::Error Unclear(std::string reason) {
  return rir::Error{rir::ErrorCode::kInvalidText, {}, std::move(reason)};
}

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
    text.remove_prefix(1);
  }
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
    text.remove_suffix(1);
  }
  return text;
}

// "9:00", "09:00", "24:00": minutes since midnight, 24:00 being 1440.
std::optional<int> ParseClock(std::string_view text) {
  const auto colon = text.find(':');
  if (colon == std::string_view::npos || colon == 0 || colon > 2 || text.size() != colon + 3) {
    return std::nullopt;
  }
  int hour = 0;
  int minute = 0;
  const char* const begin = text.data();
  const auto [hour_end, hour_error] = std::from_chars(begin, begin + colon, hour);
  const auto [minute_end, minute_error] =
      std::from_chars(begin + colon + 1, begin + text.size(), minute);
  if (hour_error != std::errc() || hour_end != begin + colon || minute_error != std::errc() ||
      minute_end != begin + text.size() || hour > 24 || minute > 59 ||
      (hour == 24 && minute != 0)) {
    return std::nullopt;
  }
  return hour * 60 + minute;
}

}  // namespace

bool Valid(const Range& range) {
  return range.day >= 0 && range.day < 7 && range.start >= 0 && range.start < kMinutesPerDay &&
         range.end > range.start && range.end <= range.start + kMinutesPerDay;
}

std::vector<Span> WeekSpans(const WeeklySchedule& schedule) {
  std::vector<Span> spans;
  for (const Range& range : schedule.ranges) {
    if (!Valid(range)) {
      continue;
    }
    const int start = range.day * kMinutesPerDay + range.start;
    const int end = range.day * kMinutesPerDay + range.end;
    spans.push_back(Span{start, std::min(end, kMinutesPerWeek)});
    if (end > kMinutesPerWeek) {
      spans.push_back(Span{0, end - kMinutesPerWeek});  // Sunday's, on into Monday
    }
  }
  std::sort(spans.begin(), spans.end(),
            [](const Span& a, const Span& b) { return a.start < b.start; });
  std::vector<Span> merged;
  for (const Span& span : spans) {
    if (!merged.empty() && span.start <= merged.back().end) {
      merged.back().end = std::max(merged.back().end, span.end);
    } else {
      merged.push_back(span);
    }
  }
  return merged;
}

bool OnAt(const WeeklySchedule& schedule, int weekday, int minute) {
  const int at = weekday * kMinutesPerDay + minute;
  const auto spans = WeekSpans(schedule);
  return std::any_of(spans.begin(), spans.end(),
                     [at](const Span& span) { return span.start <= at && at < span.end; });
}

bool Covers(const WeeklySchedule& wider, const WeeklySchedule& narrower) {
  // Both merged: each span of the narrower lies within one span of the wider, or it loses time.
  const auto wide = WeekSpans(wider);
  for (const Span& span : WeekSpans(narrower)) {
    if (std::none_of(wide.begin(), wide.end(), [&span](const Span& around) {
          return around.start <= span.start && span.end <= around.end;
        })) {
      return false;
    }
  }
  return true;
}

rir::Result<Range> ParseRange(std::string_view text, int day) {
  if (day < 0 || day >= 7) {
    return Unclear("there is no such day");
  }
  const auto dash = text.find('-');
  if (dash == std::string_view::npos) {
    return Unclear("write a range of time as 22:00-02:00");
  }
  const auto start = ParseClock(Trimmed(text.substr(0, dash)));
  const auto end = ParseClock(Trimmed(text.substr(dash + 1)));
  if (!start || !end) {
    return Unclear("write a range of time as 22:00-02:00, hours 00 to 24, minutes 00 to 59");
  }
  if (*start == kMinutesPerDay) {
    return Unclear("a range starts at 23:59 at the latest; 24:00 is the next day's 00:00");
  }
  // An end not after the start is the next day's: 22:00-02:00, and 09:00-09:00 a whole day.
  return Range{day, *start, *end > *start ? *end : *end + kMinutesPerDay};
}

std::string RangeText(const Range& range) {
  return ClockText(range.start) + '-' +
         ClockText(range.end == kMinutesPerDay ? kMinutesPerDay : range.end % kMinutesPerDay);
}

std::string ClockText(int minute) {
  std::string text;
  for (const int part : {minute / 60, minute % 60}) {
    if (!text.empty()) {
      text += ':';
    }
    text += static_cast<char>('0' + part / 10);
    text += static_cast<char>('0' + part % 10);
  }
  return text;
}

std::string_view DayName(int day) {
  return day >= 0 && day < 7 ? kDayNames[static_cast<std::size_t>(day)] : std::string_view();
}

int DayOfName(std::string_view name) {
  for (std::size_t day = 0; day < kDayNames.size(); ++day) {
    const std::string_view known = kDayNames[day];
    if (name.size() == known.size() &&
        std::equal(name.begin(), name.end(), known.begin(), [](char a, char b) {
          return (a >= 'A' && a <= 'Z' ? a - 'A' + 'a' : a) ==
                 (b >= 'A' && b <= 'Z' ? b - 'A' + 'a' : b);
        })) {
      return static_cast<int>(day);
    }
  }
  return -1;
}

}  // namespace schedule
