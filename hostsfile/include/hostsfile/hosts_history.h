// The history of the hosts file: before the program changes the file, it keeps the file's bytes
// as a numbered copy in a folder of its own, so that any of its own changes can be undone.
//
// Copies are named by their number ("000001.hosts", ...). Numbers only grow: a new copy takes
// the highest number in the folder plus one. A copy is written under a temporary name, flushed
// and only then renamed, so that a copy cut short by a crash is never listed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "rir/result.h"

namespace hostsfile {

// When a copy was kept, in the computer's local time.
struct KeptTime {
  int year = 0;
  int month = 0;  // 1 to 12
  int day = 0;
  int hour = 0;
  int minute = 0;
  int second = 0;
};

struct KeptCopy {
  std::uint64_t number = 0;
  std::string path;
  KeptTime kept_at;
  std::uint64_t size = 0;   // bytes
  std::size_t entries = 0;  // the program's own entry lines in it
};

class HostsHistory {
 public:
  // The newest copies that pruning leaves, besides the first one ever kept.
  static constexpr std::size_t kNewestKept = 20;

  explicit HostsHistory(std::string folder) : folder_(std::move(folder)) {}

  const std::string& folder() const { return folder_; }

  // Keeps the bytes of the file at `hosts_path` as the next copy, making the folder when it is
  // missing, then removes all but the newest copies and the first. A file that is not there
  // has nothing to keep, and nothing is kept.
  rir::Result<void> Keep(const std::string& hosts_path) const;

  // The copies, newest first.
  rir::Result<std::vector<KeptCopy>> List() const;

  // A copy's bytes.
  rir::Result<std::string> Read(const KeptCopy& copy) const;

 private:
  std::string folder_;
};

// Counts the entries of a hosts text given in pieces split anywhere, as the hosts parser would
// find them (a line that begins with one of the four prefixes and holds no NUL; an IPv4 line and
// the IPv6 line of the same status and name right after it count once), without building a list.
class EntryLineCounter {
 public:
  void Feed(std::string_view piece);
  std::size_t Finish();

 private:
  void Add(std::string_view text);
  void EndLine();

  std::size_t count_ = 0;
  std::string line_;             // the line read so far, while it can still be an entry line
  bool other_ = false;           // the line can no longer be an entry (a NUL included)
  bool after_cr_ = false;        // the last piece ended in a CR: an LF now is part of its line end
  std::string last_ipv4_;        // the line before, when it was an IPv4 entry line
  bool partner_wanted_ = false;  // last_ipv4_ holds that line
};

// The folder that holds the history of a program that runs from `executable_folder`.
std::string HistoryFolderFor(const std::string& executable_folder);

}  // namespace hostsfile
