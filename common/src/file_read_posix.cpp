#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <memory>
#include <string>

#include "rir/file_read.h"
#include "rir/posix_file.h"

namespace rir {

Result<bool> ReadFileInPieces(
    const std::string& path,
    const std::function<void(std::string_view piece, std::size_t file_size)>& consume) {
  // Without O_NONBLOCK, opening a pipe put in the file's place would wait for a writer forever.
  FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (!fd.valid()) {
    if (errno == ENOENT || errno == ENOTDIR) {
      return false;
    }
    return SystemFailure(ErrorCode::kOpenForReading, path);
  }
  struct stat status {};
  if (::fstat(fd.get(), &status) != 0) {
    return SystemFailure(ErrorCode::kRead, path);
  }
  if (!S_ISREG(status.st_mode)) {
    return Error{ErrorCode::kNotRegularFile, path, {}};
  }
  const auto file_size = static_cast<std::size_t>(status.st_size);
  if (file_size > kMostFileBytes) {
    return Error{ErrorCode::kTooLarge, path, "It holds more than 2 GB"};
  }
  constexpr std::size_t kPiece = std::size_t{1} << 20;
  const auto buffer = std::make_unique_for_overwrite<char[]>(kPiece);
  std::size_t total = 0;
  for (;;) {
    const ssize_t got = ReadSome(fd.get(), buffer.get(), kPiece);
    if (got < 0) {
      return SystemFailure(ErrorCode::kRead, path);
    }
    if (got == 0) {
      return true;
    }
    total += static_cast<std::size_t>(got);
    if (total > kMostFileBytes) {
      return Error{ErrorCode::kTooLarge, path, "It grew past 2 GB while it was read"};
    }
    consume(std::string_view(buffer.get(), static_cast<std::size_t>(got)), file_size);
  }
}

}  // namespace rir
