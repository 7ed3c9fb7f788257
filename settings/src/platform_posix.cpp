// The executable's folder and file checks on Linux and other POSIX systems.
#include <unistd.h>

#include <string>

#include "readable.h"
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

rir::Result<void> CheckReadableOrMissing(const std::string& path) {
  // Read, not only opened: a folder in the file's place opens but cannot be read.
  if (auto text = rir::ReadSmallFile(path); !text) {
    return text.error();
  }
  return {};
}

}  // namespace settings
