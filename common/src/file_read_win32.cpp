#include <windows.h>

#include <memory>
#include <string>

#include "rir/file_read.h"
#include "rir/win32_handle.h"

namespace rir {

Result<bool> ReadFileInPieces(
    const std::string& path,
    const std::function<void(std::string_view piece, std::size_t file_size)>& consume) {
  Handle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) {
    if (const DWORD error = GetLastError();
        error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
      return false;
    }
    return SystemFailure(ErrorCode::kOpenForReading, path);
  }
  LARGE_INTEGER size{};
  const std::size_t file_size = GetFileSizeEx(file.get(), &size) && size.QuadPart > 0
                                    ? static_cast<std::size_t>(size.QuadPart)
                                    : 0;
  constexpr DWORD kPiece = 1u << 20;
  const auto buffer = std::make_unique_for_overwrite<char[]>(kPiece);
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(file.get(), buffer.get(), kPiece, &got, nullptr)) {
      return SystemFailure(ErrorCode::kRead, path);
    }
    if (got == 0) {
      return true;
    }
    consume(std::string_view(buffer.get(), got), file_size);
  }
}

}  // namespace rir
