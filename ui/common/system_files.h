// The files that only an administrator may change: the hosts file and the state file. The
// windows read and write them through this, since a program that runs as an ordinary user has
// another process, allowed to, write them on its behalf.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "hostsfile/block_again.h"
#include "hostsfile/hosts_store.h"
#include "lock/lock_store.h"
#include "rir/result.h"
#include "schedule/schedule_record.h"

namespace ui {

class PlatformServices;

// The stored password as the login window holds it from its load.
struct StoredPassword {
  // The stored value; nothing where this process may not read the state file, and the password
  // is checked by whoever may.
  std::optional<std::string> value;
  std::string path;  // the state file, for a damaged hash's message
};

class SystemFiles {
 public:
  virtual ~SystemFiles() = default;

  // What the window says while it waits for one of these calls.
  virtual std::string_view WaitingText() const = 0;

  // Makes the hosts file at `path` hold `text`, once the store has found that it may write (see
  // hostsfile::WriteHosts); `keep` puts the file's text in the history first, where this process
  // keeps it.
  virtual rir::Result<hostsfile::SaveOutcome> WriteHosts(
      const std::string& path, std::string_view text, const hostsfile::KeepPreviousText& keep,
      const std::optional<hostsfile::FileStamp>& unchanged_since) = 0;
  // Finishes a save that did not finish and that this process may not (see
  // hostsfile::FinishSave).
  virtual rir::Result<std::optional<hostsfile::FinishedSave>> FinishSave(
      const std::string& path) = 0;
  // Puts back the blocks of `blocked` (the entries the last Apply left blocked) that another
  // program took out of the hosts file at `path` (hostsfile::BlockAgainInFile), keeping the
  // file's text with `keep` first where this process keeps it. It needs no password where another
  // process writes: that process puts back only what it recorded of the last save made with the
  // password, whatever `blocked` says.
  virtual rir::Result<std::optional<hostsfile::BlockedAgain>> BlockAgain(
      const std::string& path, const std::vector<std::string>& blocked,
      const hostsfile::KeepPreviousText& keep) = 0;

  // The first-run flag as stored; "" when it cannot be found.
  virtual std::string ReadFirstRun() = 0;
  virtual rir::Result<void> WriteFirstRun(const std::string& value) = 0;

  virtual rir::Result<StoredPassword> ReadPassword() = 0;
  // Whether `typed` is the stored password (see settings::PasswordMatches).
  virtual rir::Result<bool> PasswordMatches(std::string_view typed,
                                            const StoredPassword& stored) = 0;
  // Stores a salted hash of `typed`.
  virtual rir::Result<void> StorePassword(std::string_view typed) = 0;

  // The lock on the blocks of the hosts file at `path` as it stands now; nothing when none is
  // on. A damaged record comes back as the longest lock over what the file blocks
  // (lock::Lock::recovered). Reading is a checkpoint of the lock's time.
  virtual rir::Result<std::optional<lock::Lock>> ReadLock(const std::string& path) = 0;
  // Locks every entry that the hosts file at `path` blocks for `length` seconds, or makes the
  // lock on longer; never shorter (kLocked).
  virtual rir::Result<lock::Lock> StartLock(const std::string& path, std::int64_t length,
                                            bool count_only_on) = 0;

  // Leaves the browsers' settings alone, or keeps their look-ups over HTTPS off again while the
  // hosts file at `path` blocks something (browserpolicy::ChooseLeaveAlone). A policy that could
  // not be set or taken back is the error; the choice is recorded all the same.
  virtual rir::Result<void> ChooseBrowserSettings(const std::string& path, bool leave_alone) = 0;

  // The weekly schedule kept for the hosts file at `path` and the names it covers; an empty
  // record where none is kept.
  virtual rir::Result<schedule::ScheduleRecord> ReadSchedule(const std::string& path) = 0;
  // Keeps `record` as the schedule; kLocked when it would lose hours or names under a lock
  // (schedule::CheckChange).
  virtual rir::Result<void> SaveSchedule(const std::string& path,
                                         const schedule::ScheduleRecord& record) = 0;
};

// The files as this process reads and writes them itself: the state file beside the program.
class FilesBesideProgram final : public SystemFiles {
 public:
  explicit FilesBesideProgram(PlatformServices& services) : services_(services) {}

  std::string_view WaitingText() const override;
  rir::Result<hostsfile::SaveOutcome> WriteHosts(
      const std::string& path, std::string_view text, const hostsfile::KeepPreviousText& keep,
      const std::optional<hostsfile::FileStamp>& unchanged_since) override;
  rir::Result<std::optional<hostsfile::FinishedSave>> FinishSave(const std::string& path) override;
  rir::Result<std::optional<hostsfile::BlockedAgain>> BlockAgain(
      const std::string& path, const std::vector<std::string>& blocked,
      const hostsfile::KeepPreviousText& keep) override;
  std::string ReadFirstRun() override;
  rir::Result<void> WriteFirstRun(const std::string& value) override;
  rir::Result<StoredPassword> ReadPassword() override;
  rir::Result<bool> PasswordMatches(std::string_view typed, const StoredPassword& stored) override;
  rir::Result<void> StorePassword(std::string_view typed) override;
  rir::Result<std::optional<lock::Lock>> ReadLock(const std::string& path) override;
  rir::Result<lock::Lock> StartLock(const std::string& path, std::int64_t length,
                                    bool count_only_on) override;
  rir::Result<void> ChooseBrowserSettings(const std::string& path, bool leave_alone) override;
  rir::Result<schedule::ScheduleRecord> ReadSchedule(const std::string& path) override;
  rir::Result<void> SaveSchedule(const std::string& path,
                                 const schedule::ScheduleRecord& record) override;

 private:
  PlatformServices& services_;
};

}  // namespace ui
