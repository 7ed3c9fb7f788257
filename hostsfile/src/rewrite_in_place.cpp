#include "rewrite_in_place.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace hostsfile {

namespace {

// Writes `bytes` at byte `at` of the file on; what comes before is already in it.
bool WriteAt(int fd, std::string_view bytes, std::size_t at, const FileWriteOps& ops) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const long written = ops.write_at(fd, bytes.data() + done, bytes.size() - done,
                                      static_cast<std::int64_t>(at + done));
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

// The file made `at` bytes it holds already, then `rest`.
bool WriteTruncateSync(int fd, std::size_t at, std::string_view rest, const FileWriteOps& ops,
                       rir::ErrorCode& failed_step) {
  failed_step = rir::ErrorCode::kWrite;
  if (!WriteAt(fd, rest, at, ops) ||
      ops.truncate(fd, static_cast<std::int64_t>(at + rest.size())) != 0) {
    return false;
  }
  failed_step = rir::ErrorCode::kFlush;
  return ops.sync(fd) == 0;
}

}  // namespace

std::size_t CommonPrefixLength(std::string_view a, std::string_view b) {
  const std::size_t limit = std::min(a.size(), b.size());
  constexpr std::size_t kBlock = 4096;
  std::size_t at = 0;
  while (at + kBlock <= limit && std::memcmp(a.data() + at, b.data() + at, kBlock) == 0) {
    at += kBlock;
  }
  while (at < limit && a[at] == b[at]) {
    ++at;
  }
  return at;
}

bool LeftByRewrite(std::string_view file, std::string_view old_text, std::string_view new_text) {
  if (file.size() < std::min(old_text.size(), new_text.size()) ||
      file.size() > std::max(old_text.size(), new_text.size())) {
    return false;
  }
  for (std::size_t at = 0; at < file.size();) {
    // Long runs of either text at once; a byte at a time only where they meet.
    const std::string_view rest = file.substr(at);
    const std::size_t as_new =
        at < new_text.size() ? CommonPrefixLength(rest, new_text.substr(at)) : 0;
    const std::size_t as_old =
        at < old_text.size() ? CommonPrefixLength(rest, old_text.substr(at)) : 0;
    if (as_new == 0 && as_old == 0) {
      return false;
    }
    at += std::max(as_new, as_old);
  }
  return true;
}

FileWriteOps SystemFileWriteOps() {
  return FileWriteOps{
      [](int fd, const char* data, std::size_t size, std::int64_t offset) -> long {
        return ::pwrite(fd, data, size, static_cast<off_t>(offset));
      },
      [](int fd, std::int64_t length) { return ::ftruncate(fd, static_cast<off_t>(length)); },
      // The data and the new length are what must reach the disk; the times may follow later.
      [](int fd) { return ::fdatasync(fd); },
  };
}

rir::Result<void> RewriteInPlace(int fd, const std::string& path, std::string_view old_text,
                                 std::string_view new_text, const FileWriteOps& ops) {
  // Only what follows the first changed byte is written (an added site touches the end alone),
  // and only that much of the old text has to be put back.
  const std::size_t same = CommonPrefixLength(old_text, new_text);
  return RewriteInPlace(fd, path, same, old_text.substr(same), new_text, ops);
}

rir::Result<void> RewriteInPlace(int fd, const std::string& path, std::size_t same,
                                 std::string_view old_rest, std::string_view new_text,
                                 const FileWriteOps& ops) {
  rir::ErrorCode failed_step{};
  if (WriteTruncateSync(fd, same, new_text.substr(same), ops, failed_step)) {
    return {};
  }
  rir::Error error{failed_step, path, rir::LastSystemReason()};
  rir::ErrorCode ignored{};
  if (!WriteTruncateSync(fd, same, old_rest, ops, ignored)) {
    error.code = rir::ErrorCode::kLeftPartWritten;
    error.reason += "; putting the old text back failed as well: " + rir::LastSystemReason();
  }
  return error;
}

}  // namespace hostsfile
