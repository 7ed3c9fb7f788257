#include <signal.h>

#include <cerrno>
#include <charconv>

#include "hostsfile/keeper_report.h"
#include "rir/file_read.h"

namespace hostsfile {

// The keeper writes its process id at its start and removes it as it ends; one killed leaves it,
// and is known gone by its process. (Root's process answers another user with EPERM.)
bool KeeperRuns(const std::string& folder) {
  auto text = rir::ReadSmallFile(KeeperRunningPath(folder));
  if (!text || !*text) {
    return false;
  }
  pid_t pid = 0;
  const std::string& id = **text;
  const auto [end, failure] = std::from_chars(id.data(), id.data() + id.size(), pid);
  if (failure != std::errc() || pid <= 1) {
    return false;
  }
  return ::kill(pid, 0) == 0 || errno == EPERM;
}

}  // namespace hostsfile
