// The lock as the main window knows it: read from the system's record at load, after each Apply
// and each lock, and counted down by the machine's own clock in between. It only tells; whoever
// writes the hosts file refuses, again, any change that would lift a locked block.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "lock/lock_store.h"
#include "ui/common/platform_services.h"

namespace ui {

class LockState {
 public:
  explicit LockState(PlatformServices& services) : services_(services) {}

  // Reads the lock on the hosts file at `path` anew. A record found damaged is told at once; a
  // failure to read, once a run.
  void Read(const std::string& path);
  // The lock now; nothing when none is on or it has ended.
  std::optional<lock::Lock> Now() const;
  // `text` was written over the hosts file: what it blocks is locked too, as the system records.
  void Applied(std::string_view text);
  // The main window's line; empty while no lock is on.
  std::string Line() const;

  // When any of `names` is locked, says so with the time it ends and returns true: the change
  // that would lift them is not made.
  bool Refuses(const std::vector<std::string>& names) const;
  // The same for writing `text` over the hosts file (an Apply, a restore).
  bool RefusesText(std::string_view text) const;
  // Uninstalling, while a lock is on.
  bool RefusesUninstall() const;
  // Leaving the browsers' settings alone, while a lock is on: a browser that goes around the
  // hosts file would lift the locked blocks for itself.
  bool RefusesLeavingBrowsersAlone() const;

 private:
  PlatformServices& services_;
  std::optional<lock::Lock> lock_;
  bool failure_told_ = false;
};

}  // namespace ui
