#include <sys/stat.h>

#include "lock/lock_store.h"
#include "rir/posix_file.h"

namespace lock {

rir::Result<void> ReplacePrivateFile(const std::string& path, std::string_view text) {
  return rir::ReplaceFileByRename(path, text, S_IRUSR | S_IWUSR);
}

rir::Result<void> ReplaceReadableFile(const std::string& path, std::string_view text) {
  return rir::ReplaceFileByRename(path, text, S_IRUSR | S_IWUSR | S_IRGRP | S_IROTH);
}

}  // namespace lock
