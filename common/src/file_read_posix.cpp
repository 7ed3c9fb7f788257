#include <fcntl.h>

#include <cerrno>
#include <memory>
#include <string>

#include "rir/file_read.h"
#include "rir/posix_file.h"

namespace rir {

Result<bool> ReadFileInPieces(
    const std::string& path,
    const std::function<void(std::string_view piece, std::size_t file_size)>& consume) {
  FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd.valid()) {
    if (errno == ENOENT || errno == ENOTDIR) {
      return false;
    }
    return SystemFailure(ErrorCode::kOpenForReading, path);
  }
  const std::size_t file_size = FileSize(fd.get());
  constexpr std::size_t kPiece = std::size_t{1} << 20;
  const auto buffer = std::make_unique_for_overwrite<char[]>(kPiece);
  for (;;) {
    const ssize_t got = ReadSome(fd.get(), buffer.get(), kPiece);
    if (got < 0) {
      return SystemFailure(ErrorCode::kRead, path);
    }
    if (got == 0) {
      return true;
    }
    consume(std::string_view(buffer.get(), static_cast<std::size_t>(got)), file_size);
  }
}

}  // namespace rir
