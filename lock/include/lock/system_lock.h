// The lock as the system side applies it: the Linux helper and its keeping service as root, the
// Windows program (an administrator) and its service. Each reads the record at `now`, so every
// use is a checkpoint.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "hostsfile/block_again.h"
#include "lock/lock_rules.h"
#include "lock/lock_store.h"

namespace lock {

// The lock on now; nothing when none is. A damaged record is not an unlock: it is put right as
// the longest lock over every name the hosts file at `hosts_path` blocks (Lock::recovered).
rir::Result<std::optional<Lock>> CurrentLock(const LockStore& store, const std::string& hosts_path,
                                             const Clocks& now);

// Locks every name the hosts file blocks for `length` seconds, or makes the lock on longer
// (kLocked when it would end sooner).
rir::Result<Lock> StartLock(const LockStore& store, const std::string& hosts_path,
                            std::int64_t length, bool count_only_on, const Clocks& now);

// Before `text` is written over the hosts file: kLocked when it would lift a locked block.
rir::Result<void> CheckSave(const LockStore& store, const std::string& hosts_path,
                            std::string_view text, const Clocks& now);
// After `text` was written: what it blocks is locked too, while a lock is on.
rir::Result<void> AfterSave(const LockStore& store, std::string_view text, const Clocks& now);

// Where the program writes the hosts file itself (Windows, as an administrator), the names the
// last save left blocked lie beside the lock, for the keeper to put back. Recorded before the
// file changes, so that a keeper never puts back what the save allows.
rir::Result<void> RecordApplied(const std::string& folder, std::string_view text);
// Back to `names` (the record as it was), after a save that did not change the file.
rir::Result<void> RecordAppliedNames(const std::string& folder,
                                     const std::vector<std::string>& names);
// Nothing recorded: no names.
rir::Result<std::vector<std::string>> ReadApplied(const std::string& folder);

// A save there: refused where it would lift a locked block; the names it leaves blocked recorded
// first (RecordApplied), the file written (hostsfile::ReplaceHostsFile with `keep` and `checks`),
// and what it blocks locked too while a lock is on.
rir::Result<hostsfile::SaveOutcome> SaveRecorded(const std::string& folder,
                                                 const std::string& hosts_path,
                                                 std::string_view text,
                                                 const hostsfile::KeepPreviousText& keep,
                                                 const hostsfile::SaveChecks& checks);

// The keeper's put-back there: the recorded names and the locked ones, put back into the hosts
// file at `hosts_path` where another program took them out, its text kept in the history first.
rir::Result<std::optional<hostsfile::BlockedAgain>> PutBackApplied(const std::string& folder,
                                                                   const std::string& hosts_path);

}  // namespace lock
