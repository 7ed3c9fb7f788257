// The helper's one job: take a request from a program that runs as an ordinary user and, when
// it carries the program's password, write the hosts file or the state file. It trusts nothing
// in the request: the files it writes are its own to know, the password is checked against the
// state file at every request (after the wait that earlier wrong ones impose, before anything
// else is read), and only a text the program itself could have built is written.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "browserpolicy/browser_policies.h"
#include "helper/protocol.h"
#include "helper/request_reader.h"
#include "hostsfile/block_again.h"
#include "hostsfile/resolver_cache.h"
#include "rir/result.h"
#include "schedule/local_time.h"

namespace helper {

// The files the helper looks after.
struct Place {
  std::string hosts_path;
  std::string state_path;
  // Where the hosts file's history, the count of wrong passwords and the lock that keeps two
  // helpers' saves apart lie (rir::ProgramDataFolder).
  std::string data_folder;
  hostsfile::ResolverCaches caches;  // emptied after each change of the hosts file
  // The browsers' policies kept in line with what the hosts file blocks; none: left alone.
  std::optional<browserpolicy::PolicyPlaces> policies{};

  std::string HistoryFolder() const;
  std::string LoginRecordPath() const;
  std::string SaveLockPath() const;
  // The entries that the last save made with the password left blocked, one name a line: what a
  // request without the password may put back, and nothing else.
  std::string BlockedRecordPath() const;
};

Message Serve(RequestReader& request, const Place& place);

// Puts back, into the hosts file, every block that the record of the last save with the password
// holds and every locked one, where another program took them out; under the save lock, the
// file's text kept in the history first. Nothing when every block is in place.
rir::Result<std::optional<hostsfile::BlockedAgain>> PutBlocksBack(const Place& place);
// Puts the entries the schedule covers in the hosts file as the schedule has them at `utc` in
// `zone` (and the lock: a locked one stays blocked), through the same save as one made with the
// password, which the schedule's record was; false when they are so already.
rir::Result<bool> KeepSchedule(const Place& place, std::int64_t utc, const schedule::Zone& zone);
// A request that is all in memory.
Message Serve(std::string_view request, const Place& place);

}  // namespace helper
