// A small record of ours (the count of wrong passwords, the lock's clocks), open and locked
// against every other process until the object goes.
// It is rewritten in place under the lock, so the lock can be on the file itself.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "rir/result.h"

namespace settings {

class LockedRecordFile {
 public:
  // Opens the file, made when missing and readable by administrators only, and waits for its lock
  // (at most kMostLockWait).
  static rir::Result<LockedRecordFile> Open(const std::string& path);

  LockedRecordFile(LockedRecordFile&&) noexcept;
  LockedRecordFile& operator=(LockedRecordFile&&) noexcept;
  ~LockedRecordFile();

  // The file's text, at most a few hundred bytes of it.
  rir::Result<std::string> Read();
  rir::Result<void> Write(std::string_view text);

 private:
  struct Held;
  explicit LockedRecordFile(std::unique_ptr<Held> held);
  std::unique_ptr<Held> held_;
};

}  // namespace settings
