// The schedule as the system side keeps it: its record beside the lock's, written only with the
// password (the Linux helper as root, the Windows program as an administrator), what a lock lets
// it become, and the hosts file put in line with it, which the keeper does at each change with
// the program closed and without the password.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "hostsfile/file_io.h"
#include "lock/lock_store.h"
#include "rir/result.h"
#include "schedule/boundary.h"
#include "schedule/schedule_record.h"

namespace schedule {

std::string RecordPath(const std::string& folder);

// The record kept in `folder`; an empty one (no hours, no names) where none is.
rir::Result<ScheduleRecord> ReadRecord(const std::string& folder);

// Under a lock a schedule may gain hours and names, never lose them: a name may leave it only
// while the lock holds it (it stays blocked all the same). kLocked with the lock's end otherwise.
rir::Result<void> CheckChange(const std::optional<lock::Lock>& lock, const ScheduleRecord& before,
                              const ScheduleRecord& after);

// Keeps `record` in `folder`, where the lock on the blocks of the hosts file at `hosts_path`
// allows it (CheckChange).
rir::Result<void> SaveRecord(const std::string& folder, const std::string& hosts_path,
                             const ScheduleRecord& record);

// `hosts_text` with each entry the record covers blocked while `on` (or while `lock` holds it)
// and allowed otherwise, every other line as it stands; nothing when it is so already.
std::optional<std::string> InForceText(std::string_view hosts_text, const ScheduleRecord& record,
                                       bool on, const std::optional<lock::Lock>& lock);

// What the keeper's look at the schedule found.
struct Switch {
  Now now;                          // the schedule's state at the look
  std::optional<std::string> text;  // the hosts file as it must become; nothing: it is so
  hostsfile::FileStamp stamp;       // the file that was read, to be written only while unchanged
};

// Reads the record in `folder` and the hosts file at `hosts_path`, and tells what the file must
// become at `utc` in `zone`.
rir::Result<Switch> LookAtSchedule(const std::string& folder, const std::string& hosts_path,
                                   std::int64_t utc, const Zone& zone);

// Where the program writes the hosts file itself (Windows): puts the file in line with the schedule
// at `utc` in `zone` through lock::SaveRecorded, its text kept in the history in `folder` first;
// false when it is so already.
rir::Result<bool> KeepSchedule(const std::string& folder, const std::string& hosts_path,
                               std::int64_t utc, const Zone& zone);

}  // namespace schedule
