// The system's keeper of blocks: a service that runs as root (Linux) or as the local system
// (Windows) with or without the program, and puts blocks back as the program's own watch does.
// It leaves two small files, readable by everyone, in the program's data folder: its process id
// while it runs, and what it put back, so that the program neither watches beside it nor leaves
// the user unaware of what it did.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "rir/result.h"

namespace hostsfile {

struct KeeperReport {
  std::uint64_t count = 0;  // put-backs since the keeper's record began, the last one's included
  std::int64_t wall = 0;    // when the last one was, seconds since 1970
  std::size_t removed = 0;  // as hostsfile::BlockedAgain counts them, for the last one
  std::size_t allowed = 0;
  std::size_t partial = 0;
  std::vector<std::string> names;  // the entries the last one put back
};

std::string EncodeKeeperReport(const KeeperReport& report);
// Nothing for a text not of this form: a report half written is as none.
std::optional<KeeperReport> DecodeKeeperReport(std::string_view text);

// The files in the data folder `folder`.
std::string KeeperReportPath(const std::string& folder);
std::string KeeperRunningPath(const std::string& folder);

// Whether a keeper runs now for the data folder `folder`.
bool KeeperRuns(const std::string& folder);
// What the keeper last put back; nothing when it never did or the report cannot be read.
std::optional<KeeperReport> ReadKeeperReport(const std::string& folder);

}  // namespace hostsfile
