#include <time.h>

#include "schedule/local_time.h"

namespace schedule {

SystemZone::SystemZone() {
  // Reads TZ and the system's zone file again, should either have changed.
  tzset();
}

std::int64_t SystemZone::OffsetAt(std::int64_t utc) const {
  const auto at = static_cast<time_t>(utc);
  struct tm local {};
  if (localtime_r(&at, &local) == nullptr) {
    return 0;  // out of the system's range: UTC
  }
  return local.tm_gmtoff;
}

}  // namespace schedule
