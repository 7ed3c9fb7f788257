#include "rewrite_in_place.h"

#include <unistd.h>

#include <cerrno>

namespace blocklist {

namespace {

bool WriteAll(int fd, std::string_view text, const FileWriteOps& ops) {
  std::size_t done = 0;
  while (done < text.size()) {
    const long written =
        ops.write_at(fd, text.data() + done, text.size() - done, static_cast<std::int64_t>(done));
    if (written < 0) {
      if (errno == EINTR) {
        continue;
      }
      return false;
    }
    if (written == 0) {
      errno = EIO;
      return false;
    }
    done += static_cast<std::size_t>(written);
  }
  return true;
}

bool WriteTruncateSync(int fd, std::string_view text, const FileWriteOps& ops,
                       rir::ErrorCode& failed_step) {
  failed_step = rir::ErrorCode::kWrite;
  if (!WriteAll(fd, text, ops) || ops.truncate(fd, static_cast<std::int64_t>(text.size())) != 0) {
    return false;
  }
  failed_step = rir::ErrorCode::kFlush;
  return ops.sync(fd) == 0;
}

}  // namespace

FileWriteOps SystemFileWriteOps() {
  return FileWriteOps{
      [](int fd, const char* data, std::size_t size, std::int64_t offset) -> long {
        return ::pwrite(fd, data, size, static_cast<off_t>(offset));
      },
      [](int fd, std::int64_t length) { return ::ftruncate(fd, static_cast<off_t>(length)); },
      [](int fd) { return ::fsync(fd); },
  };
}

rir::Result<void> RewriteInPlace(int fd, const std::string& path, std::string_view old_text,
                                 std::string_view new_text, const FileWriteOps& ops) {
  rir::ErrorCode failed_step{};
  if (WriteTruncateSync(fd, new_text, ops, failed_step)) {
    return {};
  }
  rir::Error error{failed_step, path, rir::LastSystemReason()};
  rir::ErrorCode ignored{};
  if (!WriteTruncateSync(fd, old_text, ops, ignored)) {
    error.reason += "; putting the old text back failed as well: " + rir::LastSystemReason();
  }
  return error;
}

}  // namespace blocklist
