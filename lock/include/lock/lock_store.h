// The lock's record: its clocks at the last checkpoint, and the names it holds. Kept where only
// an administrator may write (beside the history on Linux, root's and 0600; beside the state file
// on Windows, for administrators only), so that the program's own user cannot shorten it. The
// clocks are a small file, rewritten in place under a lock at each checkpoint; the names, written
// whole at the lock's start and at each Apply that blocks more, go beside it.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "lock/clocks.h"
#include "lock/lock_times.h"
#include "rir/result.h"

namespace lock {

struct Lock {
  LockTimes times;
  std::vector<std::string> names;  // sorted, each once
  // The record was found damaged and this lock put in its place, for the longest a lock lasts.
  bool recovered = false;
};

class LockStore {
 public:
  explicit LockStore(std::string folder);

  // The lock as it stands at `now`, and its record checkpointed; nothing when no lock is on (the
  // record of one that ended is emptied). A record that cannot be read as a whole lock (clocks
  // without names, names without clocks, either damaged) is kDamagedLockRecord: not an unlock.
  rir::Result<std::optional<Lock>> Read(const Clocks& now) const;

  // Reads the lock at `now` as Read does and, under the same hold of the record, writes what
  // `change` makes of it (nothing: no lock); `change` gets the damage instead of a lock where the
  // record is damaged, and may put a lock in its place. An error from `change` writes nothing.
  using Change = std::function<rir::Result<std::optional<Lock>>(
      const rir::Result<std::optional<Lock>>& before)>;
  rir::Result<std::optional<Lock>> Update(const Clocks& now, const Change& change) const;

  // Whether the folder holds a record of a lock at all, without reading or holding it: cheap to
  // ask at every look.
  static bool Exists(const std::string& folder);

  std::string TimesPath() const;
  std::string NamesPath() const;

 private:
  std::string folder_;
};

// The names file's text, and back (kDamagedLockRecord with `path` when it is not whole).
std::string EncodeNames(const std::vector<std::string>& names);
// The names file's text of what `hosts_text` blocks, read from the text as it goes: a copy of
// each of a million names would cost as much again.
std::string EncodeBlockedNames(std::string_view hosts_text);
rir::Result<std::vector<std::string>> DecodeNames(std::string_view text, const std::string& path);

// Writes `text` in place of the file at `path` in one step, readable by administrators only.
rir::Result<void> ReplacePrivateFile(const std::string& path, std::string_view text);
// The same, for a file every user may read (what the keeper tells the program).
rir::Result<void> ReplaceReadableFile(const std::string& path, std::string_view text);

}  // namespace lock
