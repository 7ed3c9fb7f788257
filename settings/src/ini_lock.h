// Keeps the read, change and write of one INI value whole against every other writer through
// modINIFile, in this process or another, so that two writers never lose one another's value.
//   POSIX: an flock on "<file>.lock" beside the file. The file itself cannot hold the lock: each
//   write renames a new file onto its name, and a waiter would then hold a lock on a file that
//   is no longer there.
//   Windows: a named mutex for the file's full path. The private-profile calls serialise the
//   calls of one process, but nothing says they serialise those of two; and a lock on a range
//   of the file itself would stop the calls' own writes.
// A lock that another program holds for longer than kMostLockWait is a failure, not a wait
// without end.
#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "rir/result.h"

namespace settings {

inline constexpr std::chrono::milliseconds kMostLockWait{5000};

class IniLock {
 public:
  // Held until the object goes: no other writer of `path` gets past ForWriting meanwhile.
  static rir::Result<IniLock> ForWriting(const std::string& path);
  // Held while the file is read more than once and the reads must agree. On POSIX it holds
  // nothing: every write is a rename, so each read sees one whole file anyway.
  static rir::Result<IniLock> ForReading(const std::string& path);

  IniLock(IniLock&&) noexcept;
  IniLock& operator=(IniLock&&) noexcept;
  ~IniLock();

 private:
  struct Held;
  explicit IniLock(std::unique_ptr<Held> held);
  std::unique_ptr<Held> held_;
};

// The reason given for a lock that was not had in time.
std::string LockWaitReason();

}  // namespace settings
