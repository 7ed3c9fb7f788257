#include <stdlib.h>
#include <time.h>

#include "schedule/local_time.h"

namespace schedule {

SystemZone::SystemZone() {
  // Reads TZ and the system's zone file again, should either have changed. Without TZ the C
  // library reads /etc/localtime once and keeps it while the name stays the same, so a zone
  // chosen later would go unseen by a keeper that runs for months: another zone first makes it
  // read the file anew.
  if (getenv("TZ") == nullptr) {
    setenv("TZ", "UTC0", 1);
    tzset();
    unsetenv("TZ");
  }
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
