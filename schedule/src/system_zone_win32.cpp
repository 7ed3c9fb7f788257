#include <windows.h>

#include "schedule/local_time.h"

namespace schedule {

namespace {

// Seconds from 1601, where FILETIME counts from, to 1970.
constexpr std::int64_t kFrom1601 = 11'644'473'600;
constexpr std::int64_t kTicksPerSecond = 10'000'000;

}  // namespace

// The zone is asked of the system at each reading: the system's own, whatever TZ says, with the
// rules of the year the moment falls in.
SystemZone::SystemZone() = default;

std::int64_t SystemZone::OffsetAt(std::int64_t utc) const {
  if (utc < -kFrom1601) {
    return 0;
  }
  const auto ticks = static_cast<ULONGLONG>((utc + kFrom1601) * kTicksPerSecond);
  const FILETIME universal_file{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
  SYSTEMTIME universal{};
  SYSTEMTIME local{};
  FILETIME local_file{};
  DYNAMIC_TIME_ZONE_INFORMATION zone{};
  TIME_ZONE_INFORMATION that_year{};
  if (GetDynamicTimeZoneInformation(&zone) == TIME_ZONE_ID_INVALID ||
      !FileTimeToSystemTime(&universal_file, &universal) ||
      !GetTimeZoneInformationForYear(universal.wYear, &zone, &that_year) ||
      !SystemTimeToTzSpecificLocalTime(&that_year, &universal, &local) ||
      !SystemTimeToFileTime(&local, &local_file)) {
    return 0;  // unknown: UTC
  }
  const ULONGLONG local_ticks =
      (ULONGLONG{local_file.dwHighDateTime} << 32) | local_file.dwLowDateTime;
  return static_cast<std::int64_t>(local_ticks / kTicksPerSecond) - kFrom1601 - utc;
}

}  // namespace schedule
