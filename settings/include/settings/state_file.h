// The state file: "state.dll" beside the executable, INI text with the first-run flag and the
// login password in section "settings". Nothing is kept between calls; with no explicit path,
// the path is found anew at each one.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "rir/result.h"

namespace settings {

// The folder that holds the running executable, without a trailing separator except at a
// root ("C:\", "/").
rir::Result<std::string> ExecutableFolder();

// The state file in `folder`, joined by plain concatenation ("C:\" gives "C:\\state.dll",
// which Windows reads as "C:\state.dll").
std::string StateFilePathIn(const std::string& folder);

class StateFile {
 public:
  // Beside the running executable.
  StateFile() = default;
  // At `path`, for tests and tools.
  explicit StateFile(std::string path) : path_(std::move(path)) {}

  rir::Result<std::string> Path() const;

  // The first-run flag as stored; "" when the file, the key or the executable's folder is
  // missing, or the file cannot be read.
  std::string ReadFirstRun() const;
  rir::Result<void> WriteFirstRun(const std::string& value) const;

  // The stored password value ("" when there is none: the empty password). A state file that
  // exists but cannot be read, is no plain file or is too large, is an error here, never the
  // empty password; and so is one where the INI calls find no value but some line gives "pwd"
  // one all the same (kUnclearPassword): a password was stored there, and it cannot be told
  // which.
  rir::Result<std::string> ReadPassword() const;
  // Stores a salted hash of `typed`, exactly as typed.
  rir::Result<void> StorePassword(std::string_view typed) const;

 private:
  std::optional<std::string> path_;
};

}  // namespace settings
