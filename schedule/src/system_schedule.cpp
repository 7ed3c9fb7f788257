#include "schedule/system_schedule.h"

#include <algorithm>

#include "blocklist/block_list.h"
#include "hostsfile/hosts_format.h"
#include "hostsfile/hosts_history.h"
#include "lock/lock_rules.h"
#include "lock/system_lock.h"
#include "rir/file_read.h"
#include "rir/path.h"

namespace schedule {

std::string RecordPath(const std::string& folder) {
  return rir::FileInFolder(folder, "schedule");
}

rir::Result<ScheduleRecord> ReadRecord(const std::string& folder) {
  const std::string path = RecordPath(folder);
  auto text = rir::ReadSmallFile(path);
  if (!text) {
    return text.error();
  }
  if (!*text) {
    return ScheduleRecord{};
  }
  return DecodeSchedule(**text, path);
}

rir::Result<void> CheckChange(const std::optional<lock::Lock>& lock, const ScheduleRecord& before,
                              const ScheduleRecord& after) {
  if (!lock) {
    return {};
  }
  std::vector<std::string> dropped;
  for (const std::string& name : before.names) {
    if (!std::binary_search(after.names.begin(), after.names.end(), name) &&
        !lock::Holds(*lock, name)) {
      dropped.push_back(name);
    }
  }
  if (!dropped.empty()) {
    return lock::Refusal(*lock, dropped);
  }
  if (!Covers(after.schedule, before.schedule)) {
    rir::Error refused = lock::Refusal(*lock, {});
    refused.reason = "the schedule may gain hours, not lose them: " + refused.reason;
    return refused;
  }
  return {};
}

rir::Result<void> SaveRecord(const std::string& folder, const std::string& hosts_path,
                             const ScheduleRecord& record) {
  auto before = ReadRecord(folder);
  if (!before) {
    return before.error();
  }
  auto lock = lock::CurrentLock(lock::LockStore(folder), hosts_path, lock::ReadClocks());
  if (!lock) {
    return lock.error();
  }
  if (auto allowed = CheckChange(*lock, *before, record); !allowed) {
    return allowed;
  }
  return lock::ReplacePrivateFile(RecordPath(folder),
                                  EncodeSchedule(record.schedule, record.names));
}

std::optional<std::string> InForceText(std::string_view hosts_text, const ScheduleRecord& record,
                                       bool on, const std::optional<lock::Lock>& lock) {
  blocklist::BlockList list;
  const hostsfile::HostsLayout layout = hostsfile::ParseHosts(hosts_text, list);
  bool changed = false;
  for (std::size_t i = 0; i < list.size(); ++i) {
    const blocklist::Entry entry = list[i];
    if (!std::binary_search(record.names.begin(), record.names.end(), entry.website)) {
      continue;
    }
    const bool blocked = on || (lock && lock::Holds(*lock, entry.website));
    const auto status = blocked ? blocklist::Status::kBlocked : blocklist::Status::kAllowed;
    if (entry.status != status) {
      list.SetStatus(i, status);
      changed = true;
    }
  }
  if (!changed) {
    return std::nullopt;
  }
  return hostsfile::BuildHostsText(layout, list);
}

rir::Result<Switch> LookAtSchedule(const std::string& folder, const std::string& hosts_path,
                                   std::int64_t utc, const Zone& zone) {
  auto record = ReadRecord(folder);
  if (!record) {
    return record.error();
  }
  Switch look{StateAt(record->schedule, utc, zone), std::nullopt, {}};
  if (record->names.empty()) {
    return look;
  }
  auto lock = lock::CurrentLock(lock::LockStore(folder), hosts_path, lock::ReadClocks());
  if (!lock) {
    return lock.error();
  }
  auto before = hostsfile::StampOf(hosts_path);
  if (!before) {
    return before.error();
  }
  std::string text;
  auto read = rir::ReadFileInPieces(hosts_path, [&text](std::string_view piece, std::size_t size) {
    text.reserve(size);
    text.append(piece);
  });
  if (!read) {
    return read.error();
  }
  if (auto after = hostsfile::StampOf(hosts_path); !after || *after != *before) {
    return rir::Error{rir::ErrorCode::kStillBeingWritten, hosts_path,
                      "it changed while it was read"};
  }
  look.stamp = *before;
  look.text = InForceText(text, *record, look.now.on, *lock);
  return look;
}

rir::Result<bool> KeepSchedule(const std::string& folder, const std::string& hosts_path,
                               std::int64_t utc, const Zone& zone) {
  auto look = LookAtSchedule(folder, hosts_path, utc, zone);
  if (!look) {
    return look.error();
  }
  if (!look->text) {
    return false;
  }
  const hostsfile::HostsHistory history(rir::FileInFolder(folder, "history"));
  auto saved = lock::SaveRecorded(
      folder, hosts_path, *look->text,
      [&history](const std::string& path) { return history.Keep(path); },
      hostsfile::SaveChecks{look->stamp, {}});
  if (!saved) {
    return saved.error();
  }
  return true;
}

}  // namespace schedule
