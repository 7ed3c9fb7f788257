// The executable's folder on Linux and other POSIX systems.
#include <unistd.h>

#include <string>

#include "rir/posix_file.h"
#include "settings/state_file.h"

namespace settings {

rir::Result<std::string> ExecutableFolder() {
  std::string target(256, '\0');
  for (;;) {
    const ssize_t length = ::readlink("/proc/self/exe", target.data(), target.size());
    if (length < 0) {
      return rir::SystemFailure(rir::ErrorCode::kExecutableFolderUnknown, "/proc/self/exe");
    }
    if (static_cast<std::size_t>(length) < target.size()) {
      target.resize(static_cast<std::size_t>(length));
      return rir::FolderOf(target);
    }
    target.resize(target.size() * 2);
  }
}

}  // namespace settings
