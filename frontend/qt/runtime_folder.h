// A runtime folder for Qt when the session gave the program none of its own.
#pragma once

#include <optional>
#include <string>

namespace qtfront {

// Qt looks into the user's runtime folder at every start (for a sandbox's marker file). When
// XDG_RUNTIME_DIR is not set, as under pkexec, sudo or a bare X server, it says so on the
// console and falls back to a folder in /tmp; when the variable names another user's folder
// (root started with the desktop user's environment) it says that instead. Either way the
// program gives Qt a folder of its own, made before Qt starts: the user's in the temporary
// folder when it is private (a real folder of this user's, mode 0700), else a new one for the
// run. Any other trouble with the folder the session gave is Qt's to report.
class RuntimeFolder {
 public:
  RuntimeFolder();
  // Gives the variable back what it held, and removes a folder made for this run alone.
  ~RuntimeFolder();
  RuntimeFolder(const RuntimeFolder&) = delete;
  RuntimeFolder& operator=(const RuntimeFolder&) = delete;

  // The folder given to Qt; empty when the session's serves.
  const std::string& folder() const { return folder_; }

 private:
  std::optional<std::string> given_;  // XDG_RUNTIME_DIR as it was
  std::string folder_;
  bool for_this_run_ = false;
};

}  // namespace qtfront
