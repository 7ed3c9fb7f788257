// Wrong passwords counted across processes. A wait after each wrong password in one process
// would not stop a guesser who starts many processes at once (the Linux program's helper, which
// any local user may start), so the count lies in a file of its own that every process checking a
// password updates under a lock: after five wrong passwords in a row, each further attempt must
// wait a time that doubles with every failure, counted from the last one. The wait is had before
// the password is hashed, and an attempt counts as failed from its start, so that neither many
// attempts at once nor a process killed during its hash gets past the count. The right password
// clears it.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

#include "rir/result.h"

namespace settings {

inline constexpr std::uint32_t kFreeWrongPasswords = 5;
inline constexpr std::chrono::seconds kLongestLoginWait{15 * 60};

// The wait that `failures` wrong passwords in a row impose on the next attempt: none up to five,
// then 1 s, doubling with each further one, at most kLongestLoginWait.
std::chrono::seconds LoginWaitAfter(std::uint32_t failures);

// The record in the folder where the program keeps its data (rir::ProgramDataFolder), readable
// and writable by administrators only, as the state file is.
std::string LoginRecordPathIn(const std::string& data_folder);

class LoginRecord {
 public:
  explicit LoginRecord(std::string path) : path_(std::move(path)) {}

  // Called before a password is hashed. When the count asks for a wait that is not over, a
  // kTooManyWrongPasswords error whose reason says how long is left, and nothing is counted.
  // Otherwise the attempt is counted as a failure until Clear.
  rir::Result<void> BeginAttempt() const;
  // The password was right.
  rir::Result<void> Clear() const;

  // Whether `attempt` is the password that `stored` keeps (settings::PasswordMatches), counted:
  // BeginAttempt first, Clear when it is.
  rir::Result<bool> Matches(std::string_view attempt, std::string_view stored) const;

  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace settings
